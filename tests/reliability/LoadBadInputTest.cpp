// Loading what is not a sound save of this game: every input must be refused with
// the message and leave the game, its flags and the screen's file name exactly as
// they were. The bulk goes through an in-memory storage; the inputs only a file
// system can make go through the storage the game really uses.
#include "Figures.h"
#include "core/FakeScreen.h"
#include "core/TempFolder.h"
#include "savedata/SaveGameData.h"
#include "storage/FileSaveStorage.h"
#include "storage/SystemCallsPosix.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace goalvanta::test {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t FullSize = SaveFileSize(TPlayerList::RosterSize); // 60153

// One file held in memory.
class TMemoryStorage final : public ISaveStorage {
public:
    std::vector<std::uint8_t> File;

    bool WriteFile(const std::string&, std::span<const std::uint8_t>) override { return false; }
    std::optional<std::vector<std::uint8_t>> ReadFile(const std::string&,
                                                      std::size_t maxBytes) override {
        const auto end =
            File.begin() + static_cast<std::ptrdiff_t>(std::min(maxBytes, File.size()));
        return std::vector<std::uint8_t>(File.begin(), end);
    }
};

// The real storage, watched: the most it was asked for and the most it returned.
class TMeasuredStorage final : public ISaveStorage {
public:
    std::size_t LargestRequest = 0;
    std::size_t LargestRead = 0;

    bool WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) override {
        return FReal.WriteFile(path, bytes);
    }
    std::optional<std::vector<std::uint8_t>> ReadFile(const std::string& path,
                                                      std::size_t maxBytes) override {
        LargestRequest = std::max(LargestRequest, maxBytes);
        auto bytes = FReal.ReadFile(path, maxBytes);
        if (bytes)
            LargestRead = std::max(LargestRead, bytes->size());
        return bytes;
    }

private:
    TFileSaveStorage FReal;
};

// Opens the write end of a pipe whenever some reader waits on it, which releases
// a reader stuck in open() or read() and shows that there was one.
class TPipeWatch {
public:
    explicit TPipeWatch(const std::string& path)
        : FThread([this, path](std::stop_token stop) {
              while (!stop.stop_requested()) {
                  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                  if (fd >= 0) {
                      Opened = true;
                      ::close(fd);
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
              }
          }) {}
    std::atomic<bool> Opened{false};

private:
    std::jthread FThread;
};

// A game that differs from every file below, so that any partial load shows.
class TLoadingGame {
public:
    explicit TLoadingGame(ISaveStorage& storage) : FGame(FScreen, storage) {
        FGame.NewGame();
        FGame.MainPlayer()->FMoney = 4242;
        FGame.Roster()->Items(3).FResult = ResultDrew;
        FGame.Flags() = {.GameOver = true, .Activated = true, .Modified = true, .FreshGame = false};
        FScreen.CurrentFileName = "earlier.sav";
        FBefore = Snapshot();
    }

    std::vector<std::uint8_t> Snapshot() const {
        return ComposeSaveFile(*FGame.MainPlayer(), *FGame.Roster());
    }
    TGame& Game() { return FGame; }

