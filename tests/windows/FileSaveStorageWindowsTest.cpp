#include "core/TempFolder.h"
#include "storage/FileSaveStorage.h"
#include "storage/SystemCallsWindows.h"

#include <cwchar>
#include <filesystem>
#include <gtest/gtest.h>

using namespace goalvanta;
using goalvanta::test::ReadBytes;
using goalvanta::test::TTempFolder;
using goalvanta::test::WriteBytes;

namespace {

const std::vector<std::uint8_t> OldBytes{'o', 'l', 'd', 0, 1, 2};
const std::vector<std::uint8_t> NewBytes{'n', 'e', 'w', 0, 0xff, 0x7f, 9};

std::size_t Temporaries(const TTempFolder& folder) {
    std::size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        n += IsTemporaryName(entry.path().filename().string().c_str()) ? 1 : 0;
    return n;
}

// The default calls with one of them failing the way a full or broken disk does.
struct TFailing {
    const char* Name;
    TSystemCalls Calls;
};

TSystemCalls With(void (*change)(TSystemCalls&)) {
    TSystemCalls calls = DefaultSystemCalls();
    change(calls);
    return calls;
}

} // namespace

TEST(FileSaveStorageWindows, WritesNewFileAndReplacesOldOneLeavingNothingBeside) {
    TTempFolder folder;
    TFileSaveStorage storage;
    const std::string path = folder.File("slot1.gvs");
    ASSERT_TRUE(storage.WriteFile(path, OldBytes));
    EXPECT_EQ(ReadBytes(path), OldBytes);
    ASSERT_TRUE(storage.WriteFile(path, NewBytes));
    EXPECT_EQ(ReadBytes(path), NewBytes);
    EXPECT_EQ(folder.EntryCount(), 1u);
    EXPECT_EQ(storage.ReadFile(path, 1000), NewBytes);
    EXPECT_EQ(storage.ReadFile(path, 3),
              std::vector<std::uint8_t>(NewBytes.begin(), NewBytes.begin() + 3));
}

TEST(FileSaveStorageWindows, EveryFailingStepIsReportedAndKeepsTheOldFile) {
    const TFailing cases[] = {
        {"create", With([](TSystemCalls& c) {
             c.Create = [](const wchar_t* path, DWORD access, DWORD share, DWORD disposition,
                           DWORD flags) -> HANDLE {
                 if (disposition == CREATE_NEW) {
                     ::SetLastError(ERROR_ACCESS_DENIED);
                     return INVALID_HANDLE_VALUE;
                 }
                 return DefaultSystemCalls().Create(path, access, share, disposition, flags);
             };
         })},
        {"write", With([](TSystemCalls& c) {
             c.Write = [](HANDLE, const void*, DWORD, DWORD*) -> BOOL {
                 ::SetLastError(ERROR_DISK_FULL);
                 return FALSE;
             };
         })},
        {"short write", With([](TSystemCalls& c) {
             c.Write = [](HANDLE, const void*, DWORD, DWORD* done) -> BOOL {
                 *done = 0;
                 return TRUE;
             };
         })},
        {"flush", With([](TSystemCalls& c) {
             c.Flush = [](HANDLE) -> BOOL {
                 ::SetLastError(ERROR_IO_DEVICE);
                 return FALSE;
             };
         })},
        {"move", With([](TSystemCalls& c) {
             c.Move = [](const wchar_t*, const wchar_t*, DWORD) -> BOOL {
                 ::SetLastError(ERROR_ACCESS_DENIED);
                 return FALSE;
             };
         })},
    };
    for (const TFailing& failing : cases) {
        SCOPED_TRACE(failing.Name);
        TTempFolder folder;
        const std::string path = folder.File("slot2.gvs");
        WriteBytes(path, OldBytes);
        TFileSaveStorage storage(failing.Calls);
        EXPECT_FALSE(storage.WriteFile(path, NewBytes));
        EXPECT_EQ(ReadBytes(path), OldBytes);
        EXPECT_EQ(folder.EntryCount(), 1u) << "a temporary was left behind";
    }
}

