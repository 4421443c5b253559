// Saving through the storage the game really uses, while the system refuses the
// write in every way we know of. Each failure must be told to the user, leave the
// previous file exactly as it was and nothing beside it, and leave the game in
// memory as it was: still unsaved.
#include "Figures.h"
#include "core/FakeScreen.h"
#include "core/TempFolder.h"
#include "savedata/SaveGameData.h"
#include "window/QtSaveStorage.h"

#include <QCryptographicHash>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <new>
#include <random>
#include <set>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace goalvanta::test {
namespace {

namespace fs = std::filesystem;

constexpr uid_t Nobody = 65534;

std::string ErrorText(int error) {
    return std::strerror(error);
}

// A folder of one test's own under /tmp, with a small tmpfs of its own mounted on
// it when a row asks for one. Everything is undone on destruction, immutable flags
// included, so that a failed row leaves nothing behind either.
class TSandbox {
public:
    TSandbox() {
        char name[] = "/tmp/goalvanta-reliability-XXXXXX";
        if (::mkdtemp(name) != nullptr)
            FPath = name;
        ::chmod(FPath.c_str(), 0755); // reachable by the unprivileged user
    }
    ~TSandbox() {
        for (const fs::path& path : FImmutable)
            SetImmutable(path, false);
        if (FMounted)
            ::umount2(FPath.c_str(), MNT_DETACH);
        std::error_code ec;
        fs::permissions(FPath, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(FPath, ec);
    }
    TSandbox(const TSandbox&) = delete;
    TSandbox& operator=(const TSandbox&) = delete;

    const fs::path& Path() const { return FPath; }

    // An empty error text when mounted.
    std::string MountTmpfs(const std::string& options) {
        if (::mount("tmpfs", FPath.c_str(), "tmpfs", 0, options.c_str()) != 0)
            return "cannot mount a tmpfs here: " + ErrorText(errno);
        FMounted = true;
        return {};
    }
    std::string RemountReadOnly() {
        if (::mount(nullptr, FPath.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
            return "cannot remount read-only: " + ErrorText(errno);
        return {};
    }
    std::string MakeImmutable(const fs::path& path) {
        if (const int error = SetImmutable(path, true); error != 0)
            return "this file system or user cannot set the immutable flag: " + ErrorText(error);
        FImmutable.push_back(path);
        return {};
    }

private:
    static int SetImmutable(const fs::path& path, bool on) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return errno;
        int flags = 0;
        int error = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
            error = errno;
        } else {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) != 0)
                error = errno;
        }
        ::close(fd);
        return error;
    }

    fs::path FPath;
    bool FMounted = false;
    std::vector<fs::path> FImmutable;
};

// What stands at a path: its kind and, for a file, its mode and the SHA-256 of its
// bytes; for a folder, its entries.
std::string Fingerprint(const fs::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return "missing";
    const std::string mode = " mode " + std::to_string(st.st_mode);
    if (S_ISREG(st.st_mode)) {
        const std::vector<std::uint8_t> bytes = ReadBytes(path.string());
        const QByteArray hash =
            QCryptographicHash::hash(QByteArrayView(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<qsizetype>(bytes.size())),
                                     QCryptographicHash::Sha256);
        return "file" + mode + " sha256 " + hash.toHex().toStdString();
    }
    if (S_ISDIR(st.st_mode)) {
        std::string entries;
        for (const auto& entry : fs::directory_iterator(path))
            entries += " " + entry.path().filename().string();
        return "folder" + mode + entries;
    }
    return "other" + mode + " device " + std::to_string(st.st_rdev);
}

// Every path under `root`, so that anything added shows.
std::set<std::string> Listing(const fs::path& root) {
    std::set<std::string> paths;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        paths.insert(it->path().string());
    return paths;
}

// Where the row's save goes, or why the row cannot run here.
struct TPrepared {
    std::string Target;
    std::string Skip;
};

enum class TRunAs {
    ThisProcess,
    FileSizeLimit, // a child whose file size limit is below a save's size
    OtherUser,     // a child run as nobody, when this process is root
};

struct TSaveFault {
    const char* Name;
    TRunAs RunAs;
    // Sets the trap in the sandbox; `oldSave` are the bytes of the previous save.
    std::function<TPrepared(TSandbox&, const std::vector<std::uint8_t>& oldSave)> Prepare;
};

