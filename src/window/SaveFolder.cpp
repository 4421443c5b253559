#include "window/SaveFolder.h"

#include "instance/InstancePlatform.h"
#include "savedata/PathBytes.h"

#include <QFile>
#include <QStandardPaths>
#include <cstdio>
#include <filesystem>
#include <random>

namespace goalvanta {

namespace {

std::string Joined(const std::string& folder, const char* name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool IsFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(PathFromBytes(path), error);
}

} // namespace

bool IsWritableFolder(const std::string& folder) {
    if (folder.empty() || !IsFolder(folder))
        return false;
    static std::mt19937_64 engine{std::random_device{}()};
    const std::string probe = Joined(folder, ".goalvanta-probe-") + std::to_string(engine());
    // "x": never opens, and so never removes, a file that is there already.
    std::FILE* file = std::fopen(probe.c_str(), "wbx");
    if (file == nullptr)
        return false;
    std::fclose(file);
    std::remove(probe.c_str());
    return true;
}

bool IsInstalledProgramFolder(const std::string& programFolder) {
    return programFolder.rfind("/usr/", 0) == 0;
}

std::string ChooseSaveFolder(const std::string& programFolder, const std::string& userDataFolder) {
    const std::string beside = Joined(programFolder, "savedata");
    const bool usable =
        !programFolder.empty() && !IsInstalledProgramFolder(programFolder) &&
        (IsFolder(beside) ? IsWritableFolder(beside) : IsWritableFolder(programFolder));
    return (usable ? beside : Joined(userDataFolder, "savedata")) + "/";
}

std::string DefaultSaveFolder() {
    const QString userData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return ChooseSaveFolder(ProgramFolder(), QFile::encodeName(userData).toStdString());
}

} // namespace goalvanta
