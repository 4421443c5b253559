#pragma once

#include "storage/TemporaryName.h"

#include <sys/stat.h>
#include <sys/types.h>

namespace goalvanta {

// Every call through which the file storage changes or reads the file system, so
// that a test can replace any one of them, for instance by one that fails with EIO.
// Folders are descriptors, names are relative to them, as in the *at() calls.
struct TSystemCalls {
    int (*Open)(int folder, const char* name, int flags, mode_t mode);       // openat
    int (*Stat)(int folder, const char* name, struct stat* info, int flags); // fstatat
    int (*FStat)(int fd, struct stat* info);
    ssize_t (*Read)(int fd, void* buffer, size_t size);
    ssize_t (*Write)(int fd, const void* buffer, size_t size);
    int (*FChown)(int fd, uid_t owner, gid_t group);
    int (*FChmod)(int fd, mode_t mode);
    int (*Sync)(int fd);  // the new file's bytes and attributes
    int (*Close)(int fd); // the new file's descriptor, whose close is checked
    int (*Link)(int fromFolder, const char* from, int toFolder, const char* to);
    int (*Rename)(int fromFolder, const char* from, int toFolder, const char* to);
    int (*Unlink)(int folder, const char* name);
    int (*SyncFolder)(int folder);
};

} // namespace goalvanta
