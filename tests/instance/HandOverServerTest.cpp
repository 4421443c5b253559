#include "instance/SingleInstance.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
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
        QVERIFY2(clock.elapsed() < Deadline + 150, qPrintable(QString::number(clock.elapsed())));
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
        QVERIFY(clock.elapsed() < Deadline + 150);
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
};

QTEST_MAIN(THandOverServerTest)
#include "HandOverServerTest.moc"
