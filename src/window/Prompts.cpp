#include "window/Prompts.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace goalvanta {

TMessageResult TDialogPrompts::Message(const QString& text, const QString& caption,
                                       TMessageIcon icon, TMessageButtons buttons) {
    QMessageBox box(FParent);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case TMessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case TMessageIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case TMessageIcon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case TMessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    switch (buttons) {
    case TMessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case TMessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Cancel);
        break;
    case TMessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return TMessageResult::Ok;
    case QMessageBox::Yes:
        return TMessageResult::Yes;
    case QMessageBox::No:
        return TMessageResult::No;
    default:
        return TMessageResult::Cancel;
    }
}

namespace {
QString StartPath(const QString& folder, const QString& file) {
    return file.isEmpty() ? folder : QFileInfo(file).absoluteFilePath();
}
} // namespace

std::optional<QString> TDialogPrompts::OpenFileName(const QString& folder, const QString& file,
                                                    const QString& filter) {
    const QString chosen =
        QFileDialog::getOpenFileName(FParent, QString(), StartPath(folder, file), filter);
    if (chosen.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(chosen);
}

std::optional<QString> TDialogPrompts::SaveFileName(const QString& folder, const QString& file,
                                                    const QString& filter) {
    const QString chosen =
        QFileDialog::getSaveFileName(FParent, QString(), StartPath(folder, file), filter);
    if (chosen.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(chosen);
}

} // namespace goalvanta