void PrintTo(const TSaveFault& fault, std::ostream* out) {
    *out << fault.Name;
}

TPrepared OldSaveIn(const fs::path& folder, const std::vector<std::uint8_t>& oldSave) {
    const std::string target = (folder / "league.sav").string();
    WriteBytes(target, oldSave);
    return {target, {}};
}

std::vector<TSaveFault> AllSaveFaults() {
    using TOld = const std::vector<std::uint8_t>;
    return {
        {"disk fills up during the write", TRunAs::ThisProcess,
         [](TSandbox& box, TOld& old) -> TPrepared {
             // Room for the old save (15 pages) and one page more: not for a second.
             if (std::string skip = box.MountTmpfs("size=64k,mode=0755"); !skip.empty())
                 return {{}, skip};
             return OldSaveIn(box.Path(), old);
         }},
        {"file size limit below a save", TRunAs::FileSizeLimit,
         [](TSandbox& box, TOld& old) { return OldSaveIn(box.Path(), old); }},
        {"read-only mount", TRunAs::ThisProcess,
         [](TSandbox& box, TOld& old) -> TPrepared {
             if (std::string skip = box.MountTmpfs("size=1m,mode=0755"); !skip.empty())
                 return {{}, skip};
             TPrepared prepared = OldSaveIn(box.Path(), old);
             prepared.Skip = box.RemountReadOnly();
             return prepared;
         }},
        {"immutable file", TRunAs::ThisProcess,
         [](TSandbox& box, TOld& old) {
             box.MountTmpfs("size=1m,mode=0755"); // else the folder's own file system
             TPrepared prepared = OldSaveIn(box.Path(), old);
             prepared.Skip = box.MakeImmutable(prepared.Target);
             return prepared;
         }},
        {"immutable folder", TRunAs::ThisProcess,
         [](TSandbox& box, TOld& old) {
             box.MountTmpfs("size=1m,mode=0755");
             fs::create_directory(box.Path() / "saves");
             TPrepared prepared = OldSaveIn(box.Path() / "saves", old);
             prepared.Skip = box.MakeImmutable(box.Path() / "saves");
             return prepared;
         }},
        {"folder in the file's place", TRunAs::ThisProcess,
         [](TSandbox& box, TOld& old) -> TPrepared {
             const fs::path folder = box.Path() / "league.sav";
             fs::create_directory(folder);
             OldSaveIn(folder, old);
             return {folder.string(), {}};
         }},
        {"missing parent folder", TRunAs::ThisProcess,
         [](TSandbox& box, TOld&) -> TPrepared {
             return {(box.Path() / "gone" / "league.sav").string(), {}};
         }},
        {"folder the user may not write", TRunAs::OtherUser,
         [](TSandbox& box, TOld& old) {
             TPrepared prepared = OldSaveIn(box.Path(), old);
             if (::geteuid() != 0) // root is run as nobody instead; others are refused
                 fs::permissions(box.Path(), fs::perms::owner_read | fs::perms::owner_exec);
             return prepared;
         }},
        {"device node", TRunAs::ThisProcess,
         [](TSandbox& box, TOld&) -> TPrepared {
             box.MountTmpfs("size=1m,mode=0755"); // /tmp may forbid devices
             const fs::path node = box.Path() / "league.sav";
             if (::mknod(node.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0) // like /dev/null
                 return {{}, "cannot create a device node here: " + ErrorText(errno)};
             return {node.string(), {}};
         }},
        {"named pipe", TRunAs::ThisProcess,
         [](TSandbox& box, TOld&) -> TPrepared {
             const fs::path pipe = box.Path() / "league.sav";
             if (::mkfifo(pipe.c_str(), 0644) != 0)
                 return {{}, "cannot create a pipe here: " + ErrorText(errno)};
             return {pipe.string(), {}};
         }},
    };
}

// What a failed save did to the game and the screen.
struct TSaveOutcome {
    bool Saved = true;
    bool Reported = false;
    bool GameUnchanged = false;
    bool StillModified = false;
    std::string Message;
    std::string Skip; // set by a child that could not take its role

    std::string Encode() const {
        return std::string{Saved ? '1' : '0', Reported ? '1' : '0', GameUnchanged ? '1' : '0',
                           StillModified ? '1' : '0'} +
               Skip + '\n' + Message;
    }
    static TSaveOutcome Decode(const std::string& text) {
        TSaveOutcome o;
        if (text.size() < 5)
            return o;
        o.Saved = text[0] == '1';
        o.Reported = text[1] == '1';
        o.GameUnchanged = text[2] == '1';
        o.StillModified = text[3] == '1';
        const std::size_t end = text.find('\n', 4);
        o.Skip = text.substr(4, end - 4);
        o.Message = end == std::string::npos ? "" : text.substr(end + 1);
        return o;
    }
};

class SaveFaults : public ::testing::TestWithParam<TSaveFault> {
protected:
    TFakeScreen Screen;
    TQtSaveStorage Storage;
    TGame Game{Screen, Storage};
    std::vector<std::uint8_t> OldSave;

    SaveFaults() {
        Screen.Game = &Game;
        Game.NewGame();
        OldSave = Snapshot();
        // An unsaved change, so that a file replaced by this game would show.
        Game.MainPlayer()->FMoney = 4242;
        Game.Roster()->Items(7).FResult = ResultWon;
        Game.Flags().Modified = true;
        Screen.CurrentFileName = "earlier.sav";
    }
    std::vector<std::uint8_t> Snapshot() {
        return ComposeSaveFile(*Game.MainPlayer(), *Game.Roster());
    }

    TSaveOutcome Attempt(const std::string& path) {
        const std::vector<std::uint8_t> before = Snapshot();
        const TGameFlags flags = Game.Flags();
        Screen.Messages.clear();
        TSaveOutcome o;
        o.Saved = Game.SaveGameFile(path);
        if (!Screen.Messages.empty())
            o.Message = Screen.Messages[0].Text;
        o.Reported = Screen.Messages.size() == 1 &&
                     Screen.Messages[0].Text == "Can not save file.\r\n" + path &&
                     Screen.Messages[0].Caption == "Abort" &&
                     Screen.Messages[0].Icon == TMessageIcon::Error &&
                     Screen.Messages[0].Buttons == TMessageButtons::Ok;
        o.GameUnchanged = Snapshot() == before && Game.Flags().GameOver == flags.GameOver &&
                          Game.Flags().FreshGame == flags.FreshGame &&
                          Screen.CurrentFileName == "earlier.sav" && Screen.WaitDepth == 0;
        o.StillModified = Game.Flags().Modified;
        return o;
    }

    // Saves from a forked child in `role`, which reports back through a pipe.
    TSaveOutcome AttemptInChild(const std::string& path, TRunAs role) {
        int channel[2];
        if (::pipe(channel) != 0) {
            TSaveOutcome failed;
            failed.Skip = "no pipe: " + ErrorText(errno);
            return failed;
        }
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(channel[0]);
            TSaveOutcome o;
            o.Skip = TakeRole(role);
            if (o.Skip.empty())
                o = Attempt(path);
            const std::string text = o.Encode();
            [[maybe_unused]] const auto written = ::write(channel[1], text.data(), text.size());
            ::_exit(0);
        }
        ::close(channel[1]);
        std::string text;
        char buffer[512];
        for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<std::size_t>(n));
        ::close(channel[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            ADD_FAILURE() << "the saving child ended abnormally, status " << status;
        return TSaveOutcome::Decode(text);
    }

    static std::string TakeRole(TRunAs role) {
        if (role == TRunAs::FileSizeLimit) {
            // The write fails with EFBIG instead of the signal ending the process.
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{4096, 4096};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                return "cannot limit the file size: " + ErrorText(errno);
        } else if (role == TRunAs::OtherUser && ::geteuid() == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
                return "cannot become an unprivileged user: " + ErrorText(errno);
        }
        return {};
    }
};

TEST_P(SaveFaults, ReportedAndChangesNothing) {
    const TSaveFault& fault = GetParam();
    TSandbox box;
    ASSERT_FALSE(box.Path().empty());
    const TPrepared prepared = fault.Prepare(box, OldSave);
    if (!prepared.Skip.empty()) {
        ++Figures().SaveFaultsSkipped;
        GTEST_SKIP() << prepared.Skip;
    }
    const std::string before = Fingerprint(prepared.Target);
    const std::set<std::string> listing = Listing(box.Path());

    const TSaveOutcome outcome =
        fault.RunAs == TRunAs::ThisProcess || (fault.RunAs == TRunAs::OtherUser && ::geteuid() != 0)
            ? Attempt(prepared.Target)
            : AttemptInChild(prepared.Target, fault.RunAs);
    if (!outcome.Skip.empty()) {
        ++Figures().SaveFaultsSkipped;
        GTEST_SKIP() << outcome.Skip;
    }

    TFigures& figures = Figures();
    ++figures.SaveFaultsTried;
    EXPECT_FALSE(outcome.Saved);
    EXPECT_TRUE(outcome.Reported) << "message: " << outcome.Message;
    figures.SaveFaultsReported += outcome.Reported && !outcome.Saved;
    const std::string after = Fingerprint(prepared.Target);
    EXPECT_EQ(after, before);
    figures.SaveFaultsFilesChanged += after != before;
    const std::set<std::string> left = Listing(box.Path());
    EXPECT_EQ(left, listing) << "something was left beside the save";
    for (const std::string& entry : left)
        figures.SaveFaultsLeftovers += !listing.contains(entry);
    EXPECT_TRUE(outcome.GameUnchanged);
    EXPECT_TRUE(outcome.StillModified);
    figures.SaveFaultsGamesChanged += !outcome.GameUnchanged || !outcome.StillModified;
}

INSTANTIATE_TEST_SUITE_P(Reliability, SaveFaults, ::testing::ValuesIn(AllSaveFaults()),
                         [](const ::testing::TestParamInfo<TSaveFault>& info) {
                             std::string name = info.param.Name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

// A process that alternately saves two games to one file is killed at random
// moments; whenever it dies, the file is one of the two saves, complete.
TEST(SaveUnderKill, FileIsAlwaysTheCompleteOldOrNewSave) {
    TSandbox box;
    ASSERT_FALSE(box.Path().empty());
    const std::string path = (box.Path() / "league.sav").string();

    TFakeScreen screen;
    TQtSaveStorage storage;
    TGame game(screen, storage);
    game.NewGame();
    constexpr std::int32_t MoneyA = 1111, MoneyB = 2222;
    game.MainPlayer()->FMoney = MoneyA;
    const std::vector<std::uint8_t> saveA = ComposeSaveFile(*game.MainPlayer(), *game.Roster());
    game.MainPlayer()->FMoney = MoneyB;
    const std::vector<std::uint8_t> saveB = ComposeSaveFile(*game.MainPlayer(), *game.Roster());
    ASSERT_TRUE(game.SaveGameFile(path));

    // Shared with the children: saves completed, and whether one is under way.
    struct TShared {
        std::atomic<std::int64_t> Saves;
        std::atomic<bool> Saving;
    };
    void* memory =
        ::mmap(nullptr, sizeof(TShared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(memory, MAP_FAILED);
    auto* shared = new (memory) TShared{};

    std::mt19937 engine(std::random_device{}());
    constexpr int Kills = 50;
    TFigures& figures = Figures();
    for (int kill = 0; kill < Kills; ++kill) {
        const std::int64_t savesBefore = shared->Saves.load();
        std::fflush(nullptr);
        const pid_t child = ::fork();
        if (child == 0) {
            for (std::int64_t i = 0;; ++i) {
                game.MainPlayer()->FMoney = i % 2 == 0 ? MoneyA : MoneyB;
                shared->Saving = true;
                game.SaveGameFile(path);
                shared->Saving = false;
                ++shared->Saves;
            }
        }
        ASSERT_GT(child, 0);
        // Let it get going, then strike at a random moment of a save or between two.
        while (shared->Saves.load() < savesBefore + 1 + kill % 3)
            std::this_thread::yield();
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(0, 3000)(engine)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const bool inside = shared->Saving.exchange(false);

        ++figures.Kills;
        figures.KillsInsideASave += inside;
        const std::vector<std::uint8_t> bytes = ReadBytes(path);
        const bool complete = bytes == saveA || bytes == saveB;
        figures.KillsFileComplete += complete;
        EXPECT_TRUE(complete) << "kill " << kill << " left " << bytes.size() << " bytes";
    }
    figures.SavesBeforeKills = shared->Saves.load();
    // A kill cannot be cleaned up after; count what it left, the save aside.
    for (const std::string& entry : Listing(box.Path()))
        if (entry != path) {
            ++figures.KillsLeftovers;
            std::printf("left by a kill: %s\n", entry.c_str());
        }
    ::munmap(memory, sizeof(TShared));
}

} // namespace
} // namespace goalvanta::test