    // Loads `path` and counts the outcome; returns what went wrong, or nothing when
    // the load was refused with the message and the game left exactly as it was.
    std::string Refuses(const std::string& path) {
        FScreen.Messages.clear();
        FScreen.Log.clear();
        TFigures& figures = Figures();
        ++figures.BadInputsTried;
        if (FGame.LoadGameFile(path)) {
            ++figures.BadInputsGamesChanged;
            return "loaded";
        }
        const TGameFlags& f = FGame.Flags();
        const bool same = Snapshot() == FBefore && f.GameOver && f.Activated && f.Modified &&
                          !f.FreshGame && FScreen.CurrentFileName == "earlier.sav" &&
                          FScreen.Log == std::vector<std::string>{"message"} &&
                          FScreen.WaitDepth == 0;
        figures.BadInputsGamesChanged += !same;
        const bool told = FScreen.Messages.size() == 1 &&
                          FScreen.Messages[0].Text == "Can not open file.\r\n" + path &&
                          FScreen.Messages[0].Caption == "Abort" &&
                          FScreen.Messages[0].Icon == TMessageIcon::Warning &&
                          FScreen.Messages[0].Buttons == TMessageButtons::Ok;
        figures.BadInputsRefused += told;
        if (!same)
            return "the game changed";
        if (!told)
            return "not told: " + (FScreen.Messages.empty() ? "" : FScreen.Messages[0].Text);
        return {};
    }

private:
    TFakeScreen FScreen;
    TGame FGame;
    std::vector<std::uint8_t> FBefore;
};

// A sound save of another game than the one loaded into.
std::vector<std::uint8_t> SoundSave() {
    TPlayerList roster;
    roster.Generate();
    TMainPlayer me;
    me.FMoney = 777;
    me.FShoes = 6;
    me.FWins = 10; // the sponsor a refresh gives for 10 wins
    me.FMaxWins = 10;
    me.FSponsor = 5;
    me.FOwnedWeights = 0x1FF;
    me.FWeight = 8;
    roster.Items(0).FResult = ResultLost;
    return ComposeSaveFile(me, roster);
}

class BadInputs : public ::testing::Test {
protected:
    const std::vector<std::uint8_t> Good = SoundSave();
    TMemoryStorage Memory;
    TLoadingGame InMemory{Memory};
    std::vector<std::string> Failures; // the first few inputs that were not refused cleanly

