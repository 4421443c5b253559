#include "instance/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

Q_LOGGING_CATEGORY(lcInstance, "goalvanta.instance", QtWarningMsg)

namespace goalvanta {

namespace {
const char* const InstanceName = "hTovrinGoalvanta";
} // namespace

QString InstanceFolder() {
    // Qt creates the fallback folder with mode 0700 and refuses one that others own.
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

QString InstanceLockPath() {
    return QDir(InstanceFolder()).filePath(QString::fromLatin1(InstanceName) + ".lock");
}

QString InstanceServerPath() {
    return QDir(InstanceFolder()).filePath(QString::fromLatin1(InstanceName));
}

THandOverServer::THandOverServer(THandler handler, QObject* parent)
    : QObject(parent), FHandler(std::move(handler)), FServer(new QLocalServer(this)) {
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(FServer, &QLocalServer::newConnection, this, &THandOverServer::Accept);
}

THandOverServer::~THandOverServer() = default;

bool THandOverServer::Listen(const QString& path) {
    QLocalServer::removeServer(path);
    if (!FServer->listen(path)) {
        qCWarning(lcInstance) << "cannot listen at" << path << FServer->errorString();
        return false;
    }
    qCInfo(lcInstance) << "listening at" << FServer->fullServerName();
    return true;
}

QString THandOverServer::ServerPath() const {
    return FServer->fullServerName();
}

void THandOverServer::Accept() {
    while (QLocalSocket* socket = FServer->nextPendingConnection()) {
        if (FOpen >= FMaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        Serve(socket);
    }
}

// One peer's record in the making, owned by its socket.
class THandOverConnection final : public QObject {
public:
    THandOverConnection(QLocalSocket* socket, int deadline) : QObject(socket) {
        FDeadline.setSingleShot(true);
        connect(&FDeadline, &QTimer::timeout, socket, [socket] {
            qCInfo(lcInstance) << "hand-over peer too slow: dropped";
            socket->abort();
        });
        FDeadline.start(deadline);
    }
    THandOverParser Parser;
    void StopDeadline() { FDeadline.stop(); }

private:
    QTimer FDeadline;
};

void THandOverServer::Serve(QLocalSocket* socket) {
    ++FOpen;
    auto* connection = new THandOverConnection(socket, FDeadline);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QObject::destroyed, this, [this] { --FOpen; });
    connect(socket, &QLocalSocket::readyRead, connection,
            [this, socket, connection] { ReadFrom(socket, *connection); });
    if (socket->bytesAvailable() > 0)
        ReadFrom(socket, *connection);
}

void THandOverServer::ReadFrom(QLocalSocket* socket, THandOverConnection& connection) {
    THandOverParser& parser = connection.Parser;
    // Never read past what the record declares.
    while (parser.State() == THandOverParser::TState::NeedMore && socket->bytesAvailable() > 0) {
        const qint64 take =
            std::min<qint64>(static_cast<qint64>(parser.Needed()), socket->bytesAvailable());
        const QByteArray chunk = socket->read(take);
        parser.Feed({reinterpret_cast<const std::uint8_t*>(chunk.constData()),
                     static_cast<std::size_t>(chunk.size())});
    }
    if (parser.State() == THandOverParser::TState::NeedMore)
        return;
    // One sound record and nothing after it; anything else is not a hand-over.
    if (parser.State() == THandOverParser::TState::Invalid || socket->bytesAvailable() > 0) {
        qCInfo(lcInstance) << "malformed hand-over: dropped";
        socket->abort();
        return;
    }
    const THandOverRecord record = parser.Record();
    if (record.Code != THandOverRecord::OpenPathCode) {
        qCInfo(lcInstance) << "unknown hand-over request" << record.Code << ": ignored";
        socket->abort();
        return;
    }
    // Handling may show a modal message; the peer waits for it, however long.
    connection.StopDeadline();
    socket->disconnect(&connection); // the record is taken: ignore what follows
    QPointer<QLocalSocket> guard(socket);
    const bool loaded = FHandler ? FHandler(record) : false;
    if (!guard)
        return;
    const char answer = loaded ? 1 : 0;
    guard->write(&answer, 1);
    guard->flush();
    guard->disconnectFromServer();
}

std::optional<bool> SendHandOver(const QString& path, const THandOverRecord& record,
                                 int connectMs) {
    QLocalSocket socket;
    const QDeadlineTimer connecting(connectMs);
    for (;;) {
        socket.connectToServer(path);
        if (socket.waitForConnected(1000))
            break;
        if (connecting.hasExpired())
            return std::nullopt;
        QThread::msleep(50);
    }
    const std::vector<std::uint8_t> bytes = ComposeHandOverRecord(record);
    socket.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    if (!socket.waitForBytesWritten(5000))
        return std::nullopt;
    // The answer comes once the record is handled, which may wait for the user.
    while (socket.bytesAvailable() < 1 && socket.state() == QLocalSocket::ConnectedState)
        socket.waitForReadyRead(-1);
    if (socket.bytesAvailable() < 1)
        return std::nullopt;
    return socket.read(1).at(0) == 1;
}

} // namespace goalvanta
