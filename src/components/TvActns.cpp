#include "components/TvActns.h"

#include "components/TvAbout.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QScopeGuard>
#include <utility>

namespace goalvanta {

namespace {

TUrlOpener& CurrentOpener() {
    static TUrlOpener opener;
    return opener;
}

// The window an action works on: the one holding the widget that owns the action,
// else whichever window is active.
QWidget* ActionWindow(const QAction& action) {
    if (auto* owner = qobject_cast<QWidget*>(action.parent()))
        return owner->window();
    if (QWidget* active = QApplication::activeWindow())
        return active->window();
    return nullptr;
}

// A command that did not happen says so, over the window it was given in.
void ReportFailure(const QAction& action, const QString& caption, const QString& text) {
    QMessageBox::warning(ActionWindow(action), caption, text);
}

} // namespace

void SetUrlOpener(TUrlOpener opener) {
    CurrentOpener() = std::move(opener);
}

bool OpenUrl(const QUrl& url) {
    const TUrlOpener& opener = CurrentOpener();
    return opener ? opener(url) : QDesktopServices::openUrl(url);
}

bool OpenWithAssociatedProgram(const QString& file) {
    return OpenUrl(QUrl::fromLocalFile(file));
}

bool OpenFolderWindow(const QString& folder) {
    if (folder.isEmpty())
        return false;
    QString path = QDir::fromNativeSeparators(folder);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return OpenUrl(QUrl::fromLocalFile(path));
}

// --- TTvViewHelpHtmlAction -------------------------------------------------------

TTvViewHelpHtmlAction::TTvViewHelpHtmlAction(QObject* parent) : QAction(parent) {
    setText(tr("&Help"));
    setShortcut(QKeySequence(Qt::Key_F1));
    if (QCoreApplication::instance())
        FFileName = HelpFileNameFor(QCoreApplication::applicationFilePath());
    connect(this, &QAction::triggered, this, &TTvViewHelpHtmlAction::Execute);
}

QString TTvViewHelpHtmlAction::HelpFileNameFor(const QString& executablePath) {
    return QFileInfo(executablePath).completeBaseName() + QStringLiteral("_help.html");
}

QString TTvViewHelpHtmlAction::HelpFilePath() const {
    return QDir(QCoreApplication::applicationDirPath()).filePath(FFileName);
}

void TTvViewHelpHtmlAction::Execute() {
    const QString path = HelpFilePath();
    const QString shown = QDir::toNativeSeparators(path);
    // Checked here: a launcher handed a missing file fails in a process of its own,
    // where nobody sees it.
    if (!QFileInfo(path).isFile()) {
        ReportFailure(*this, tr("Help"),
                      tr("The help page cannot be found. It should be here:\n%1").arg(shown));
        return;
    }
    if (!OpenWithAssociatedProgram(path))
        ReportFailure(*this, tr("Help"),
                      tr("No program could open the help page:\n%1\n\nOpen this file in a web "
                         "browser, or install a browser and the desktop's opener (on Debian, "
                         "the package xdg-utils) so that Help can open it.")
                          .arg(shown));
}

// --- TTvAboutAction --------------------------------------------------------------

TTvAboutAction::TTvAboutAction(QObject* parent)
    : QAction(parent), FUrlHint(TTvAboutBox::tr("Home page")),
      FEmailHint(TTvAboutBox::tr("E-mail")) {
    setText(tr("&About"));
    connect(this, &QAction::triggered, this, &TTvAboutAction::Execute);
}

void TTvAboutAction::SetLinkHints(const QString& urlHint, const QString& emailHint) {
    FUrlHint = urlHint;
    FEmailHint = emailHint;
}

void TTvAboutAction::Execute() {
    // The box is owned by its parent window too, so whichever goes first, the other
    // must not delete it again.
    QPointer<TTvAboutBox> box = new TTvAboutBox(ActionWindow(*this));
    const auto destroyBox = qScopeGuard([&box] { delete box.data(); });

    box->SetCaption(tr("%1 About").arg(FApplicationName));
    box->SetProductLine(FApplicationName, FApplicationVer);
    box->SetCopyright(FCopyrightInfo);
    box->AppendComment(FComment);
    box->SetLinkHints(FUrlHint, FEmailHint);
    box->exec();
}

// --- TTvExitAction ---------------------------------------------------------------

TTvExitAction::TTvExitAction(QObject* parent) : QAction(parent) {
    setText(tr("E&xit"));
    connect(this, &QAction::triggered, this, &TTvExitAction::Execute);
}

void TTvExitAction::Execute() {
    QWidget* window = FMainWindow ? FMainWindow->window() : ActionWindow(*this);
    if (window)
        window->close();
    else
        QCoreApplication::quit();
}

// --- TTvOpenAppFolderAction ------------------------------------------------------

TTvOpenAppFolderAction::TTvOpenAppFolderAction(QObject* parent) : QAction(parent) {
    setText(tr("OpenAppFolder"));
    connect(this, &QAction::triggered, this, &TTvOpenAppFolderAction::Execute);
}

void TTvOpenAppFolderAction::Execute() {
    const QString folder = QCoreApplication::applicationDirPath();
    if (!OpenFolderWindow(folder))
        ReportFailure(*this, tr("Open application folder"),
                      tr("No file manager could open the program's folder:\n%1\n\nOpen it "
                         "in a file manager yourself, or install one and the desktop's opener "
                         "(on Debian, the package xdg-utils).")
                          .arg(QDir::toNativeSeparators(folder)));
}

} // namespace goalvanta
