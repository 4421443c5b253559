#include "savedata/SaveGameData.h"

#include "FakeScreen.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <limits>
#include <sys/stat.h>

namespace goalvanta::test {
namespace {

struct SaveGameData : ::testing::Test, TGameFixture {
    TTempFolder Folder;

    // Everything a load may change, to compare before and after.
    std::vector<std::uint8_t> Snapshot() { return ComposeSaveFile(Me(), Roster()); }
};

TEST_F(SaveGameData, NewGameFileGoldenBytes) {
    const std::string path = Folder.File("00savedata.sav");
    ASSERT_TRUE(Game.SaveGameFile(path));
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    ASSERT_EQ(bytes.size(), 60153u);

    std::vector<std::uint8_t> header(126, 0);
    const std::string maker = "Tovrin", title = "Goalvanta", version = "1.00";
    std::copy(maker.begin(), maker.end(), header.begin());
    std::copy(title.begin(), title.end(), header.begin() + 20);
    std::copy(version.begin(), version.end(), header.begin() + 120);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 126), header);

    const std::vector<std::uint8_t> mainPlayer = {
        0xA0, 0x86, 0x01, 0x00,              // max points 100000
        0xA0, 0x86, 0x01, 0x00,              // points 100000
        0,    0,    0,    0,                 // money
        0,    0,    0,    0,    0,           // settings owned/active, shoes, sponsor, weight
        0x01, 0x00,                          // owned weights {None}
        0,    0,    0,    0,    0, 0, 0, 0}; // wins, best wins
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 126, bytes.begin() + 153), mainPlayer);

    // Row 0 is the known opponent with 998001 = 0x000F3A71 points.
    const std::vector<std::uint8_t> firstOpponent = {0x71, 0x3A, 0x0F, 0x00, 0x00, 0x00};
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 153, bytes.begin() + 159), firstOpponent);
    // The last row is hidden and unplayed.
    EXPECT_EQ(bytes[60151], 1);
    EXPECT_EQ(bytes[60152], 0);

    EXPECT_FALSE(Game.Flags().Modified);
    EXPECT_FALSE(Game.Flags().FreshGame);
    EXPECT_EQ(Screen.CurrentFileName, path);
}

TEST_F(SaveGameData, RoundTripOfEveryField) {
    TMainPlayer& me = Me();
    me.FMaxPoint = -123456789;
    me.FPoint = 2000000001;
    me.FMoney = 0x7F00FF01;
    me.FOwnedSettings = 3;
    me.FActiveSettings = 2;
    me.FShoes = 6;
    me.FSponsor = 5;
    me.FWeight = 8;
    me.FOwnedWeights = 0x01FF;
    me.FWins = 20; // keeps the sponsor the refresh after the load derives
    me.FMaxWins = 10000;
    for (std::int32_t i = 0; i < Roster().Count(); ++i) {
        Roster().Items(i).FResult = static_cast<std::uint8_t>(i % 4);
        Roster().Items(i).FUnknown = i % 7 == 0;
    }
    const std::string path = Folder.File("game.txt");
    ASSERT_TRUE(Game.SaveGameFile(path));
    const std::vector<std::uint8_t> saved = Snapshot();

    Game.NewGame(); // a different game in memory
    Game.Flags().GameOver = true;
    Screen.Log.clear();
    ASSERT_TRUE(Game.LoadGameFile(path));
    EXPECT_EQ(Snapshot(), saved);
    EXPECT_EQ(ReadBytes(path), saved);
    EXPECT_FALSE(Game.Flags().GameOver);
    EXPECT_FALSE(Game.Flags().Modified);
    EXPECT_FALSE(Game.Flags().FreshGame);
    // Rows in view, then the shop, then the panel.
    EXPECT_EQ(Screen.Log, (std::vector<std::string>{"refresh-rows", "shop", "panel"}));
}

