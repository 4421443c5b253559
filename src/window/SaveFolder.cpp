#include "window/SaveFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace goalvanta {

bool IsWritableFolder(const QString& folder) {
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(".goalvanta-probe-XXXXXX"));
    return probe.open();
}

QString ChooseSaveFolder(const QString& programFolder, const QString& userDataFolder) {
    const QString beside = QDir(programFolder).filePath("savedata");
    const bool usable = QFileInfo(beside).isDir() ? IsWritableFolder(beside)
                                                  : IsWritableFolder(programFolder);
    return (usable ? beside : QDir(userDataFolder).filePath("savedata")) + "/";
}

QString DefaultSaveFolder() {
    return ChooseSaveFolder(QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

} // namespace goalvanta
