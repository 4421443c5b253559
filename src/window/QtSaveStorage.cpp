#include "window/QtSaveStorage.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace goalvanta {

bool TQtSaveStorage::WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    const QString name = QString::fromStdString(path);
    const QFileInfo info(name);
    // Only a regular file is ever replaced: a folder, a device or a pipe in its place
    // stays what it is.
    if (name.isEmpty() || (info.exists() && !info.isFile()))
        return false;
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(reinterpret_cast<const char*>(bytes.data()), size) != size) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<std::vector<std::uint8_t>> TQtSaveStorage::ReadFile(const std::string& path,
                                                                  std::size_t maxBytes) {
    const QString name = QString::fromStdString(path);
    // A pipe or a device would block or never end; a save is always a regular file.
    if (!QFileInfo(name).isFile())
        return std::nullopt;
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray data = file.read(static_cast<qint64>(maxBytes));
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return std::vector<std::uint8_t>(data.begin(), data.end());
}

} // namespace goalvanta
