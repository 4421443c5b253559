#include "instance/InstancePlatform.h"
#include "instance/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cerrno>
#include <grp.h>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace goalvanta;

namespace {

QByteArray Record(std::uint32_t code, const QByteArray& text) {
    const std::vector<std::uint8_t> bytes = ComposeHandOverRecord({code, text.toStdString()});
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()));
}

QByteArray Header(std::uint32_t code, std::uint32_t length) {
    QByteArray out;
    for (std::uint32_t v : {code, length})
        for (int shift = 0; shift < 32; shift += 8)
            out.append(static_cast<char>((v >> shift) & 0xFF));
    return out;
}

constexpr int Deadline = 300;

// Connects to the socket at `path` as the unprivileged user nobody, from a child
// process; returns 0 when connected, else the errno of the refusal (-1 when the
// child could not become nobody).
int ConnectAsNobody(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(255);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (static_cast<std::size_t>(name.size()) >= sizeof address.sun_path)
            ::_exit(254);
        std::copy(name.begin(), name.end(), address.sun_path);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const int result =
            ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        ::_exit(result == 0 ? 0 : std::min(errno, 250));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}

// Owner and permission bits of `path` itself (a symbolic link is not followed).
std::pair<uid_t, mode_t> OwnerAndMode(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {static_cast<uid_t>(-1), 0};
    return {st.st_uid, st.st_mode};
}

} // namespace

// A real local socket against the receiver: only sound records reach the handler,
// every other peer is closed within the deadline, and the event loop never stalls.
class THandOverServerTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> FFolder;
    std::unique_ptr<THandOverServer> FServer;
    QStringList FHandled;
    QTimer FTicker;
    QElapsedTimer FSinceTick;
    qint64 FLongestGap = 0;
    // The figures of the whole run, printed at its end.
    int FAbuseRows = 0;
    int FClosedInTime = 0;
    qint64 FSlowestClose = 0;
    qint64 FWorstGap = 0;

