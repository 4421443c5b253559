#pragma once

#include "storage/TemporaryName.h"

#include <windows.h>

namespace goalvanta {

// Every call through which the file storage changes or reads the file system, so
// that a test can replace any one of them, for instance by one that fails with
// ERROR_DISK_FULL. Paths are wide, as the system's own.
struct TSystemCalls {
    HANDLE(*Create)
    (const wchar_t* path, DWORD access, DWORD share, DWORD disposition,
     DWORD flags); // CreateFileW
    DWORD (*Attributes)(const wchar_t* path);
    BOOL (*Read)(HANDLE file, void* buffer, DWORD size, DWORD* done);
    BOOL (*Write)(HANDLE file, const void* buffer, DWORD size, DWORD* done);
    BOOL (*Flush)(HANDLE file); // the new file's bytes, before it replaces the old
    BOOL (*Close)(HANDLE file); // the new file's handle, whose close is checked
    BOOL (*Move)(const wchar_t* from, const wchar_t* to, DWORD flags); // MoveFileExW
    BOOL (*Delete)(const wchar_t* path);
};

} // namespace goalvanta