TEST(FileSaveStorageWindows, MovesWithReplaceAndWriteThroughAfterTheFlush) {
    static std::vector<std::string> steps;
    static DWORD moveFlags = 0;
    steps.clear();
    TSystemCalls calls = DefaultSystemCalls();
    calls.Flush = [](HANDLE file) -> BOOL {
        steps.push_back("flush");
        return DefaultSystemCalls().Flush(file);
    };
    calls.Move = [](const wchar_t* from, const wchar_t* to, DWORD flags) -> BOOL {
        steps.push_back("move");
        moveFlags = flags;
        return DefaultSystemCalls().Move(from, to, flags);
    };
    TTempFolder folder;
    TFileSaveStorage storage(calls);
    ASSERT_TRUE(storage.WriteFile(folder.File("slot3.gvs"), NewBytes));
    EXPECT_EQ(steps, (std::vector<std::string>{"flush", "move"}));
    EXPECT_EQ(moveFlags, DWORD{MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH});
}

TEST(FileSaveStorageWindows, RemovesStaleTemporariesButNotOneInUse) {
    TTempFolder folder;
    const std::string stale = folder.File(".goalvanta-00000000000000aa.tmp");
    const std::string busy = folder.File(".goalvanta-00000000000000bb.tmp");
    const std::string other = folder.File(".goalvanta-notours.tmp");
    WriteBytes(stale, OldBytes);
    WriteBytes(busy, OldBytes);
    WriteBytes(other, OldBytes);
    // A save in progress elsewhere holds its temporary open, shared for nothing but
    // the rename.
    const std::wstring busyWide = std::filesystem::path(busy).wstring();
    HANDLE held = ::CreateFileW(busyWide.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    TFileSaveStorage storage;
    EXPECT_TRUE(storage.WriteFile(folder.File("slot4.gvs"), NewBytes));
    ::CloseHandle(held);
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(busy));
    EXPECT_TRUE(std::filesystem::exists(other));
    EXPECT_EQ(Temporaries(folder), 1u);
}

TEST(FileSaveStorageWindows, RefusesFoldersDevicesAndMissingFiles) {
    TTempFolder folder;
    std::filesystem::create_directory(folder.Path() / "folder");
    TFileSaveStorage storage;
    EXPECT_FALSE(storage.WriteFile(folder.File("folder"), NewBytes));
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "folder"));
    EXPECT_FALSE(storage.ReadFile(folder.File("folder"), 100));
    EXPECT_FALSE(storage.ReadFile(folder.File("missing.gvs"), 100));
    EXPECT_FALSE(storage.ReadFile("NUL", 100));
    EXPECT_FALSE(storage.WriteFile(folder.File("missing-folder") + "\\slot.gvs", NewBytes));
    EXPECT_FALSE(storage.WriteFile("", NewBytes));
    EXPECT_FALSE(storage.WriteFile(std::string("a\0b", 3), NewBytes));
    EXPECT_EQ(Temporaries(folder), 0u);
}

TEST(FileSaveStorageWindows, NamesOutsideTheOldCodePagesWork) {
    // The program runs with UTF-8 as its code page: any name is one narrow string.
    // (The standard library's own narrow paths do not follow the code page, so the
    // test builds its strings from UTF-8 by hand.)
    TTempFolder folder;
    TFileSaveStorage storage;
    const std::u8string folderUtf8 = folder.Path().u8string();
    const std::string path = std::string(folderUtf8.begin(), folderUtf8.end()) +
                             "\\\xD0\x96\xE2\x82\xAC-\xE6\x97\xA5.gvs"; // Cyrillic, euro, CJK
    const std::filesystem::path wide =
        folder.Path() / std::filesystem::path(u8"\u0416\u20ac-\u65e5.gvs");
    ASSERT_TRUE(storage.WriteFile(path, NewBytes));
    EXPECT_TRUE(std::filesystem::exists(wide));
    EXPECT_EQ(storage.ReadFile(path, 100), NewBytes);
    EXPECT_EQ(folder.EntryCount(), 1u);
}
