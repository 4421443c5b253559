#include "game/GameTables.h"
#include "instance/SingleInstance.h"
#include "window/ApplicationIcon.h"
#include "window/FrmGoalvanta.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QLockFile>

using namespace goalvanta;

namespace {

// The first argument as the running game should see it: a relative path is made
// absolute here, since the running game may have been started elsewhere.
QString FirstArgument(int argc, char* argv[]) {
    if (argc < 2)
        return {};
    const QString arg = QString::fromLocal8Bit(argv[1]);
    return arg.isEmpty() ? arg : QFileInfo(arg).absoluteFilePath();
}

// Another instance holds the lock: hand it our first argument (or nothing, which
// just brings it to the front), wait until it has dealt with it, and end.
int HandOverToRunningInstance(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const THandOverRecord record{THandOverRecord::OpenPathCode,
                                 FirstArgument(argc, argv).toStdString()};
    if (!SendHandOver(InstanceServerPath(), record))
        qCInfo(lcInstance) << "no running instance answered";
    return 0;
}

// --help and --version, the conventions every program has. Any other first
// argument, even one that starts with a dash, is a file to open.
bool IsInformationRequest(int argc, char* argv[]) {
    if (argc < 2)
        return false;
    const QString arg = QString::fromLocal8Bit(argv[1]);
    return arg == "--help" || arg == "-h" || arg == "--version" || arg == "-v";
}

int ShowInformation(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("Goalvanta");
    QCoreApplication::setApplicationVersion("1.00");
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "main", "Soccer management game: beat all 10000 opponents in one run."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QCoreApplication::translate("main", "file"),
        QCoreApplication::translate("main", "A saved game to open. When the game is running "
                                            "already, it opens the file there."),
        QCoreApplication::translate("main", "[file]"));
    parser.process(app); // prints and ends the process
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    if (IsInformationRequest(argc, argv))
        return ShowInformation(argc, argv);
    GameTables(); // every table in place before any window exists

    // One game per user. The lock is held for the whole run; one left by a crashed
    // instance is stale (its process is gone) and is taken over.
    QLockFile lock(InstanceLockPath());
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0) && lock.error() == QLockFile::LockFailedError)
        return HandOverToRunningInstance(argc, argv);

    QApplication app(argc, argv);
    SetUpApplication();

    TFormGoalvanta window;
    THandOverServer server([&window](const THandOverRecord& record) {
        window.BringToFront();
        return window.WMCopyData(record);
    });
    // Other starts wait (and retry) until the game is in place.
    QObject::connect(&window, &TFormGoalvanta::FirstActivationDone, &server,
                     [&server] { server.Listen(InstanceServerPath()); });
    window.show();
    return QApplication::exec();
}
