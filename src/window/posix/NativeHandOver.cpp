#include "window/NativeHandOver.h"

#include "instance/SingleInstance.h"

// On these systems the instance's socket is the one channel: there is nothing
// else to receive on, and the running game raises its own window.
namespace goalvanta {

struct TNativeHandOver::TImpl {};

TNativeHandOver::TNativeHandOver(QWidget&, THandler) {}

TNativeHandOver::~TNativeHandOver() = default;

std::optional<bool> HandOverToRunningGame(const QString& serverPath, const THandOverRecord& record,
                                          int deadlineMs) {
    return SendHandOver(serverPath, record, deadlineMs);
}

} // namespace goalvanta
