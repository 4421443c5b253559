#pragma once

#include "instance/HandOverRecord.h"

#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <list>
#include <optional>
#include <string>

class QLocalServer;
class QLocalSocket;

namespace goalvanta {
class THandOverConnection;
}

Q_DECLARE_LOGGING_CATEGORY(lcInstance)

namespace goalvanta {

// The instance's two files in its private folder (see PrivateInstanceFolder):
// "hTovrinGoalvanta" names both, the lock held for the whole run and the socket.
// Paths are the file system's bytes.
std::string InstanceLockPath(const std::string& folder);
std::string InstanceServerPath(const std::string& folder);

// The running instance's end of the hand-over channel. It never blocks the window:
// every connection is read as its bytes arrive, bounded by the declared length and
// a deadline, and a peer that is silent, slow, malformed or one too many is
// dropped without anything reaching the game.
class THandOverServer final : public QObject {
    Q_OBJECT
public:
    // Called with each sound record of the open-path code, as soon as it is
    // complete; returns whether the game took it. It must only take the record (the
    // window queues it): the peer is answered right after, without waiting for
    // the user. Records of any other code are dropped.
    using THandler = std::function<bool(const THandOverRecord&)>;

    explicit THandOverServer(THandler handler, QObject* parent = nullptr);
    ~THandOverServer() override;

    // Listens at the absolute path `path`, which only this user may use. A socket
    // left behind by a crashed instance is replaced (the caller holds the lock).
    bool Listen(const QString& path);
    QString ServerPath() const;

    void SetDeadline(int milliseconds) { FDeadline = milliseconds; }
    // Peers that may be sending a record at once; a newcomer beyond it drops the
    // one that has waited longest.
    void SetMaxConnections(int connections) { FMaxConnections = connections; }
    int OpenConnections() const { return FOpen; }

private:
    void Accept();
    void Serve(QLocalSocket* socket);
    void ReadFrom(QLocalSocket* socket, THandOverConnection& connection);

    THandler FHandler;
    QLocalServer* FServer;
    // A real second start sends its record at once; a peer that has not within
    // this time is dropped, long before a real one gives up.
    int FDeadline = 500;
    int FMaxConnections = 8;
    int FOpen = 0;
    // Peers still sending their record, the longest-waiting first.
    std::list<QPointer<QLocalSocket>> FWaiting;
};

// A second start's side: sends `record` to the instance listening at `path` and
// returns its answer, or nothing when none came within `deadlineMs`. While the
// instance is still starting, or refuses the connection because it is busy with
// too many others, it tries again until the deadline.
std::optional<bool> SendHandOver(const QString& path, const THandOverRecord& record,
                                 int deadlineMs = 2000);

} // namespace goalvanta
