#include "game/GameTables.h"
#include "instance/InstancePlatform.h"
#include "instance/SingleInstance.h"
#include "savedata/PathBytes.h"
#include "window/ApplicationIcon.h"
#include "window/FrmGoalvanta.h"
#include "window/NativeHandOver.h"
#include "window/PlatformFont.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QMessageBox>
#include <cstdio>
#include <filesystem>
#include <string>

using namespace goalvanta;

namespace {

// Only the first argument counts, on every start alike, and it is always a file
// to open (unless it asks for --help or --version). The toolkit therefore sees no
// argument at all: its own options (-reverse, -platform ...) would otherwise be
// taken from the line on a first start but handed over as file names on a second.
// Its environment variables still apply.
int ToolkitArgc = 1;

// The first argument as the running game should see it: its bytes as they are (a
// name need not be valid UTF-8), a relative path made absolute here, since the
// running game may have been started elsewhere.
std::string FirstArgument(int argc, char* argv[]) {
    if (argc < 2 || argv[1][0] == '\0')
        return {};
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(PathFromBytes(argv[1]), error);
    return error ? std::string(argv[1]) : BytesOfPath(absolute);
}

QString Shown(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// Neither a running game to hand over to nor a way to become one: say why where the
// user looks (a message box) and where a script looks (stderr), and fail.
int CannotStart(char* argv[], const QString& why) {
    std::fprintf(stderr, "goalvanta: %s\n", why.toLocal8Bit().constData());
    QApplication app(ToolkitArgc, argv);
    SetUpApplication();
    QMessageBox::critical(
        nullptr, QStringLiteral("Goalvanta"),
        QCoreApplication::translate("main", "Goalvanta cannot start.\n%1").arg(why));
    return 1;
}

// Another instance holds the lock: hand it our first argument (or nothing, which
// just brings it to the front) and end. Its answer comes at once, before it opens
// the file; a start that could not deliver says so and fails.
int HandOverToRunningInstance(char* argv[], const std::string& folder, const std::string& path) {
    QCoreApplication app(ToolkitArgc, argv);
    const QString server = Shown(InstanceServerPath(folder));
    const std::optional<bool> answer =
        HandOverToRunningGame(server, {THandOverRecord::OpenPathCode, path});
    if (answer == true)
        return 0;
    std::fprintf(stderr,
                 answer ? "goalvanta: the running game refused \"%s\" (too many waiting)\n"
                        : "goalvanta: a game is running but did not answer; \"%s\" was not "
                          "handed over\n",
                 path.c_str());
    return 1;
}

// --help and --version, the conventions every program has. Any other first
// argument, even one that starts with a dash, is a file to open.
bool IsInformationRequest(int argc, char* argv[]) {
    if (argc < 2)
        return false;
    const std::string arg = argv[1];
    return arg == "--help" || arg == "-h" || arg == "--help-all" || arg == "--version" ||
           arg == "-v";
}

int ShowInformation(char* argv[]) {
    // Only the request itself: nothing else on the line is looked at.
    int infoArgc = 2;
    char* infoArgv[] = {argv[0], argv[1], nullptr};
    QCoreApplication app(infoArgc, infoArgv);
    QCoreApplication::setApplicationName("Goalvanta");
    QCoreApplication::setApplicationVersion("1.00");
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "main", "Soccer management game: beat all 10000 opponents in one run."));
    // Not addHelpOption(): its --help-all lists the toolkit's options, which the game
    // does not take from the command line. --help-all is still understood.
    const QCommandLineOption help({"h", "help"},
                                  QCoreApplication::translate("main", "Displays this help."));
    QCommandLineOption helpAll("help-all");
    helpAll.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(help);
    parser.addOption(helpAll);
    parser.addVersionOption();
    parser.addPositionalArgument(
        QCoreApplication::translate("main", "file"),
        QCoreApplication::translate("main", "A saved game to open. When the game is running "
                                            "already, it opens the file there."),
        QCoreApplication::translate("main", "[file]"));
    parser.process(app); // --version prints and ends the process
    parser.showHelp(0);
}

} // namespace

int main(int argc, char* argv[]) {
    if (IsInformationRequest(argc, argv))
        return ShowInformation(argv);
    GameTables(); // every table in place before any window exists
    const std::string path = FirstArgument(argc, argv);

    // One game per user, decided by a lock in a folder that is the user's alone.
    std::string why;
    const std::optional<std::string> folder = PrivateInstanceFolder(why);
    if (!folder)
        return CannotStart(argv, QCoreApplication::translate("main", "No private folder for "
                                                                     "its lock:\n%1")
                                     .arg(Shown(why)));
    TInstanceLock lock(InstanceLockPath(*folder));
    switch (lock.TryLock()) {
    case TInstanceLock::TResult::HeldByOther:
        return HandOverToRunningInstance(argv, *folder, path);
    case TInstanceLock::TResult::Failed:
        return CannotStart(argv, Shown(lock.ErrorText()));
    case TInstanceLock::TResult::Locked:
        break;
    }

    QApplication app(ToolkitArgc, argv);
    SetUpApplication();

    TFormGoalvanta window;
    UsePlatformFont(window);
    window.SetCommandLinePath(path);
    qCInfo(lcInstance) << "save slots in" << QByteArray::fromStdString(window.SaveFolderPath());
    // Listening from the start: a path handed over while the game is still being
    // set up, or while the first start's own file is refused, waits in the window.
    THandOverServer server(
        [&window](const THandOverRecord& record) { return window.AcceptHandOver(record); });
    if (!server.Listen(Shown(InstanceServerPath(*folder))))
        qCWarning(lcInstance) << "second starts cannot reach this game";
    TNativeHandOver nativeHandOver(
        window, [&window](const THandOverRecord& record) { return window.AcceptHandOver(record); });
    window.show();
    return QApplication::exec();
}
