#pragma once

#include "instance/HandOverRecord.h"

#include <QLoggingCategory>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QLocalServer;
class QLocalSocket;

namespace goalvanta {
class THandOverConnection;
}

Q_DECLARE_LOGGING_CATEGORY(lcInstance)

namespace goalvanta {

// The per-user folder that holds the instance lock and the hand-over socket:
// $XDG_RUNTIME_DIR, or Qt's private fallback; readable by the user alone.
QString InstanceFolder();
// "hTovrinGoalvanta" names both: the lock held for the whole run, and the socket.
QString InstanceLockPath();
QString InstanceServerPath();

// The running instance's end of the hand-over channel. It never blocks the window:
// every connection is read as its bytes arrive, bounded by the declared length and
// a deadline, and a peer that is silent, slow, malformed or one too many is
// dropped without anything reaching the game.
class THandOverServer final : public QObject {
    Q_OBJECT
public:
    // Called with each sound record of the open-path code; returns whether a game
    // was loaded. Records of any other code are dropped.
    using THandler = std::function<bool(const THandOverRecord&)>;

    explicit THandOverServer(THandler handler, QObject* parent = nullptr);
    ~THandOverServer() override;

    // Listens at the absolute path `path`, which only this user may use. A socket
    // left behind by a crashed instance is replaced (the caller holds the lock).
    bool Listen(const QString& path);
    QString ServerPath() const;

    void SetDeadline(int milliseconds) { FDeadline = milliseconds; }
    void SetMaxConnections(int connections) { FMaxConnections = connections; }
    int OpenConnections() const { return FOpen; }

private:
    void Accept();
    void Serve(QLocalSocket* socket);
    void ReadFrom(QLocalSocket* socket, THandOverConnection& connection);

    THandler FHandler;
    QLocalServer* FServer;
    int FDeadline = 2000;
    int FMaxConnections = 8;
    int FOpen = 0;
};

// A second start's side: sends `record` to the instance listening at `path` and
// waits until it has been handled (a load and its messages included). Keeps trying
// to connect for `connectMs`, since the instance holding the lock may still be
// starting. Returns the instance's answer, or nothing when none answered.
std::optional<bool> SendHandOver(const QString& path, const THandOverRecord& record,
                                 int connectMs = 10000);

} // namespace goalvanta
