#pragma once

#include <memory>
#include <optional>
#include <string>

// What the single instance needs of the operating system, one implementation per
// platform (posix/ here). Every path is the bytes the file system uses, never
// decoded: a folder or file whose name is not valid UTF-8 works like any other.
namespace goalvanta {

// A folder for the instance lock and the hand-over socket that is the user's alone.
// The session's runtime folder when it passes the checks, else a folder of the
// game's own making under the user's cache folder. Never relative, never the
// current folder. On failure, nothing and `error` says why.
std::optional<std::string> PrivateInstanceFolder(std::string& error);

// Whether `folder` (an absolute path) is a real folder, not a link to one, owned
// by this user and closed to everybody else; `why` says what is wrong.
bool IsPrivateFolder(const std::string& folder, std::string* why = nullptr);

// The per-user instance lock, held from TryLock() until the object is destroyed.
// It is a lock the system holds for the process, so it cannot go stale: when the
// holder dies, for whatever reason, the lock is free again, whatever the file says.
class TInstanceLock {
public:
    enum class TResult {
        Locked,      // this process is the running game
        HeldByOther, // a live process holds it
        Failed,      // neither: ErrorText() says why
    };

    explicit TInstanceLock(std::string path);
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock&) = delete;
    TInstanceLock& operator=(const TInstanceLock&) = delete;

    // Takes the lock if nobody holds it. What a crash or a stranger left at the path
    // is cleared first: an empty or unreadable file is simply locked again, a link,
    // pipe or device is removed, and so is an empty folder.
    TResult TryLock();
    const std::string& Path() const { return FPath; }
    const std::string& ErrorText() const { return FError; }

private:
    std::string FPath;
    std::string FError;
    int FHandle = -1;
};

// The absolute path of the running executable, as its bytes, and its folder; empty
// when the system cannot tell.
std::string ProgramFilePath();
std::string ProgramFolder();

} // namespace goalvanta
