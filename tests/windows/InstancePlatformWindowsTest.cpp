#include "instance/InstancePlatform.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <windows.h>

using namespace goalvanta;

TEST(InstancePlatformWindows, LockIsHeldUntilItsOwnerEnds) {
    TInstanceLock first("first");
    ASSERT_EQ(first.TryLock(), TInstanceLock::TResult::Locked) << first.ErrorText();
    {
        TInstanceLock second("second");
        EXPECT_EQ(second.TryLock(), TInstanceLock::TResult::HeldByOther);
    }
    // It is the named object of the session, which any of its programs can find.
    HANDLE seen = ::OpenMutexW(SYNCHRONIZE, FALSE, L"Local\\hTovrinGoalvanta");
    ASSERT_NE(seen, nullptr);
    ::CloseHandle(seen);
}

TEST(InstancePlatformWindows, LockIsFreeAgainOnceReleased) {
    {
        TInstanceLock first("first");
        ASSERT_EQ(first.TryLock(), TInstanceLock::TResult::Locked) << first.ErrorText();
    }
    TInstanceLock again("again");
    EXPECT_EQ(again.TryLock(), TInstanceLock::TResult::Locked) << again.ErrorText();
}

TEST(InstancePlatformWindows, PrivateFolderIsTheUsersOwnAndExists) {
    std::string error;
    const auto folder = PrivateInstanceFolder(error);
    ASSERT_TRUE(folder) << error;
    EXPECT_TRUE(std::filesystem::is_directory(*folder));
    EXPECT_NE(folder->find("Goalvanta/instance"), std::string::npos) << *folder;
    EXPECT_EQ(folder->find('\\'), std::string::npos) << "a pipe name may hold no backslash";
    std::string why;
    EXPECT_TRUE(IsPrivateFolder(*folder, &why)) << why;
}

TEST(InstancePlatformWindows, PrivateFolderRefusesWhatIsNotAnAbsoluteOwnFolder) {
    std::string why;
    EXPECT_FALSE(IsPrivateFolder("relative\\folder", &why));
    EXPECT_NE(why.find("absolute"), std::string::npos) << why;
    const std::string file = ProgramFilePath();
    EXPECT_FALSE(IsPrivateFolder(file, &why)) << "a file is no folder";
    EXPECT_FALSE(IsPrivateFolder(ProgramFolder() + "\\no-such-folder", &why));
}

TEST(InstancePlatformWindows, ProgramPathIsThisExecutable) {
    const std::string file = ProgramFilePath();
    ASSERT_FALSE(file.empty());
    EXPECT_TRUE(std::filesystem::is_regular_file(file));
    EXPECT_NE(file.find("windows_platform_tests"), std::string::npos) << file;
    EXPECT_EQ(ProgramFolder(), std::filesystem::path(file).parent_path().string());
}