private slots:
    void init() {
        FFolder = std::make_unique<QTemporaryDir>();
        FHandled.clear();
        FServer = std::make_unique<THandOverServer>([this](const THandOverRecord& record) {
            FHandled << QString::fromStdString(record.Text);
            return true;
        });
        FServer->SetDeadline(Deadline);
        QVERIFY(FServer->Listen(FFolder->filePath("handover")));
        // The window's event loop: a tick every 5 ms whose gaps are measured.
        FLongestGap = 0;
        FSinceTick.start();
        connect(&FTicker, &QTimer::timeout, this,
                [this] { FLongestGap = std::max(FLongestGap, FSinceTick.restart()); });
        FTicker.start(5);
    }
    void cleanup() {
        FWorstGap = std::max(FWorstGap, FLongestGap);
        FTicker.stop();
        FTicker.disconnect();
        FServer.reset();
        FFolder.reset();
    }

    void peers_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("hangUp"); // the peer disconnects after sending
        QTest::addColumn<QStringList>("handled");
        QTest::addColumn<QByteArray>("answer");
        const QByteArray path = "/home/player/save.txt";
        QTest::newRow("valid record")
            << Record(1, path) << false << QStringList{path} << QByteArray("\x01", 1);
        QTest::newRow("empty path")
            << Record(1, "") << false << QStringList{""} << QByteArray("\x01", 1);
        QTest::newRow("silent peer") << QByteArray() << false << QStringList{} << QByteArray();
        QTest::newRow("megabytes claimed")
            << Header(1, 16 << 20) << false << QStringList{} << QByteArray();
        QTest::newRow("length above the data")
            << Header(1, 100) + "abc" << false << QStringList{} << QByteArray();
        QTest::newRow("no terminator")
            << Header(1, 3) + "abc" << false << QStringList{} << QByteArray();
        QTest::newRow("zero inside the text")
            << Header(1, 4) + QByteArray("a\0b\0", 4) << false << QStringList{} << QByteArray();
        QTest::newRow("length 0") << Header(1, 0) << false << QStringList{} << QByteArray();
        QTest::newRow("wrong code") << Record(2, path) << false << QStringList{} << QByteArray();
        QTest::newRow("two records back to back")
            << Record(1, path) + Record(1, path) << false << QStringList{} << QByteArray();
        QTest::newRow("disconnect mid-record")
            << Record(1, path).left(12) << true << QStringList{} << QByteArray();
    }
    void peers() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, hangUp);
        QFETCH(QStringList, handled);
        QFETCH(QByteArray, answer);

        QLocalSocket peer;
        peer.connectToServer(FServer->ServerPath());
        QVERIFY(peer.waitForConnected(1000));
        QElapsedTimer clock;
        clock.start();
        peer.write(bytes);
        peer.flush();
        if (hangUp)
            peer.disconnectFromServer();
        QTRY_COMPARE_WITH_TIMEOUT(peer.state(), QLocalSocket::UnconnectedState, 3 * Deadline);
        const qint64 closedAfter = clock.elapsed();
        ++FAbuseRows;
        FClosedInTime += closedAfter < Deadline + 150;
        FSlowestClose = std::max(FSlowestClose, closedAfter);
        QVERIFY2(closedAfter < Deadline + 150, qPrintable(QString::number(closedAfter)));
        QCOMPARE(peer.readAll(), answer);
        QCOMPARE(FHandled, handled);
        QTRY_COMPARE(FServer->OpenConnections(), 0);
        QVERIFY2(FLongestGap < 100, qPrintable(QString::number(FLongestGap)));
    }

    void hundredParallelConnections() {
        std::vector<std::unique_ptr<QLocalSocket>> peers;
        for (int i = 0; i < 100; ++i) {
            peers.push_back(std::make_unique<QLocalSocket>());
            peers.back()->connectToServer(FServer->ServerPath());
        }
        QElapsedTimer clock;
        clock.start();
        const auto allClosed = [&] {
            return std::all_of(peers.begin(), peers.end(), [](const auto& p) {
                return p->state() == QLocalSocket::UnconnectedState;
            });
        };
        QTRY_VERIFY_WITH_TIMEOUT(allClosed(), 3 * Deadline);
        const qint64 closedAfter = clock.elapsed();
        ++FAbuseRows;
        FClosedInTime += closedAfter < Deadline + 150;
        FSlowestClose = std::max(FSlowestClose, closedAfter);
        QVERIFY(closedAfter < Deadline + 150);
        QVERIFY(FHandled.isEmpty());
        QTRY_COMPARE(FServer->OpenConnections(), 0);
        QVERIFY(FLongestGap < 100);

        // The channel still works afterwards.
        QLocalSocket peer;
        peer.connectToServer(FServer->ServerPath());
        QVERIFY(peer.waitForConnected(1000));
        peer.write(Record(1, "/after"));
        QTRY_COMPARE(peer.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(FHandled, QStringList{"/after"});
    }

    void senderWaitsForTheAnswer() {
        // The second start's side, against a receiver in this process: the blocking
        // send runs in a thread so that this event loop can serve it.
        std::optional<bool> answer;
        std::unique_ptr<QThread> sender(QThread::create([&] {
            answer = SendHandOver(FServer->ServerPath(), {1, "/x/y.txt"}, 2000);
        }));
        sender->start();
        QTRY_VERIFY(sender->isFinished());
        QCOMPARE(answer, std::optional<bool>(true));
        QCOMPARE(FHandled, QStringList{"/x/y.txt"});
        QCOMPARE(SendHandOver(FFolder->filePath("nobody"), {1, ""}, 200), std::nullopt);
    }

    // Someone of the same user holds every connection slot with silent peers and
    // reconnects as soon as one is dropped: real second starts still get through,
    // each within its own deadline.
    void realSendersGetPastSilentPeers() {
        std::vector<std::unique_ptr<QLocalSocket>> squatters;
        for (int i = 0; i < 8; ++i) {
            auto socket = std::make_unique<QLocalSocket>();
            QLocalSocket* raw = socket.get();
            connect(raw, &QLocalSocket::disconnected, this,
                    [this, raw] { raw->connectToServer(FServer->ServerPath()); });
            raw->connectToServer(FServer->ServerPath());
            squatters.push_back(std::move(socket));
        }
        QTRY_COMPARE(FServer->OpenConnections(), 8);
        int delivered = 0;
        QElapsedTimer slowest;
        qint64 longest = 0;
        constexpr int Starts = 12;
        for (int i = 0; i < Starts; ++i) {
            std::optional<bool> answer;
            const std::string path = "/start/" + std::to_string(i);
            slowest.start();
            std::unique_ptr<QThread> sender(QThread::create([&] {
                answer = SendHandOver(FServer->ServerPath(), {1, path});
            }));
            sender->start();
            QTRY_VERIFY_WITH_TIMEOUT(sender->isFinished(), 5000);
            longest = std::max(longest, slowest.elapsed());
            delivered += answer == true ? 1 : 0;
        }
        for (auto& socket : squatters)
            socket->disconnect(this);
        std::printf("[figures] slots held by silent peers: %d of %d second starts delivered, "
                    "slowest %lld ms (deadline 2000 ms)\n",
                    delivered, Starts, static_cast<long long>(longest));
        QCOMPARE(delivered, Starts);
        QCOMPARE(FHandled.size(), Starts);
    }

    // Another user on the machine cannot reach the game: not through the folder, and
    // not even where the folder lets everyone pass.
    void otherUsersAreRefused_data() {
        QTest::addColumn<QFile::Permissions>("folderMode");
        const QFile::Permissions owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        QTest::newRow("folder for the user alone") << owner;
        QTest::newRow("folder open to all")
            << (owner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    }
    void otherUsersAreRefused() {
        if (::geteuid() != 0)
            QSKIP("only root can run a client as another user here");
        QFETCH(QFile::Permissions, folderMode);
        QVERIFY(QFile::setPermissions(FFolder->path(), folderMode));
        QCOMPARE(ConnectAsNobody(FServer->ServerPath()), EACCES);
        QTest::qWait(50); // a connection that got through would be served by now
        QCOMPARE(FServer->OpenConnections(), 0);
        QVERIFY(FHandled.isEmpty());
        // The user still gets through.
        QLocalSocket peer;
        peer.connectToServer(FServer->ServerPath());
        QVERIFY(peer.waitForConnected(1000));
        peer.write(Record(1, "/mine"));
        QTRY_COMPARE(FHandled, QStringList{"/mine"});
    }

    // The socket and the folder the game really listens in belong to the user and
    // let nobody else read, write or pass, whatever folder the session names: one
    // that others may enter, or a link, is passed over for the game's own folder.
    void socketAndFolderAreTheUsers_data() {
        QTest::addColumn<QString>("runtimeKind");
        QTest::addColumn<bool>("runtimeUsed");
        QTest::newRow("session folder 0700") << "0700" << true;
        QTest::newRow("session folder 0755") << "0755" << false;
        QTest::newRow("session folder 0777") << "0777" << false;
        QTest::newRow("session folder a link to a 0700 folder") << "link" << false;
        QTest::newRow("session folder relative") << "relative" << false;
        QTest::newRow("no session folder") << "unset" << false;
    }
    void socketAndFolderAreTheUsers() {
        QFETCH(QString, runtimeKind);
        QFETCH(bool, runtimeUsed);
        QTemporaryDir base;
        const std::string root = QFile::encodeName(base.path()).toStdString();
        const std::string runtime = root + "/runtime";
        const std::string cache = root + "/cache";
        QVERIFY(::mkdir(runtime.c_str(), 0700) == 0);
        std::string named = runtime;
        if (runtimeKind == "0755" || runtimeKind == "0777")
            QVERIFY(::chmod(runtime.c_str(), runtimeKind == "0755" ? 0755 : 0777) == 0);
        if (runtimeKind == "link") {
            named = root + "/link";
            QVERIFY(::symlink(runtime.c_str(), named.c_str()) == 0);
        }
        if (runtimeKind == "relative")
            named = "runtime";
        const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        const QByteArray savedCache = qgetenv("XDG_CACHE_HOME");
        if (runtimeKind == "unset")
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(named));
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache));
        std::string why;
        const std::optional<std::string> folder = PrivateInstanceFolder(why);
        qputenv("XDG_RUNTIME_DIR", savedRuntime);
        qputenv("XDG_CACHE_HOME", savedCache);
        QVERIFY2(folder.has_value(), why.c_str());
        QCOMPARE(QString::fromStdString(*folder),
                 QString::fromStdString(runtimeUsed ? runtime : cache + "/goalvanta/instance"));

        const QString path =
            QFile::decodeName(QByteArray::fromStdString(InstanceServerPath(*folder)));
        THandOverServer server([](const THandOverRecord&) { return true; });
        QVERIFY(server.Listen(path));
        const auto [folderOwner, folderBits] =
            OwnerAndMode(QFile::decodeName(QByteArray::fromStdString(*folder)));
        QVERIFY(S_ISDIR(folderBits));
        QCOMPARE(folderOwner, ::geteuid());
        QCOMPARE(folderBits & 07777, mode_t{0700});
        const auto [socketOwner, socketBits] = OwnerAndMode(server.ServerPath());
        QVERIFY(S_ISSOCK(socketBits));
        QCOMPARE(socketOwner, ::geteuid());
        QCOMPARE(socketBits & 077, mode_t{0});
    }

    // A folder of the game's own that is not the user's alone is never used.
    void foreignOwnFolderIsRefused() {
        QTemporaryDir base;
        const std::string cache = QFile::encodeName(base.path()).toStdString();
        const std::string own = cache + "/goalvanta";
        QVERIFY(::mkdir(own.c_str(), 0700) == 0);
        // A link where the game's folder belongs, made by someone who wants the paths.
        QVERIFY(::symlink("/tmp", (own + "/instance").c_str()) == 0);
        const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        const QByteArray savedCache = qgetenv("XDG_CACHE_HOME");
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache));
        std::string why;
        const std::optional<std::string> folder = PrivateInstanceFolder(why);
        qputenv("XDG_RUNTIME_DIR", savedRuntime);
        qputenv("XDG_CACHE_HOME", savedCache);
        QVERIFY(!folder.has_value());
        QVERIFY2(why.find("symbolic link") != std::string::npos, why.c_str());
    }

    void cleanupTestCase() {
        std::printf("[figures] hand-over abuse: %d rows, %d closed within the %d ms deadline "
                    "(+150 ms), slowest %lld ms, longest event-loop gap %lld ms\n",
                    FAbuseRows, FClosedInTime, Deadline, static_cast<long long>(FSlowestClose),
                    static_cast<long long>(FWorstGap));
    }
};

QTEST_MAIN(THandOverServerTest)
#include "HandOverServerTest.moc"
