#include "game/GameTables.h"
#include "instance/SingleInstance.h"
#include "window/FrmGoalvanta.h"

#include <QApplication>
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

} // namespace

int main(int argc, char* argv[]) {
    GameTables(); // every table in place before any window exists

    // One game per user. The lock is held for the whole run; one left by a crashed
    // instance is stale (its process is gone) and is taken over.
    QLockFile lock(InstanceLockPath());
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0) && lock.error() == QLockFile::LockFailedError)
        return HandOverToRunningInstance(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName("Goalvanta");
    QApplication::setApplicationVersion("1.00");

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
