#include "game/PlayerList.h"
#include "savedata/SaveGameData.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

using namespace goalvanta;

// The real program, started as a desktop would start it, each test with a runtime
// folder of its own so that no other running game is disturbed.
class TInstanceProcessTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> FRuntime;
    std::vector<std::unique_ptr<QProcess>> FProcesses;

    QProcess& Start(const QStringList& arguments, const QString& folder = {}) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", FRuntime->path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QT_LOGGING_RULES", "goalvanta.instance.info=true");
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::MergedChannels);
        if (!folder.isEmpty())
            process->setWorkingDirectory(folder);
        process->start(QString::fromUtf8(GOALVANTA_EXECUTABLE), arguments);
        FProcesses.push_back(std::move(process));
        return *FProcesses.back();
    }
    // Everything the process has written so far, kept on the process.
    static QString Log(QProcess& process) {
        const QString more = QString::fromUtf8(process.readAll());
        process.setProperty("log", process.property("log").toString() + more);
        return process.property("log").toString();
    }
    static bool WaitForLog(QProcess& process, const QString& text, int ms = 10000) {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) {
            if (Log(process).contains(text))
                return true;
            process.waitForReadyRead(100);
        }
        return Log(process).contains(text);
    }
    QString WriteSave(std::int32_t money) {
        TPlayerList roster;
        roster.Generate();
        TMainPlayer me;
        me.FMoney = money;
        const std::vector<std::uint8_t> bytes = ComposeSaveFile(me, roster);
        const QString path = QDir(FRuntime->path()).filePath("game.txt");
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<qint64>(bytes.size()));
        return path;
    }
    QProcess& StartFirst(const QStringList& arguments = {}) {
        QProcess& first = Start(arguments);
        if (!WaitForLog(first, "listening at"))
            qWarning() << "first instance log:" << Log(first);
        return first;
    }

private slots:
    void init() {
        FRuntime = std::make_unique<QTemporaryDir>();
        QFile::setPermissions(FRuntime->path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void cleanup() {
        for (auto& process : FProcesses) {
            process->kill();
            process->waitForFinished(5000);
        }
        FProcesses.clear();
        FRuntime.reset();
    }

    void secondStartHandsOverARelativePath() {
        const QString save = WriteSave(4242);
        QProcess& first = StartFirst();
        QVERIFY(Log(first).contains("listening at"));
        // Started in the save's folder with a relative name and a second argument.
        QProcess& second = Start({"game.txt", "ignored.txt"}, FRuntime->path());
        QVERIFY(second.waitForFinished(15000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY2(WaitForLog(first, "hand-over of \"" + save + "\" loaded"), qPrintable(Log(first)));
        QVERIFY(!Log(first).contains("ignored"));
        QCOMPARE(first.state(), QProcess::Running);
    }

    void secondStartWithoutArgumentsChangesNothing() {
        QProcess& first = StartFirst();
        QProcess& second = Start({});
        QVERIFY(second.waitForFinished(15000));
        QCOMPARE(second.exitCode(), 0);
        QVERIFY2(WaitForLog(first, "hand-over of \"\" changed nothing"), qPrintable(Log(first)));
    }

    void firstStartLoadsItsArgument() {
        const QString save = WriteSave(77);
        QProcess& first = StartFirst({save});
        QVERIFY2(Log(first).contains("hand-over of \"" + save + "\" loaded"),
                 qPrintable(Log(first)));
        QProcess& folder = Start({FRuntime->path()}); // a second start with a folder
        QVERIFY(folder.waitForFinished(15000));
        QVERIFY(WaitForLog(first, "hand-over of \"" + FRuntime->path() + "\" changed nothing"));
    }

    void leftoversOfACrashDoNotStopTheNextStart() {
        QProcess& crashed = StartFirst();
        crashed.kill(); // SIGKILL: the lock file and the socket stay behind
        QVERIFY(crashed.waitForFinished(5000));
        QVERIFY(QFile::exists(QDir(FRuntime->path()).filePath("hTovrinGoalvanta.lock")));
        QProcess& next = StartFirst();
        QVERIFY2(Log(next).contains("listening at"), qPrintable(Log(next)));
        QCOMPARE(next.state(), QProcess::Running);
    }

    void tenSimultaneousStartsLeaveOneRunning() {
        std::vector<QProcess*> started;
        for (int i = 0; i < 10; ++i)
            started.push_back(&Start({}));
        QDeadlineTimer deadline(30000);
        const auto finished = [&] {
            return std::count_if(started.begin(), started.end(),
                                 [](QProcess* p) { return p->state() == QProcess::NotRunning; });
        };
        while (finished() < 9 && !deadline.hasExpired())
            QTest::qWait(100);
        QTest::qWait(500); // a tenth that would still end has time to
        QCOMPARE(finished(), 9);
        for (QProcess* p : started) {
            if (p->state() == QProcess::NotRunning) {
                QCOMPARE(p->exitCode(), 0);
            } else {
                QVERIFY(WaitForLog(*p, "listening at"));
            }
        }
    }
};

QTEST_MAIN(TInstanceProcessTest)
#include "InstanceProcessTest.moc"
