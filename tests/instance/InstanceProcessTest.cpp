#include "game/PlayerList.h"
#include "savedata/SaveGameData.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace goalvanta;

// The real program, started as a desktop would start it, each test with a runtime
// folder of its own so that no other running game is disturbed.
class TInstanceProcessTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> FRuntime;
    std::vector<std::unique_ptr<QProcess>> FProcesses;

    using TEnvironment = std::function<void(QProcessEnvironment&)>;
    QProcess& Start(const QStringList& arguments, const QString& folder = {},
                    const TEnvironment& tweak = {},
                    const QString& program = QString::fromUtf8(GOALVANTA_EXECUTABLE)) {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", FRuntime->path());
        env.insert("XDG_CACHE_HOME", FRuntime->filePath("cache"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QT_LOGGING_RULES", "goalvanta.instance.info=true");
        if (tweak)
            tweak(env);
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::MergedChannels);
        if (!folder.isEmpty())
            process->setWorkingDirectory(folder);
        process->start(program, arguments);
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
    QString Lock() const { return QDir(FRuntime->path()).filePath("hTovrinGoalvanta.lock"); }
    QString WriteSave(std::int32_t money, const QString& name = "game.txt") {
        TPlayerList roster;
        roster.Generate();
        TMainPlayer me;
        me.FMoney = money;
        const std::vector<std::uint8_t> bytes = ComposeSaveFile(me, roster);
        const QString path = QDir(FRuntime->path()).filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<qint64>(bytes.size()));
        return path;
    }
    QProcess& StartFirst(const QStringList& arguments = {}, const TEnvironment& tweak = {}) {
        QProcess& first = Start(arguments, {}, tweak);
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
        QVERIFY2(WaitForLog(first, "hand-over of \"\" brought the game to the front"),
                 qPrintable(Log(first)));
        QVERIFY(!Log(first).contains("loaded"));
    }

    void firstStartLoadsItsArgument() {
        const QString save = WriteSave(77);
        QProcess& first = StartFirst({save});
        QVERIFY2(WaitForLog(first, "hand-over of \"" + save + "\" loaded"), qPrintable(Log(first)));
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

    // The first start's own file is refused: its "Can not open file." box stays open
    // (nobody closes it here). A second start is answered all the same, at once, and
    // its path waits for the box to close.
    void secondStartIsAnsweredWhileAMessageBoxIsOpen() {
        const QString bad = QDir(FRuntime->path()).filePath("bad.txt");
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a saved game");
        file.close();
        QProcess& first = StartFirst({bad});
        QVERIFY(WaitForLog(first, "hand-over of \"" + bad + "\" opening"));
        QTest::qWait(200); // into its message box
        const QString good = WriteSave(5);
        QElapsedTimer clock;
        clock.start();
        QProcess& second = Start({good});
        QVERIFY(second.waitForFinished(5000));
        std::printf(
            "[figures] second start during the first's message box: exit %d after %lld ms\n",
            second.exitCode(), static_cast<long long>(clock.elapsed()));
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(clock.elapsed() < 3000);
        QVERIFY2(WaitForLog(first, "hand-over of \"" + good + "\" taken"), qPrintable(Log(first)));
        QVERIFY(!Log(first).contains("\"" + good + "\" loaded")); // not while the box is open
    }

    // Whatever a crash or a stranger left at the lock's place, the start becomes the
    // game, and the next start reaches it.
    void leftoversAtTheLockAreTakenOver_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"empty file", "random bytes", "dead process on another host",
                                 "empty folder", "dangling link", "named pipe"})
            QTest::newRow(kind) << kind;
    }
    void leftoversAtTheLockAreTakenOver() {
        QFETCH(QString, kind);
        const QByteArray lock = QFile::encodeName(Lock());
        if (kind == "empty folder") {
            QVERIFY(::mkdir(lock.constData(), 0700) == 0);
        } else if (kind == "dangling link") {
            QVERIFY(::symlink("/nonexistent/lock", lock.constData()) == 0);
        } else if (kind == "named pipe") {
            QVERIFY(::mkfifo(lock.constData(), 0600) == 0);
        } else {
            QFile file(Lock());
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (kind == "random bytes")
                file.write(QByteArray("\x93\x00\xff\x17\x42\x00\xe9garbage\n", 16));
            if (kind == "dead process on another host")
                file.write("999999\ngoalvanta\nanother-host\n");
        }
        QElapsedTimer clock;
        clock.start();
        QProcess& first = StartFirst();
        QVERIFY2(Log(first).contains("listening at"), qPrintable(Log(first)));
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(first.state(), QProcess::Running);
        QVERIFY(QFileInfo(Lock()).isFile());
        QProcess& second = Start({});
        QVERIFY(second.waitForFinished(5000));
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(WaitForLog(first, "brought the game to the front"));
    }

    // A folder at the lock's place that may not be removed: the start says so, naming
    // the path, and fails instead of waiting and ending silently.
    void aLockPathThatCannotBeClearedIsReported() {
        QVERIFY(QDir().mkpath(QDir(Lock()).filePath("inside")));
        QProcess& start = Start({});
        QVERIFY(WaitForLog(start, "is a folder that cannot be removed", 5000));
        QVERIFY2(Log(start).contains(Lock()), qPrintable(Log(start)));
        QVERIFY(!Log(start).contains("listening at"));
        // Its message box is open; it never became a game.
        QVERIFY(!QFileInfo::exists(QDir(FRuntime->path()).filePath("hTovrinGoalvanta")));
    }

    // The lock is held by a live process that does not answer: the second start
    // gives up within its deadline, says so on stderr and fails.
    void aSecondStartThatCannotDeliverFails() {
        QProcess holder;
        holder.start("flock", {Lock(), "sleep", "30"});
        QVERIFY(holder.waitForStarted());
        QTRY_VERIFY(QFileInfo::exists(Lock()));
        QTest::qWait(200);
        const QString save = WriteSave(1);
        QElapsedTimer clock;
        clock.start();
        QProcess& second = Start({save});
        QVERIFY(second.waitForFinished(10000));
        const qint64 took = clock.elapsed();
        holder.kill();
        holder.waitForFinished();
        std::printf("[figures] second start against a silent lock holder: exit %d after %lld ms\n",
                    second.exitCode(), static_cast<long long>(took));
        QCOMPARE(second.exitCode(), 1);
        QVERIFY(took < 4000);
        QVERIFY2(Log(second).contains("was not handed over"), qPrintable(Log(second)));
    }

    // No usable session folder: lock and socket go to the game's own private folder,
    // never to the current folder or to a shared one.
    void withoutAPrivateRuntimeFolderTheGameUsesItsOwn_data() {
        QTest::addColumn<QString>("runtime");
        QTest::newRow("unset") << "unset";
        QTest::newRow("open to all") << "0777";
        QTest::newRow("a link") << "link";
    }
    void withoutAPrivateRuntimeFolderTheGameUsesItsOwn() {
        QFETCH(QString, runtime);
        const QString shared = FRuntime->filePath("shared");
        QVERIFY(QDir().mkpath(shared));
        if (runtime == "0777")
            QVERIFY(::chmod(QFile::encodeName(shared).constData(), 0777) == 0);
        const QString link = FRuntime->filePath("link");
        if (runtime == "link")
            QVERIFY(QFile::link(FRuntime->path(), link));
        const QString cwd = FRuntime->filePath("cwd");
        QVERIFY(QDir().mkpath(cwd));
        const auto tweak = [&](QProcessEnvironment& env) {
            if (runtime == "unset")
                env.remove("XDG_RUNTIME_DIR");
            else
                env.insert("XDG_RUNTIME_DIR", runtime == "link" ? link : shared);
        };
        QProcess& first = Start({}, cwd, tweak);
        const QString own = FRuntime->filePath("cache/goalvanta/instance");
        QVERIFY2(WaitForLog(first, "listening at \"" + own + "/hTovrinGoalvanta\""),
                 qPrintable(Log(first)));
        QVERIFY(QFileInfo(own + "/hTovrinGoalvanta.lock").isFile());
        QCOMPARE(QDir(cwd).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});
        QCOMPARE(QDir(shared).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});
        struct stat info {};
        QVERIFY(::lstat(QFile::encodeName(own).constData(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, mode_t{0700});
        // A second start with the same environment reaches this game.
        QProcess& second = Start({}, cwd, tweak);
        QVERIFY(second.waitForFinished(5000));
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(WaitForLog(first, "brought the game to the front"));
    }

    // A name that is not valid UTF-8 is opened as the bytes it is, from the command
    // line and from a second start, and never confused with the name its
    // replacement characters spell.
    void namesThatAreNotUtf8AreOpenedAsTheyAre() {
        const QByteArray folder = QFile::encodeName(FRuntime->path());
        const QByteArray raw = folder + "/\xe9t\xe9.sav";
        const QString decoy = WriteSave(666, QString::fromUtf8("\xef\xbf\xbdt\xef\xbf\xbd.sav"));
        const QString real = WriteSave(42, "real.sav");
        QVERIFY(::rename(QFile::encodeName(real).constData(), raw.constData()) == 0);
        // QProcess passes arguments through the locale's encoding; a shell passes the
        // bytes. The shell it is.
        const QString script = "exec \"$0\" \"$(printf '%s/\\351t\\351.sav' \"$1\")\"";
        QProcess& first =
            Start({"-c", script, QString::fromUtf8(GOALVANTA_EXECUTABLE), FRuntime->path()}, {}, {},
                  "/bin/sh");
        const QString logged = "hand-over of \"" + FRuntime->path() + "/\\xE9t\\xE9.sav\" loaded";
        QVERIFY2(WaitForLog(first, logged), qPrintable(Log(first)));
        QVERIFY(!Log(first).contains(decoy));
        QProcess& second =
            Start({"-c", script, QString::fromUtf8(GOALVANTA_EXECUTABLE), FRuntime->path()}, {}, {},
                  "/bin/sh");
        QVERIFY(second.waitForFinished(5000));
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(Log(first).count(logged), 2);
    }

    // The program in a folder whose name is not valid UTF-8 still finds the slots
    // beside it.
    void aProgramFolderThatIsNotUtf8KeepsItsSlotsBesideIt() {
        const QByteArray folder = QFile::encodeName(FRuntime->path()) + "/\xe9";
        QVERIFY(::mkdir(folder.constData(), 0700) == 0);
        const QByteArray program = folder + "/goalvanta";
        QVERIFY(QFile::copy(QString::fromUtf8(GOALVANTA_EXECUTABLE), QFile::decodeName(program)) ||
                ::link(GOALVANTA_EXECUTABLE, program.constData()) == 0);
        QVERIFY(::chmod(program.constData(), 0755) == 0);
        QProcess& first =
            Start({"-c", "exec \"$(printf '%s/\\351/goalvanta' \"$0\")\"", FRuntime->path()}, {},
                  {}, "/bin/sh");
        QVERIFY2(WaitForLog(first, "save slots in \"" + FRuntime->path() + "/\\xE9/savedata/\""),
                 qPrintable(Log(first)));
    }

    // Only the first argument counts, and the toolkit's options are no exception:
    // both starts treat "-reverse good.sav" alike and never open good.sav.
    void toolkitOptionsAreJustTheFirstArgument() {
        const QString save = WriteSave(3);
        QProcess& first = StartFirst({"-reverse", save}, {});
        const QString reverse = QDir(QDir::currentPath()).filePath("-reverse");
        QVERIFY2(WaitForLog(first, "hand-over of \"" + reverse + "\" changed nothing"),
                 qPrintable(Log(first)));
        QProcess& second = Start({"-reverse", save});
        QVERIFY(second.waitForFinished(5000));
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(WaitForLog(first, "hand-over of \"" + reverse + "\" taken"));
        QTest::qWait(300);
        QVERIFY2(!Log(first).contains(save), qPrintable(Log(first)));
    }

    // Every option --help lists does what it says, and --help-all is no file.
    void helpAndVersion() {
        QProcess& help = Start({"--help"});
        QVERIFY(help.waitForFinished(5000));
        QCOMPARE(help.exitCode(), 0);
        const QString text = Log(help);
        QVERIFY2(text.contains("--version") && text.contains("--help"), qPrintable(text));
        QVERIFY(!text.contains("--help-all"));
        for (const char* option : {"-h", "--help-all", "-v", "--version"}) {
            QProcess& run = Start({option});
            QVERIFY(run.waitForFinished(5000));
            QCOMPARE(run.exitCode(), 0);
            QVERIFY(!Log(run).contains("listening at"));
        }
    }
};

QTEST_MAIN(TInstanceProcessTest)
#include "InstanceProcessTest.moc"
