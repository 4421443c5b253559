#pragma once

#include <QAction>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <functional>

namespace goalvanta {

// Everything the program hands to the desktop (files, folders, web and mail links)
// goes through one opener, so tests can replace it and never start a browser or a
// file manager.
using TUrlOpener = std::function<bool(const QUrl&)>;

// Replaces the opener; a null one restores QDesktopServices::openUrl.
void SetUrlOpener(TUrlOpener opener);

// Hands `url` to the current opener; true when the desktop accepted it.
bool OpenUrl(const QUrl& url);

// Opens `file` with the program the desktop registers for its type. Returns whether
// the desktop accepted it; telling the user is the caller's part, which knows what
// the file was for.
bool OpenWithAssociatedProgram(const QString& file);

// Opens `folder` in the file manager, with exactly one trailing '/'. An empty name
// opens nothing (it would otherwise become the root folder). Returns whether the
// desktop accepted it.
bool OpenFolderWindow(const QString& folder);

// Opens the HTML help page that lies beside the executable. A page that is missing,
// or that no program on the desktop can open, is reported in a message box that
// names its path, so that the user can open it another way.
class TTvViewHelpHtmlAction : public QAction {
    Q_OBJECT
public:
    // The file name starts as HelpFileNameFor(the running executable).
    explicit TTvViewHelpHtmlAction(QObject* parent = nullptr);

    QString FileName() const { return FFileName; }
    void SetFileName(const QString& fileName) { FFileName = fileName; }

    // The help page's name for an executable: its file name without the folder,
    // with the last suffix replaced by "_help.html" ("game.exe" -> "game_help.html",
    // "goalvanta" -> "goalvanta_help.html").
    static QString HelpFileNameFor(const QString& executablePath);

    // <folder of the executable>/<FileName>
    QString HelpFilePath() const;

    void Execute();

private:
    QString FFileName;
};

// Shows the About box for the application, modally.
class TTvAboutAction : public QAction {
    Q_OBJECT
public:
    explicit TTvAboutAction(QObject* parent = nullptr);

    QString ApplicationName() const { return FApplicationName; }
    void SetApplicationName(const QString& name) { FApplicationName = name; }
    QString ApplicationVer() const { return FApplicationVer; }
    void SetApplicationVer(const QString& version) { FApplicationVer = version; }
    QString CopyrightInfo() const { return FCopyrightInfo; }
    void SetCopyrightInfo(const QString& copyright) { FCopyrightInfo = copyright; }
    QStringList Comment() const { return FComment; }
    void SetComment(const QStringList& comment) { FComment = comment; }

    // Hover hints of the two links, handed on to the box; empty ones show none.
    QString UrlHint() const { return FUrlHint; }
    QString EmailHint() const { return FEmailHint; }
    void SetLinkHints(const QString& urlHint, const QString& emailHint);

    // Shows the box over the action's window (or the active window) and destroys it
    // when it is closed.
    void Execute();

private:
    QString FApplicationName;
    QString FApplicationVer;
    QString FCopyrightInfo;
    QStringList FComment;
    QString FUrlHint;
    QString FEmailHint;
};

// Closes the application's main window; with the last window closed the program
// ends the normal way, so the window still gets to ask about unsaved changes.
class TTvExitAction : public QAction {
    Q_OBJECT
public:
    explicit TTvExitAction(QObject* parent = nullptr);

    // The window to close. Without one, the window of the widget that owns the
    // action, else the active window, is closed.
    QWidget* MainWindow() const { return FMainWindow; }
    void SetMainWindow(QWidget* window) { FMainWindow = window; }

    void Execute();

private:
    QPointer<QWidget> FMainWindow;
};

// Opens the folder the executable lies in; when the desktop cannot, a message box
// names the folder.
class TTvOpenAppFolderAction : public QAction {
    Q_OBJECT
public:
    explicit TTvOpenAppFolderAction(QObject* parent = nullptr);

    void Execute();
};

} // namespace goalvanta
