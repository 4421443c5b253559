#include "instance/InstancePlatform.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace goalvanta {

namespace {

std::string Describe(const std::string& path, const char* what, int error = 0) {
    std::string text = path + ": " + what;
    if (error != 0)
        text += std::string(" (") + std::strerror(error) + ")";
    return text;
}

// An absolute folder from the environment variable `name`, or nothing.
std::optional<std::string> AbsoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return std::nullopt;
    return std::string(value);
}

// Makes `folder` with mode 0700 unless it exists; parents are made as needed with
// the same mode (they are new, and nobody else needs them).
bool MakeFolders(const std::string& folder) {
    for (std::size_t at = 1; at <= folder.size(); ++at) {
        if (at != folder.size() && folder[at] != '/')
            continue;
        const std::string part = folder.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

} // namespace

bool IsPrivateFolder(const std::string& folder, std::string* why) {
    struct stat info {};
    const auto fail = [&](const char* what, int error = 0) {
        if (why != nullptr)
            *why = Describe(folder, what, error);
        return false;
    };
    if (folder.empty() || folder.front() != '/')
        return fail("not an absolute path");
    // lstat: a link to a folder is refused however safe its target looks, since
    // whoever owns the link may point it elsewhere at any moment.
    if (::lstat(folder.c_str(), &info) != 0)
        return fail("cannot be examined", errno);
    if (!S_ISDIR(info.st_mode))
        return fail("is not a folder (or is a symbolic link)");
    if (info.st_uid != ::geteuid())
        return fail("belongs to another user");
    if ((info.st_mode & 07777) != 0700)
        return fail("is open to other users (mode is not 0700)");
    return true;
}

std::optional<std::string> PrivateInstanceFolder(std::string& error) {
    std::string runtimeWhy;
    if (const auto runtime = AbsoluteFromEnvironment("XDG_RUNTIME_DIR")) {
        if (IsPrivateFolder(*runtime, &runtimeWhy))
            return runtime;
    } else {
        runtimeWhy = "XDG_RUNTIME_DIR is not set to an absolute folder";
    }

    std::string cache;
    if (const auto xdg = AbsoluteFromEnvironment("XDG_CACHE_HOME"))
        cache = *xdg;
    else if (const auto home = AbsoluteFromEnvironment("HOME"))
        cache = *home + "/.cache";
    if (cache.empty()) {
        error = runtimeWhy + "; and neither XDG_CACHE_HOME nor HOME names an absolute folder";
        return std::nullopt;
    }
    const std::string own = cache + "/goalvanta/instance";
    if (!MakeFolders(own)) {
        error = runtimeWhy + "; " + Describe(own, "cannot be made", errno);
        return std::nullopt;
    }
    // A folder of ours that lost its mode (a restored backup) is closed again; one
    // that is not ours, or is a link, is never used.
    struct stat info {};
    if (::lstat(own.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
        (info.st_mode & 07777) != 0700)
        ::chmod(own.c_str(), 0700);
    std::string ownWhy;
    if (!IsPrivateFolder(own, &ownWhy)) {
        error = runtimeWhy + "; " + ownWhy;
        return std::nullopt;
    }
    return own;
}

TInstanceLock::TInstanceLock(std::string path) : FPath(std::move(path)) {}

TInstanceLock::~TInstanceLock() {
    // The file stays: removing it would let a start that opened it a moment ago
    // lock a file nobody else can find any more.
    if (FHandle >= 0)
        ::close(FHandle);
}

TInstanceLock::TResult TInstanceLock::TryLock() {
    // Two rounds: the first may find something in the way and clear it.
    for (int round = 0; round < 2; ++round) {
        // O_NONBLOCK: a pipe at the path must not stop the start in open().
        const int fd = ::open(
            FPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC | O_NONBLOCK, 0600);
        if (fd < 0) {
            const int error = errno;
            if (error == EISDIR) {
                // Only an empty folder is ours to remove.
                if (::rmdir(FPath.c_str()) == 0)
                    continue;
                FError = Describe(FPath, "is a folder that cannot be removed", errno);
                return TResult::Failed;
            }
            if (error == ELOOP && ::unlink(FPath.c_str()) == 0)
                continue; // a symbolic link
            FError = Describe(FPath, "cannot be opened", error);
            return TResult::Failed;
        }
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(fd);
            if (::unlink(FPath.c_str()) == 0)
                continue; // a pipe, socket or device
            FError = Describe(FPath, "is not a regular file and cannot be removed", errno);
            return TResult::Failed;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK)
                return TResult::HeldByOther;
            FError = Describe(FPath, "cannot be locked", error);
            return TResult::Failed;
        }
        // For people looking at the file: who holds it. Nothing reads it back.
        const std::string pid = std::to_string(::getpid()) + "\n";
        if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) < 0) {
            // Only informative: the lock is held all the same.
        }
        FHandle = fd;
        return TResult::Locked;
    }
    FError = Describe(FPath, "keeps being replaced while the game starts");
    return TResult::Failed;
}

std::string ProgramFilePath() {
    // /proc/self/exe gives the bytes of the path; the toolkit's decoded copy of it
    // is empty when the name is not valid text.
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size())
        return {};
    path.resize(static_cast<std::size_t>(length));
    return path;
}

std::string ProgramFolder() {
    const std::string file = ProgramFilePath();
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string() : file.substr(0, slash == 0 ? 1 : slash);
}

} // namespace goalvanta