// A save may hold any int32: one won match on a game at the extremes wraps every
// sum as the stored fields do (the sanitizer build fails on an overflow here).
TEST_F(SaveGameData, WinOnALoadedGameAtTheInt32Extremes) {
    constexpr std::int32_t Max = std::numeric_limits<std::int32_t>::max();
    TMainPlayer& me = Me();
    me.FMaxPoint = Max;
    me.FPoint = Max;
    me.FMoney = Max;
    me.FWins = Max;
    me.FMaxWins = Max;
    me.FSponsor = 1; // 100,000 $ per win
    me.FShoes = 6;   // +15,625 per win
    const std::string path = Folder.File("extremes.sav");
    ASSERT_TRUE(Game.SaveGameFile(path));
    Game.NewGame();
    ASSERT_TRUE(Game.LoadGameFile(path));
    // The loaded sponsor is re-derived from the wins; put the rich one back.
    Me().FSponsor = 1;

    const std::int32_t row = RowOf(1);
    Roster().Items(row).FUnknown = false;
    Screen.SelectRows({row});
    ASSERT_TRUE(Game.Execute(TCommand::Game));
    ASSERT_EQ(Roster().Items(row).FResult, ResultWon);
    EXPECT_EQ(Me().FMaxPoint, Wrap32(std::int64_t{Max} + 15625));
    EXPECT_EQ(Me().FMoney, Wrap32(std::int64_t{Max} + 100000));
    EXPECT_EQ(Me().FWins, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(Me().FMaxWins, Max);
    EXPECT_EQ(Me().FPoint, Max - 1);
}

TEST_F(SaveGameData, LoadedRosterKeepsItsObjectsAndFileOrder) {
    const std::string path = Folder.File("order.sav");
    Roster().SortByPoints(false);
    ASSERT_TRUE(Game.SaveGameFile(path));
    Roster().SortByPoints(true);
    const TPlayer* firstObject = &Roster().Items(0);
    ASSERT_TRUE(Game.LoadGameFile(path));
    EXPECT_EQ(&Roster().Items(0), firstObject); // same objects, same places in the list
    EXPECT_TRUE(Roster().Items(0).FUnknown);    // but the file's values (ascending: hidden first)
    EXPECT_EQ(Roster().Items(9999).FSoccerPoint, 998001);
}

TEST_F(SaveGameData, ExtraBytesAfterTheLastRecordAreIgnored) {
    const std::string path = Folder.File("long.sav");
    std::vector<std::uint8_t> bytes = Snapshot();
    Me().FMoney = 77;
    bytes.insert(bytes.end(), 1000, 0xEE);
    WriteBytes(path, bytes);
    ASSERT_TRUE(Game.LoadGameFile(path));
    EXPECT_EQ(Me().FMoney, 0);
}

// Every file here must be refused with the message and leave the game and the
// flags exactly as they were.
TEST_F(SaveGameData, RefusedFilesChangeNothing) {
    const std::vector<std::uint8_t> good = Snapshot();
    struct Case {
        std::string Name;
        std::vector<std::uint8_t> Bytes;
    };
    std::vector<Case> cases;
    for (std::size_t length :
         {std::size_t{0}, std::size_t{1}, std::size_t{125}, std::size_t{126}, std::size_t{152},
          std::size_t{153}, std::size_t{158}, std::size_t{60152}})
        cases.push_back({"truncated to " + std::to_string(length),
                         std::vector<std::uint8_t>(good.begin(), good.begin() + length)});
    for (std::size_t at = 0; at < 126; ++at) {
        std::vector<std::uint8_t> bytes = good;
        bytes[at] ^= 0x20;
        cases.push_back({"header byte " + std::to_string(at), bytes});
    }
    const std::pair<const char*, std::pair<std::size_t, std::uint8_t>> fields[] = {
        {"shoes 7", {140, 7}},           {"sponsor 6", {141, 6}},
        {"weight 9", {142, 9}},          {"weight 255", {142, 255}},
        {"result 4", {153 + 5, 4}},      {"last result 255", {60152, 255}},
        {"unknown flag 2", {153 + 4, 2}}};
    for (const auto& [name, change] : fields) {
        std::vector<std::uint8_t> bytes = good;
        bytes[change.first] = change.second;
        cases.push_back({name, bytes});
    }

    // Make the game differ from the files so a partial load would show.
    Me().FMoney = 4242;
    Roster().Items(0).FResult = ResultWon;
    Game.Flags().Modified = true;
    Game.Flags().GameOver = true;
    const std::vector<std::uint8_t> before = Snapshot();

    for (const Case& c : cases) {
        const std::string path = Folder.File("bad.sav");
        WriteBytes(path, c.Bytes);
        Screen.Messages.clear();
        Screen.Log.clear();
        EXPECT_FALSE(Game.LoadGameFile(path)) << c.Name;
        ASSERT_EQ(Screen.Messages.size(), 1u) << c.Name;
        EXPECT_EQ(Screen.Messages[0].Text, "Can not open file.\r\n" + path);
        EXPECT_EQ(Screen.Messages[0].Caption, "Abort");
        EXPECT_EQ(Screen.Messages[0].Icon, TMessageIcon::Warning);
        EXPECT_EQ(Screen.Messages[0].Buttons, TMessageButtons::Ok);
        EXPECT_EQ(Snapshot(), before) << c.Name;
        EXPECT_TRUE(Game.Flags().Modified && Game.Flags().GameOver) << c.Name;
        EXPECT_TRUE(Screen.Log == std::vector<std::string>{"message"}) << c.Name;
    }
    for (const std::string& path : {Folder.File("missing.sav"), Folder.Path().string()}) {
        EXPECT_FALSE(Game.LoadGameFile(path)) << path;
        EXPECT_EQ(Snapshot(), before);
    }
    EXPECT_EQ(Screen.WaitDepth, 0);
}

TEST_F(SaveGameData, FailedSaveKeepsTheOldFileAndTheUnsavedState) {
    const std::string path = Folder.File("keep.sav");
    ASSERT_TRUE(Game.SaveGameFile(path));
    const std::vector<std::uint8_t> old = ReadBytes(path);
    Me().FMoney = 1; // an unsaved change
    Game.Flags().Modified = true;

    struct Case {
        const char* Name;
        std::string Path;
    };
    std::filesystem::create_directory(Folder.File("a folder"));
    const Case cases[] = {
        {"a folder in the file's place", Folder.File("a folder")},
        {"a missing parent folder", Folder.File("no such folder/x.sav")},
        {"an empty name", ""},
        {"a device", "/dev/null"},
    };
    for (const Case& c : cases) {
        Screen.Messages.clear();
        EXPECT_FALSE(Game.SaveGameFile(c.Path)) << c.Name;
        ASSERT_EQ(Screen.Messages.size(), 1u) << c.Name;
        EXPECT_EQ(Screen.Messages[0].Text, "Can not save file.\r\n" + c.Path);
        EXPECT_EQ(Screen.Messages[0].Caption, "Abort");
        EXPECT_EQ(Screen.Messages[0].Icon, TMessageIcon::Error);
        EXPECT_TRUE(Game.Flags().Modified) << c.Name;
    }
    EXPECT_TRUE(std::filesystem::is_directory(Folder.File("a folder")));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(Folder.EntryCount(), 2u) << "no temporary file is left behind";
}

TEST_F(SaveGameData, SaveReplacesAnExistingFileAndKeepsItsMode) {
    const std::string path = Folder.File("mode.sav");
    WriteBytes(path, {1, 2, 3});
    std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write);
    ASSERT_TRUE(Game.SaveGameFile(path));
    EXPECT_EQ(ReadBytes(path), Snapshot());
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(Folder.EntryCount(), 1u);
}

TEST(SaveGameDataParse, AcceptsWhatItComposes) {
    TPlayerList roster;
    roster.Generate();
    TMainPlayer me;
    me.FWeight = 3;
    const std::vector<std::uint8_t> bytes = ComposeSaveFile(me, roster);
    const auto parsed = ParseSaveFile(bytes, roster.Count());
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->MainPlayer, me);
    ASSERT_EQ(parsed->Opponents.size(), 10000u);
    EXPECT_EQ(parsed->Opponents[4321], roster.Items(4321));
}

} // namespace
} // namespace goalvanta::test
