#pragma once

#include "instance/HandOverRecord.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace goalvanta {

// The platform's own channel through which other programs hand the running game a
// path, beside the instance's socket (see SingleInstance.h); one implementation per
// platform. Where the platform has none, the socket is the only way in.
class TNativeHandOver {
public:
    // Called with each record a sender handed over; it must only take the record
    // (the window queues it) and say whether it did.
    using THandler = std::function<bool(const THandOverRecord&)>;

    // Starts receiving for `window`, which a sender brings to the front.
    TNativeHandOver(QWidget& window, THandler handler);
    ~TNativeHandOver();
    TNativeHandOver(const TNativeHandOver&) = delete;
    TNativeHandOver& operator=(const TNativeHandOver&) = delete;

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

// A second start's side: brings the running game to the front and hands it
// `record`, through the platform's channel where it can carry the text and through
// the socket at `serverPath` otherwise. The game's answer, or nothing when none came
// within `deadlineMs`.
std::optional<bool> HandOverToRunningGame(const QString& serverPath, const THandOverRecord& record,
                                          int deadlineMs = 2000);

} // namespace goalvanta