    void ExpectRefused(const std::vector<std::uint8_t>& bytes, const std::string& name) {
        Memory.File = bytes;
        if (const std::string fault = InMemory.Refuses(name);
            !fault.empty() && Failures.size() < 10)
            Failures.push_back(name + ": " + fault);
    }
};

TEST_F(BadInputs, EveryTruncation) {
    ASSERT_EQ(Good.size(), FullSize);
    for (std::size_t length = 0; length < FullSize; ++length)
        ExpectRefused({Good.begin(), Good.begin() + static_cast<std::ptrdiff_t>(length)},
                      "first " + std::to_string(length) + " bytes");
    EXPECT_TRUE(Failures.empty()) << testing::PrintToString(Failures);
}

TEST_F(BadInputs, EveryHeaderByteChangedToEveryOtherValue) {
    for (std::size_t at = 0; at < SaveHeaderSize; ++at) {
        std::vector<std::uint8_t> bytes = Good;
        for (int value = 0; value < 256; ++value) {
            if (value == Good[at])
                continue;
            bytes[at] = static_cast<std::uint8_t>(value);
            ExpectRefused(bytes,
                          "header byte " + std::to_string(at) + " = " + std::to_string(value));
        }
    }
    EXPECT_TRUE(Failures.empty()) << testing::PrintToString(Failures);
}

TEST_F(BadInputs, IndexOutsideItsTable) {
    constexpr std::size_t Player = SaveHeaderSize;
    constexpr std::size_t Opponents = Player + TMainPlayer::RecordSize;
    constexpr std::size_t Last = Opponents + (TPlayerList::RosterSize - 1) * TPlayer::RecordSize;
    constexpr std::size_t Middle = Opponents + 5000 * TPlayer::RecordSize;
    struct TField {
        const char* Name;
        std::size_t Offset;
        int FirstBad; // every value from here to 255 is outside the table
    };
    const TField fields[] = {
        {"shoes", Player + 14, 7},
        {"sponsor", Player + 15, 6},
        {"weight", Player + 16, 9},
        {"first result", Opponents + 5, 4},
        {"middle result", Middle + 5, 4},
        {"last result", Last + 5, 4},
        {"first unknown flag", Opponents + 4, 2},
        {"middle unknown flag", Middle + 4, 2},
        {"last unknown flag", Last + 4, 2},
    };
    for (const TField& field : fields) {
        std::vector<std::uint8_t> bytes = Good;
        for (int value = field.FirstBad; value < 256; ++value) {
            bytes[field.Offset] = static_cast<std::uint8_t>(value);
            ExpectRefused(bytes, std::string(field.Name) + " = " + std::to_string(value));
        }
    }
    EXPECT_TRUE(Failures.empty()) << testing::PrintToString(Failures);
}

// Inputs only a file system makes, through the storage the game really uses: none
// may be read further than a save reaches, and none may block.
TEST_F(BadInputs, FilesThatAreNotSaves) {
    TTempFolder folder;
    TMeasuredStorage disk;
    TLoadingGame game(disk);
    const auto file = [&](const std::string& name, std::size_t length) {
        const std::string path = folder.File(name);
        WriteBytes(path, {Good.begin(), Good.begin() + static_cast<std::ptrdiff_t>(length)});
        return path;
    };
    const std::string pipe = folder.File("pipe.sav");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string sparse = folder.File("sparse.sav");
    WriteBytes(sparse, {});
    fs::resize_file(sparse, std::uintmax_t{4} << 30); // 4 GiB of holes

    const std::string inputs[] = {
        file("empty.sav", 0),
        file("header cut.sav", 100),
        file("header only.sav", SaveHeaderSize),
        file("player only.sav", SaveHeaderSize + TMainPlayer::RecordSize),
        file("one byte short.sav", FullSize - 1),
        folder.Path().string(),
        pipe,
        "/dev/zero",
        sparse,
        folder.File("missing.sav"),
    };
    for (const std::string& path : inputs) {
        TPipeWatch watch(pipe);
        EXPECT_EQ(game.Refuses(path), "") << path;
        EXPECT_FALSE(watch.Opened) << path << ": the pipe was opened for reading";
    }
    EXPECT_LE(disk.LargestRequest, FullSize);
    EXPECT_LE(disk.LargestRead, FullSize);
    Figures().LargestRead = std::max<std::uint64_t>(Figures().LargestRead, disk.LargestRead);
}

// What follows the last record is not looked at, however much of it there is.
TEST_F(BadInputs, SoundSaveFollowedByMoreLoads) {
    TTempFolder folder;
    for (const std::uintmax_t size : {std::uintmax_t{FullSize + 1000}, std::uintmax_t{4} << 30}) {
        TMeasuredStorage disk;
        TLoadingGame game(disk);
        const std::string path = folder.File("long.sav");
        std::vector<std::uint8_t> bytes = Good;
        bytes.resize(FullSize + 1000, 0xEE);
        WriteBytes(path, bytes);
        fs::resize_file(path, size);

        ASSERT_TRUE(game.Game().LoadGameFile(path)) << size;
        EXPECT_EQ(game.Snapshot(), Good);
        EXPECT_FALSE(game.Game().Flags().Modified);
        EXPECT_EQ(disk.LargestRead, FullSize);
        ++Figures().SoundInputsLoaded;
        Figures().LargestRead = std::max<std::uint64_t>(Figures().LargestRead, disk.LargestRead);
    }
}

// What a load's check of the path sees and what it then opens may differ: another
// process can put something else in the file's place between the two. Here the
// check itself makes the swap, so that it happens every time. The load must come
// back at once, refused, without reading a byte.
struct TSwap {
    std::string Path;        // the path being loaded
    std::string Replacement; // renamed over it right after the check
    int Reads = 0;
};
TSwap Swap;

const TSystemCalls& SwappingCalls() {
    static const TSystemCalls calls = [] {
        TSystemCalls c = DefaultSystemCalls();
        c.Stat = [](int folder, const char* name, struct stat* info, int flags) {
            const int result = DefaultSystemCalls().Stat(folder, name, info, flags);
            if (name == Swap.Path && !Swap.Replacement.empty())
                ::rename(Swap.Replacement.c_str(), name);
            return result;
        };
        c.Read = [](int fd, void* buffer, size_t size) {
            ++Swap.Reads;
            return DefaultSystemCalls().Read(fd, buffer, size);
        };
        return c;
    }();
    return calls;
}

// Runs `load` on a thread of its own and says whether it came back by itself within
// a generous `patience`; if not, `release` sets it free so that the test can end.
bool ReturnsByItself(const std::function<bool()>& load, const std::function<void()>& release,
                     bool& loaded) {
    std::future<bool> done = std::async(std::launch::async, load);
    constexpr auto Patience = std::chrono::seconds(10);
    const bool byItself = done.wait_for(Patience) == std::future_status::ready;
    while (!byItself && done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready)
        release();
    loaded = done.get();
    return byItself;
}

TEST(LoadSwappedPath, SomethingPutInTheFilesPlaceAfterTheCheckIsRefusedAtOnce) {
    TTempFolder folder;
    const std::vector<std::uint8_t> good = SoundSave();
    const std::string pipe = folder.File("pipe");
    const std::string device = folder.File("device");
    const struct {
        const char* Name;
        std::function<bool()> Make;
        std::function<void()> Release; // frees a reader that waits for the thing
    } swaps[] = {
        {"a named pipe", [&] { return ::mkfifo(pipe.c_str(), 0600) == 0; },
         [&] {
             const int fd =
                 ::open(folder.File("league.sav").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
             if (fd >= 0)
                 ::close(fd);
         }},
        {"a link to a device", [&] { return ::symlink("/dev/zero", device.c_str()) == 0; }, [] {}},
    };
    const std::string replacements[] = {pipe, device};
    for (std::size_t i = 0; i < std::size(swaps); ++i) {
        const std::string path = folder.File("league.sav");
        WriteBytes(path, good);
        ASSERT_TRUE(swaps[i].Make()) << swaps[i].Name;
        Swap = {path, replacements[i], 0};
        TFileSaveStorage storage(SwappingCalls());
        TLoadingGame game(storage);
        std::string fault;
        bool loaded = false;
        const bool byItself = ReturnsByItself(
            [&] {
                fault = game.Refuses(path);
                return fault.empty();
            },
            swaps[i].Release, loaded);
        EXPECT_TRUE(byItself) << swaps[i].Name << ": the load waited until it was set free";
        EXPECT_EQ(fault, "") << swaps[i].Name;
        EXPECT_EQ(Swap.Reads, 0) << swaps[i].Name;
        ++Figures().SwappedInputs;
        Figures().SwappedInputsRefusedAtOnce += byItself && fault.empty() && Swap.Reads == 0;
        Swap = {};
        fs::remove(path);
    }
}

// The kernel's log claims to be a regular file of no length and waits for news when
// read; as root it can be handed over. It is refused at once and never read from,
// which would take its messages from whoever else reads them.
TEST(LoadSwappedPath, KernelLogIsRefusedAtOnce) {
    const char* const log = "/proc/kmsg";
    const int probe = ::open(log, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (probe < 0)
        GTEST_SKIP() << log << " cannot be opened here (needs root): " << std::strerror(errno);
    ::close(probe);
    Swap = {};
    TFileSaveStorage storage(SwappingCalls());
    TLoadingGame game(storage);
    std::string fault;
    bool loaded = false;
    const bool byItself = ReturnsByItself(
        [&] {
            fault = game.Refuses(log);
            return fault.empty();
        },
        [] {
            // A message of our own ends a read that waits for one.
            if (std::FILE* kmsg = std::fopen("/dev/kmsg", "we")) {
                std::fputs("goalvanta reliability test: releasing a waiting read\n", kmsg);
                std::fclose(kmsg);
            }
        },
        loaded);
    EXPECT_TRUE(byItself) << "the load waited for a kernel message";
    EXPECT_EQ(fault, "");
    EXPECT_EQ(Swap.Reads, 0);
    ++Figures().SwappedInputs;
    Figures().SwappedInputsRefusedAtOnce += byItself && fault.empty() && Swap.Reads == 0;
}

} // namespace
} // namespace goalvanta::test
