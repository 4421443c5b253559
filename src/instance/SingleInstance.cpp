#include "instance/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <algorithm>

Q_LOGGING_CATEGORY(lcInstance, "goalvanta.instance", QtWarningMsg)

namespace goalvanta {

namespace {
const char* const InstanceName = "hTovrinGoalvanta";
} // namespace

std::string InstanceLockPath(const std::string& folder) {
    return folder + "/" + InstanceName + ".lock";
}

std::string InstanceServerPath(const std::string& folder) {
    return folder + "/" + InstanceName;
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
        FWaiting.remove_if([](const QPointer<QLocalSocket>& peer) {
            return !peer || peer->state() != QLocalSocket::ConnectedState;
        });
        if (static_cast<int>(FWaiting.size()) >= FMaxConnections) {
            // A real second start sends its record the moment it connects; the peer
            // that has waited longest without one goes, so that silent peers can
            // never keep a real start out by holding every place.
            qCInfo(lcInstance) << "hand-over places full: the longest silent peer dropped";
            QPointer<QLocalSocket> oldest = FWaiting.front();
            FWaiting.pop_front();
            oldest->abort();
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
    FWaiting.emplace_back(socket);
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
    FWaiting.remove(QPointer<QLocalSocket>(socket)); // no longer waiting for its record
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
    // The handler only takes the record; whatever opening it shows the user comes
    // later, so the peer has its answer now.
    connection.StopDeadline();
    socket->disconnect(&connection); // the record is taken: ignore what follows
    QPointer<QLocalSocket> guard(socket);
    const bool taken = FHandler ? FHandler(record) : false;
    if (!guard)
        return;
    const char answer = taken ? 1 : 0;
    guard->write(&answer, 1);
    guard->flush();
    guard->disconnectFromServer();
}

std::optional<bool> SendHandOver(const QString& path, const THandOverRecord& record,
                                 int deadlineMs) {
    const QDeadlineTimer deadline(deadlineMs);
    const std::vector<std::uint8_t> bytes = ComposeHandOverRecord(record);
    const auto left = [&deadline] { return static_cast<int>(deadline.remainingTime()); };
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(path);
        if (!socket.waitForConnected(std::min(left(), 500))) {
            QThread::msleep(static_cast<unsigned long>(std::clamp(left(), 0, 50)));
            continue; // not listening yet
        }
        socket.write(reinterpret_cast<const char*>(bytes.data()),
                     static_cast<qint64>(bytes.size()));
        while (socket.bytesToWrite() > 0 && socket.state() == QLocalSocket::ConnectedState &&
               !deadline.hasExpired())
            socket.waitForBytesWritten(left());
        while (socket.bytesAvailable() < 1 && socket.state() == QLocalSocket::ConnectedState &&
               !deadline.hasExpired())
            socket.waitForReadyRead(left());
        if (socket.bytesAvailable() >= 1)
            return socket.read(1).at(0) == 1;
        // Closed without an answer: the instance had too many peers at once.
        QThread::msleep(static_cast<unsigned long>(std::clamp(left(), 0, 20)));
    }
    return std::nullopt;
}

} // namespace goalvanta
