#include "components/TvActns.h"

#include "components/TvAbout.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
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

} // namespace

void SetUrlOpener(TUrlOpener opener) {
    CurrentOpener() = std::move(opener);
}

bool OpenUrl(const QUrl& url) {
    const TUrlOpener& opener = CurrentOpener();
    return opener ? opener(url) : QDesktopServices::openUrl(url);
}

void OpenWithAssociatedProgram(const QString& file) {
    OpenUrl(QUrl::fromLocalFile(file));
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
    OpenWithAssociatedProgram(HelpFilePath());
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
    OpenFolderWindow(QCoreApplication::applicationDirPath());
}

} // namespace goalvanta
