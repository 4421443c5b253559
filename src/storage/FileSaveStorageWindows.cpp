#include "storage/FileSaveStorage.h"
#include "storage/SystemCallsWindows.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

// Paths are the program's narrow strings in the process's ANSI code page (UTF-8
// under the program's manifest), the same encoding the toolkit's file names use.
namespace goalvanta {

namespace {

HANDLE CreateW(const wchar_t* path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    return ::CreateFileW(path, access, share, nullptr, disposition, flags, nullptr);
}
BOOL ReadW(HANDLE file, void* buffer, DWORD size, DWORD* done) {
    return ::ReadFile(file, buffer, size, done, nullptr);
}
BOOL WriteW(HANDLE file, const void* buffer, DWORD size, DWORD* done) {
    return ::WriteFile(file, buffer, size, done, nullptr);
}

// A handle closed on every way out; closes whose result matters go through
// TSystemCalls::Close after Release().
class THandle {
public:
    THandle() = default;
    explicit THandle(HANDLE handle) : FHandle(handle) {}
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    THandle& operator=(THandle&& other) noexcept {
        if (this != &other) {
            Reset();
            FHandle = other.Release();
        }
        return *this;
    }
    ~THandle() { Reset(); }
    void Reset() {
        if (Valid())
            ::CloseHandle(FHandle);
        FHandle = INVALID_HANDLE_VALUE;
    }
    bool Valid() const { return FHandle != INVALID_HANDLE_VALUE && FHandle != nullptr; }
    HANDLE Get() const { return FHandle; }
    HANDLE Release() {
        const HANDLE handle = FHandle;
        FHandle = INVALID_HANDLE_VALUE;
        return handle;
    }

private:
    HANDLE FHandle = INVALID_HANDLE_VALUE;
};

bool ToWide(const std::string& text, std::wstring& wide) {
    wide.clear();
    if (text.empty())
        return true;
    const int size = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0);
    if (size <= 0)
        return false;
    wide.resize(static_cast<std::size_t>(size));
    return ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(),
                                 static_cast<int>(text.size()), wide.data(), size) == size;
}

std::string ToNarrow(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string narrow(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
    narrow.pop_back();
    return narrow;
}

// The folder part of `path` with its separator ("" for a bare name: the current
// folder).
std::wstring FolderOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

std::wstring NameOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

std::wstring NewTemporaryWideName() {
    const std::string name = NewTemporaryName();
    return std::wstring(name.begin(), name.end()); // plain ASCII
}

// A save through a link or junction replaces the file it leads to and keeps the
// link, as on the other systems. The target's name, or the path itself when it is
// no link; empty when a link leads nowhere that can be opened.
std::wstring FinalPath(const TSystemCalls& calls, const std::wstring& path, DWORD attributes) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return path;
    THandle file(calls.Create(path.c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL));
    if (!file.Valid())
        return {};
    std::wstring final(MAX_PATH, L'\0');
    for (int round = 0; round < 2; ++round) {
        const DWORD length = ::GetFinalPathNameByHandleW(file.Get(), final.data(),
                                                         static_cast<DWORD>(final.size()), 0);
        if (length == 0)
            return {};
        if (length < final.size()) {
            final.resize(length);
            return final;
        }
        final.resize(length + 1);
    }
    return {};
}

// Removes the temporaries of ended saves in `folder`: only files of the game's
// pattern that nobody has open. A save in progress holds its temporary open
// without sharing it, so the exclusive open that deletes on close fails for it.
void RemoveStaleTemporaries(const TSystemCalls& calls, const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = folder + L".goalvanta-*.tmp";
    HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
            !IsTemporaryName(ToNarrow(found.cFileName).c_str()))
            continue;
        const std::wstring path = folder + found.cFileName;
        const HANDLE file = calls.Create(path.c_str(), DELETE, 0, OPEN_EXISTING,
                                         FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT);
        if (file != INVALID_HANDLE_VALUE)
            ::CloseHandle(file);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

bool WriteAll(const TSystemCalls& calls, HANDLE file, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, std::size_t{1} << 30));
        DWORD written = 0;
        if (!calls.Write(file, bytes.data() + done, chunk, &written))
            return false;
        if (written == 0) {
            ::SetLastError(ERROR_DISK_FULL);
            return false;
        }
        done += written;
    }
    return true;
}

} // namespace

const TSystemCalls& DefaultSystemCalls() {
    static const TSystemCalls calls{
        .Create = CreateW,
        .Attributes = ::GetFileAttributesW,
        .Read = ReadW,
        .Write = WriteW,
        .Flush = ::FlushFileBuffers,
        .Close = ::CloseHandle,
        .Move = ::MoveFileExW,
        .Delete = ::DeleteFileW,
    };
    return calls;
}

bool TFileSaveStorage::WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    const TSystemCalls& calls = *FCalls;
    std::wstring wide;
    if (path.empty() || path.find('\0') != std::string::npos || !ToWide(path, wide))
        return false;
    // Only a regular file is ever replaced: a folder or a device in its place stays
    // what it is.
    const DWORD attributes = calls.Attributes(wide.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists && ::GetLastError() != ERROR_FILE_NOT_FOUND)
        return false;
    const std::wstring target = exists ? FinalPath(calls, wide, attributes) : wide;
    if (target.empty() || NameOf(target).empty())
        return false;
    if (exists && (calls.Attributes(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    const std::wstring folder = FolderOf(target);
    RemoveStaleTemporaries(calls, folder);

    // The new file is shared with nobody but a rename, so that no other save takes
    // it for a stale one, and the handle stays open until it has replaced the old.
    std::wstring temporary;
    THandle file;
    for (int attempt = 0; attempt < 16 && !file.Valid(); ++attempt) {
        temporary = folder + NewTemporaryWideName();
        file = THandle(calls.Create(temporary.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL));
        if (!file.Valid() && ::GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    if (!file.Valid())
        return false;
    const bool written = WriteAll(calls, file.Get(), bytes) && calls.Flush(file.Get());
    const bool moved = written && calls.Move(temporary.c_str(), target.c_str(),
                                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    const DWORD error = ::GetLastError();
    const bool closed = calls.Close(file.Release());
    if (!moved) {
        calls.Delete(temporary.c_str());
        ::SetLastError(error);
        return false;
    }
    // The bytes were flushed before the move, so a failed close loses nothing; it is
    // reported all the same.
    return closed;
}

std::optional<std::vector<std::uint8_t>> TFileSaveStorage::ReadFile(const std::string& path,
                                                                    std::size_t maxBytes) {
    const TSystemCalls& calls = *FCalls;
    std::wstring wide;
    if (path.empty() || path.find('\0') != std::string::npos || !ToWide(path, wide))
        return std::nullopt;
    const DWORD attributes = calls.Attributes(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    const THandle file(calls.Create(wide.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL));
    // Only a file on a disk: a console, a pipe or a device name such as NUL is refused.
    LARGE_INTEGER size{};
    if (!file.Valid() || ::GetFileType(file.Get()) != FILE_TYPE_DISK ||
        !::GetFileSizeEx(file.Get(), &size))
        return std::nullopt;
    const std::size_t length = size.QuadPart > 0 ? static_cast<std::size_t>(size.QuadPart) : 0;
    std::vector<std::uint8_t> bytes(std::min(maxBytes, length));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, std::size_t{1} << 30));
        DWORD got = 0;
        if (!calls.Read(file.Get(), bytes.data() + done, chunk, &got))
            return std::nullopt;
        if (got == 0)
            break;
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

} // namespace goalvanta
