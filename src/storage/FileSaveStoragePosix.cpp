#include "storage/FileSaveStorage.h"
#include "storage/SystemCallsPosix.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <unistd.h>

namespace goalvanta {

namespace {

int OpenAt(int folder, const char* name, int flags, mode_t mode) {
    return ::openat(folder, name, flags, mode);
}
int LinkAt(int fromFolder, const char* from, int toFolder, const char* to) {
    return ::linkat(fromFolder, from, toFolder, to, 0);
}
int UnlinkAt(int folder, const char* name) {
    return ::unlinkat(folder, name, 0);
}

// A descriptor closed on every way out; closes whose result matters go through
// TSystemCalls::Close after Release().
class TFd {
public:
    TFd() = default;
    explicit TFd(int fd) : FFd(fd) {}
    TFd(TFd&& other) noexcept : FFd(other.Release()) {}
    TFd& operator=(TFd&& other) noexcept {
        if (this != &other) {
            Reset();
            FFd = other.Release();
        }
        return *this;
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    ~TFd() { Reset(); }

    bool Valid() const { return FFd >= 0; }
    int Get() const { return FFd; }
    int Release() {
        const int fd = FFd;
        FFd = -1;
        return fd;
    }
    void Reset() {
        if (FFd >= 0)
            ::close(FFd);
        FFd = -1;
    }

private:
    int FFd = -1;
};

constexpr int MaxLinks = 40; // as the kernel's own limit on a path's links

// A folder part and a last name, split at the last '/' of the bytes.
struct TSplitPath {
    std::string Folder;
    std::string Name;
};

TSplitPath Split(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// What a save replaces: the folder it lives in, its name there and, when it exists,
// what it is.
struct TTarget {
    TFd Folder;
    std::string Name;
    bool Exists = false;
    struct stat Old {};
};

// Follows symbolic links from `path` to the file they lead to, so that a save
// through a link writes the linked file (a link to nothing creates its target).
bool FindTarget(const TSystemCalls& calls, const std::string& path, TTarget& target) {
    std::string rest = path;
    TFd folder;
    for (int hop = 0; hop <= MaxLinks; ++hop) {
        TSplitPath split = Split(rest);
        if (split.Name.empty() || split.Name == "." || split.Name == "..") {
            errno = EISDIR;
            return false;
        }
        const int from = split.Folder[0] == '/' || !folder.Valid() ? AT_FDCWD : folder.Get();
        TFd next(calls.Open(from, split.Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
        if (!next.Valid())
            return false;
        folder = std::move(next);
        if (calls.Stat(folder.Get(), split.Name.c_str(), &target.Old, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT)
                return false;
            target.Exists = false;
        } else if (S_ISLNK(target.Old.st_mode)) {
            char link[PATH_MAX];
            const ssize_t length =
                ::readlinkat(folder.Get(), split.Name.c_str(), link, sizeof link);
            if (length <= 0 || static_cast<std::size_t>(length) >= sizeof link)
                return false;
            rest.assign(link, static_cast<std::size_t>(length));
            continue;
        } else {
            target.Exists = true;
        }
        target.Folder = std::move(folder);
        target.Name = std::move(split.Name);
        return true;
    }
    errno = ELOOP;
    return false;
}

// Removes the temporaries of ended saves in `folder`: only regular files of the
// game's pattern that this user owns and that no process holds locked, which a
// save in progress always does.
void RemoveStaleTemporaries(const TSystemCalls& calls, int folder) {
    const int copy = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return;
    DIR* listing = ::fdopendir(copy);
    if (listing == nullptr) {
        ::close(copy);
        return;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(listing))
        if (IsTemporaryName(entry->d_name))
            names.emplace_back(entry->d_name);
    ::closedir(listing);

    for (const std::string& name : names) {
        TFd file(calls.Open(folder, name.c_str(),
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0));
        struct stat opened {};
        if (!file.Valid() || calls.FStat(file.Get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
            opened.st_uid != ::geteuid() || ::flock(file.Get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        // Only the file locked here, should the name have been taken over meanwhile.
        struct stat named {};
        if (calls.Stat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            SameFile(named, opened))
            calls.Unlink(folder, name.c_str());
    }
}

// Creates and locks a new temporary in `folder`. The lock tells other saves that it
// is in use; a temporary another save removed before it was locked is given up.
TFd CreateTemporary(const TSystemCalls& calls, int folder, std::string& name) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        name = NewTemporaryName();
        TFd file(calls.Open(folder, name.c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600));
        if (!file.Valid()) {
            if (errno == EEXIST)
                continue;
            return {};
        }
        struct stat opened {};
        struct stat named {};
        if (::flock(file.Get(), LOCK_EX | LOCK_NB) == 0 && calls.FStat(file.Get(), &opened) == 0 &&
            calls.Stat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            SameFile(opened, named))
            return file;
    }
    errno = EEXIST;
    return {};
}

bool WriteAll(const TSystemCalls& calls, int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t chunk = std::min<std::size_t>(bytes.size() - done, std::size_t{1} << 30);
        const ssize_t written = calls.Write(fd, bytes.data() + done, chunk);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// The file creation mask, without changing it where the system can tell it.
mode_t CurrentUmask() {
    if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status) != nullptr)
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(status);
        if (found)
            return static_cast<mode_t>(mask);
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// The old file's owner, group and every mode bit, setgid and sticky included; a new
// file gets what creating it plainly would have given. The owner goes first, since
// changing it clears setuid and setgid. Anything that did not take fails the save.
bool CopyOwnerAndMode(const TSystemCalls& calls, int fd, const TTarget& target) {
    constexpr mode_t ModeBits = 07777;
    const mode_t mode = target.Exists ? (target.Old.st_mode & ModeBits) : (0666 & ~CurrentUmask());
    // Someone other than the superuser may not give a file away. Saving over another
    // user's file they may write has always made the new file theirs, so it still
    // does: the group is kept where it can be, and setuid and setgid, which the
    // system drops for such a file, are not asked for.
    bool ownerKept = true;
    if (target.Exists && calls.FChown(fd, target.Old.st_uid, target.Old.st_gid) != 0) {
        if (errno != EPERM || ::geteuid() == 0)
            return false;
        ownerKept = false;
        if (calls.FChown(fd, static_cast<uid_t>(-1), target.Old.st_gid) != 0 && errno != EPERM)
            return false;
    }
    const mode_t wanted = ownerKept ? mode : (mode & ~mode_t{S_ISUID | S_ISGID});
    struct stat now {};
    if (calls.FStat(fd, &now) != 0)
        return false;
    if ((target.Exists || (now.st_mode & ModeBits) != wanted) && calls.FChmod(fd, wanted) != 0)
        return false;
    if (calls.FStat(fd, &now) != 0)
        return false;
    const bool kept = (now.st_mode & ModeBits) == wanted &&
                      (!target.Exists || !ownerKept ||
                       (now.st_uid == target.Old.st_uid && now.st_gid == target.Old.st_gid));
    if (!kept)
        errno = EPERM; // e.g. setgid dropped for a group the user is not in
    return kept;
}

bool HasNul(const std::string& path) {
    return path.find('\0') != std::string::npos;
}

bool SyncFolder(const TSystemCalls& calls, int folder) {
    // Some file systems cannot sync a folder at all; there is nothing to wait for.
    return calls.SyncFolder(folder) == 0 || errno == EINVAL || errno == ENOTSUP;
}

} // namespace

const TSystemCalls& DefaultSystemCalls() {
    static const TSystemCalls calls{
        .Open = OpenAt,
        .Stat = ::fstatat,
        .FStat = ::fstat,
        .Read = ::read,
        .Write = ::write,
        .FChown = ::fchown,
        .FChmod = ::fchmod,
        .Sync = ::fsync,
        .Close = ::close,
        .Link = LinkAt,
        .Rename = ::renameat,
        .Unlink = UnlinkAt,
        .SyncFolder = ::fsync,
    };
    return calls;
}

bool TFileSaveStorage::WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    const TSystemCalls& calls = *FCalls;
    if (path.empty() || HasNul(path))
        return false;
    TTarget target;
    // Only a regular file is ever replaced: a folder, a device or a pipe in its place
    // stays what it is.
    if (!FindTarget(calls, path, target) || (target.Exists && !S_ISREG(target.Old.st_mode)))
        return false;
    const int folder = target.Folder.Get();
    RemoveStaleTemporaries(calls, folder);

    std::string temporary;
    TFd file = CreateTemporary(calls, folder, temporary);
    if (!file.Valid())
        return false;
    bool written = WriteAll(calls, file.Get(), bytes) &&
                   CopyOwnerAndMode(calls, file.Get(), target) && calls.Sync(file.Get()) == 0;
    // A second descriptor keeps the lock from the checked close until the rename.
    const TFd lock(::fcntl(file.Get(), F_DUPFD_CLOEXEC, 0));
    written = calls.Close(file.Release()) == 0 && written;
    if (!written) {
        calls.Unlink(folder, temporary.c_str());
        return false;
    }

    // Until the folder is synced the old file stays reachable under a second name of
    // the game's pattern, so that a failed sync can put it back. Where hard links
    // are not to be had, the save goes on without that way back.
    std::string backup;
    TFd oldLock;
    if (target.Exists) {
        oldLock = TFd(calls.Open(folder, target.Name.c_str(),
                                 O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0));
        struct stat opened {};
        if (oldLock.Valid() && calls.FStat(oldLock.Get(), &opened) == 0 &&
            SameFile(opened, target.Old))
            ::flock(oldLock.Get(), LOCK_EX | LOCK_NB); // keeps other saves from removing it
        for (int attempt = 0; attempt < 4 && backup.empty(); ++attempt) {
            std::string name = NewTemporaryName();
            if (calls.Link(folder, target.Name.c_str(), folder, name.c_str()) == 0)
                backup = std::move(name);
            else if (errno != EEXIST)
                break;
        }
    }
    if (calls.Rename(folder, temporary.c_str(), folder, target.Name.c_str()) != 0) {
        calls.Unlink(folder, temporary.c_str());
        if (!backup.empty())
            calls.Unlink(folder, backup.c_str());
        return false;
    }
    if (!SyncFolder(calls, folder)) {
        if (!backup.empty())
            calls.Rename(folder, backup.c_str(), folder, target.Name.c_str());
        else if (!target.Exists)
            calls.Unlink(folder, target.Name.c_str());
        return false;
    }
    if (!backup.empty())
        calls.Unlink(folder, backup.c_str());
    return true;
}

std::optional<std::vector<std::uint8_t>> TFileSaveStorage::ReadFile(const std::string& path,
                                                                    std::size_t maxBytes) {
    const TSystemCalls& calls = *FCalls;
    if (path.empty() || HasNul(path))
        return std::nullopt;
    // A pipe or a device standing at the path is never opened...
    struct stat info {};
    if (calls.Stat(AT_FDCWD, path.c_str(), &info, 0) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    // ...and one put there since is opened without waiting for a writer or becoming
    // the controlling terminal, and then refused.
    const TFd file(
        calls.Open(AT_FDCWD, path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0));
    if (!file.Valid() || calls.FStat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    // No further than the file says it is long: files of the kernel's that claim no
    // length (a log that waits for news) are not read at all.
    const std::size_t length = info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
    std::vector<std::uint8_t> bytes(std::min(maxBytes, length));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = calls.Read(file.Get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

} // namespace goalvanta
