#pragma once

#include "rules/GameScreen.h"

#include <QString>
#include <optional>

class QWidget;

namespace goalvanta {

// Every question the window puts to the user: modal messages and the file
// choosers. The window asks only through this, so that tests can answer.
class IPrompts {
public:
    virtual ~IPrompts() = default;

    virtual TMessageResult Message(const QString& text, const QString& caption, TMessageIcon icon,
                                   TMessageButtons buttons) = 0;
    // The file the user chose, or nothing when the dialog was cancelled.
    // `file` is the dialog's current file name, `folder` where it starts without one.
    virtual std::optional<QString> OpenFileName(const QString& folder, const QString& file,
                                                const QString& filter) = 0;
    // Asks before the user picks a file that exists already.
    virtual std::optional<QString> SaveFileName(const QString& folder, const QString& file,
                                                const QString& filter) = 0;
};

// The real thing: QMessageBox and QFileDialog, parented to `parent`.
class TDialogPrompts final : public IPrompts {
public:
    explicit TDialogPrompts(QWidget* parent) : FParent(parent) {}

    TMessageResult Message(const QString& text, const QString& caption, TMessageIcon icon,
                           TMessageButtons buttons) override;
    std::optional<QString> OpenFileName(const QString& folder, const QString& file,
                                        const QString& filter) override;
    std::optional<QString> SaveFileName(const QString& folder, const QString& file,
                                        const QString& filter) override;

private:
    QWidget* FParent;
};

} // namespace goalvanta
