#include "instance/InstancePlatform.h"

#include <aclapi.h>
#include <algorithm>
#include <cstdint>
#include <shlobj.h>
#include <string>
#include <vector>
#include <windows.h>

// Paths are the program's narrow strings: the process's ANSI code page, which the
// program's manifest makes UTF-8 (so that every name works), as the toolkit's and
// the C library's narrow names are.
namespace goalvanta {

namespace {

// The lock is a named mutex in the session's own namespace: the system gives it to
// exactly one creator, atomically, and destroys it when the last handle closes,
// so a game that crashed or was killed never leaves a lock behind.
const wchar_t* const MutexName = L"Local\\hTovrinGoalvanta";

std::wstring Wide(const std::string& text) {
    if (text.empty())
        return {};
    const int size =
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

std::string Narrow(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                          size, nullptr, nullptr);
    return narrow;
}

std::string SystemMessage(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 ? std::wstring(buffer, length) : std::wstring();
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.'))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(error) : Narrow(text);
}

std::string Describe(const std::string& path, const char* what, DWORD error = 0) {
    std::string text = path + ": " + what;
    if (error != 0)
        text += " (" + SystemMessage(error) + ")";
    return text;
}

bool IsAbsolute(const std::wstring& path) {
    const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    // "C:\..." or a UNC path "\\server\share\...".
    return (path.size() >= 3 && path[1] == L':' && separator(path[2])) ||
           (path.size() >= 2 && separator(path[0]) && separator(path[1]));
}

// The SID of this process's user, and the one it gives as owner to what it creates
// (an elevated administrator's objects belong to the Administrators group).
bool TokenSids(std::vector<std::uint8_t>& user, std::vector<std::uint8_t>& owner) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    const auto query = [token](TOKEN_INFORMATION_CLASS type, std::vector<std::uint8_t>& buffer) {
        DWORD size = 0;
        ::GetTokenInformation(token, type, nullptr, 0, &size);
        buffer.resize(size);
        return size > 0 && ::GetTokenInformation(token, type, buffer.data(), size, &size);
    };
    std::vector<std::uint8_t> userInfo;
    std::vector<std::uint8_t> ownerInfo;
    const bool ok = query(TokenUser, userInfo) && query(TokenOwner, ownerInfo);
    ::CloseHandle(token);
    if (!ok)
        return false;
    const auto copy = [](PSID sid, std::vector<std::uint8_t>& to) {
        const auto* bytes = static_cast<const std::uint8_t*>(sid);
        to.assign(bytes, bytes + ::GetLengthSid(sid));
    };
    copy(reinterpret_cast<TOKEN_USER*>(userInfo.data())->User.Sid, user);
    copy(reinterpret_cast<TOKEN_OWNER*>(ownerInfo.data())->Owner, owner);
    return true;
}

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    std::wstring result;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path)))
        result = path;
    ::CoTaskMemFree(path);
    return result;
}

} // namespace

bool IsPrivateFolder(const std::string& folder, std::string* why) {
    const auto fail = [&](const char* what, DWORD error = 0) {
        if (why != nullptr)
            *why = Describe(folder, what, error);
        return false;
    };
    const std::wstring path = Wide(folder);
    if (!IsAbsolute(path))
        return fail("not an absolute path");
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return fail("cannot be examined", ::GetLastError());
    // A junction or link is refused however safe its target looks, since whoever
    // made it may point it elsewhere at any moment.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return fail("is not a folder (or is a link)");
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD result =
        ::GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                                nullptr, nullptr, nullptr, &descriptor);
    if (result != ERROR_SUCCESS)
        return fail("has no owner that can be read", result);
    std::vector<std::uint8_t> user;
    std::vector<std::uint8_t> ownerOfNew;
    const bool ours = TokenSids(user, ownerOfNew) &&
                      (::EqualSid(owner, user.data()) || ::EqualSid(owner, ownerOfNew.data()));
    ::LocalFree(descriptor);
    if (!ours)
        return fail("belongs to another user");
    // Who else may enter is the user profile's business: the folder lies in the
    // user's own local application data and inherits that folder's access list.
    return true;
}

std::optional<std::string> PrivateInstanceFolder(std::string& error) {
    const std::wstring local = KnownFolder(FOLDERID_LocalAppData);
    if (local.empty() || !IsAbsolute(local)) {
        error = "the user's local application data folder is unknown";
        return std::nullopt;
    }
    std::wstring folder = local;
    for (const wchar_t* part : {L"\\Goalvanta", L"\\instance"}) {
        folder += part;
        if (!::CreateDirectoryW(folder.c_str(), nullptr) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS) {
            error = Describe(Narrow(folder), "cannot be made", ::GetLastError());
            return std::nullopt;
        }
    }
    // With forward slashes: the hand-over socket is a named pipe named after the
    // folder, and a pipe's name may hold no backslash after its "\\.\pipe\" prefix.
    std::string own = Narrow(folder);
    std::replace(own.begin(), own.end(), '\\', '/');
    if (!IsPrivateFolder(own, &error))
        return std::nullopt;
    return own;
}

// FHandle holds the mutex's handle. Kernel handles are 32-bit values even in a
// 64-bit process (the system guarantees that truncating them is safe), and a
// valid one is never -1, which stays "no handle".
TInstanceLock::TInstanceLock(std::string path) : FPath(std::move(path)) {}

TInstanceLock::~TInstanceLock() {
    if (FHandle != -1)
        ::CloseHandle(reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(FHandle)));
}

TInstanceLock::TResult TInstanceLock::TryLock() {
    if (FHandle != -1)
        return TResult::Locked;
    ::SetLastError(ERROR_SUCCESS);
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, MutexName);
    const DWORD error = ::GetLastError();
    if (mutex == nullptr) {
        // The name exists but this user may not open it: another user's game runs in
        // this session (started with "Run as").
        FError = error == ERROR_ACCESS_DENIED
                     ? std::string("another user's game is running in this session")
                     : Describe("hTovrinGoalvanta", "cannot be created", error);
        return TResult::Failed;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        return TResult::HeldByOther;
    }
    FHandle = static_cast<int>(reinterpret_cast<std::intptr_t>(mutex));
    return TResult::Locked;
}

std::string ProgramFilePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return Narrow(path);
        }
        if (path.size() >= 32768)
            return {};
        path.resize(path.size() * 2);
    }
}

std::string ProgramFolder() {
    const std::string file = ProgramFilePath();
    const std::size_t separator = file.find_last_of("\\/");
    if (separator == std::string::npos)
        return {};
    // A program at a drive's root keeps the root's separator: "C:" alone means the
    // drive's current folder.
    return file.substr(0, separator == 2 && file[1] == ':' ? 3 : separator);
}

} // namespace goalvanta
