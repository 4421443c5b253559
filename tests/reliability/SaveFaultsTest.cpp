// Saving through the storage the game really uses, while the system refuses the
// write in every way we know of. Each failure must be told to the user, leave the
// previous file exactly as it was and nothing beside it, and leave the game in
// memory as it was: still unsaved.
#include "Figures.h"
#include "core/FakeScreen.h"
#include "core/TempFolder.h"
#include "savedata/SaveGameData.h"
#include "storage/FileSaveStorage.h"
#include "storage/SystemCallsPosix.h"

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
#include <sys/file.h>
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

// The system call a row makes fail, and how often the storage made it meanwhile.
enum class TCall { None, Write, FChown, FChmod, Sync, Close, Rename, SyncFolder };

struct TInjection {
    TCall Call = TCall::None;
    int Error = 0;
    bool AfterPartialWrite = false; // the first write goes half through
    int Hits = 0;
};
TInjection Injected;

bool Fails(TCall call) {
    if (Injected.Call != call)
        return false;
    ++Injected.Hits;
    errno = Injected.Error;
    return true;
}

// The real calls, but for the one a row makes fail.
const TSystemCalls& InjectingCalls() {
    static const TSystemCalls calls = [] {
        TSystemCalls c = DefaultSystemCalls();
        c.Write = [](int fd, const void* data, size_t size) -> ssize_t {
            if (Injected.AfterPartialWrite && Injected.Hits == 0 && Injected.Call == TCall::Write &&
                size > 1) {
                ++Injected.Hits;
                return DefaultSystemCalls().Write(fd, data, size / 2);
            }
            return Fails(TCall::Write) ? -1 : DefaultSystemCalls().Write(fd, data, size);
        };
        c.FChown = [](int fd, uid_t owner, gid_t group) {
            return Fails(TCall::FChown) ? -1 : DefaultSystemCalls().FChown(fd, owner, group);
        };
        c.FChmod = [](int fd, mode_t mode) {
            return Fails(TCall::FChmod) ? -1 : DefaultSystemCalls().FChmod(fd, mode);
        };
        c.Sync = [](int fd) { return Fails(TCall::Sync) ? -1 : DefaultSystemCalls().Sync(fd); };
        c.Close = [](int fd) {
            if (Fails(TCall::Close)) {
                ::close(fd); // as Linux does: the descriptor is gone all the same
                return -1;
            }
            return DefaultSystemCalls().Close(fd);
        };
        c.Rename = [](int fromFolder, const char* from, int toFolder, const char* to) {
            return Fails(TCall::Rename)
                       ? -1
                       : DefaultSystemCalls().Rename(fromFolder, from, toFolder, to);
        };
        c.SyncFolder = [](int folder) {
            return Fails(TCall::SyncFolder) ? -1 : DefaultSystemCalls().SyncFolder(folder);
        };
        return c;
    }();
    return calls;
}

// Makes `call` fail with `error` for as long as it lives.
class TInjectedFault {
public:
    TInjectedFault(TCall call, int error, bool afterPartialWrite = false) {
        Injected = {call, error, afterPartialWrite, 0};
    }
    ~TInjectedFault() { Injected = {}; }
    TInjectedFault(const TInjectedFault&) = delete;
    TInjectedFault& operator=(const TInjectedFault&) = delete;
};

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
    // A system call made to fail, for what no file system here can be made to do.
    TCall Inject = TCall::None;
    int Error = 0;
    bool AfterPartialWrite = false;
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
    const auto old = [](TSandbox& box, TOld& save) { return OldSaveIn(box.Path(), save); };
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
        {"write fails (EIO)", TRunAs::ThisProcess, old, TCall::Write, EIO},
        {"write stops halfway (ENOSPC)", TRunAs::ThisProcess, old, TCall::Write, ENOSPC, true},
        {"owner copy fails (EIO)", TRunAs::ThisProcess, old, TCall::FChown, EIO},
        {"mode copy fails (EIO)", TRunAs::ThisProcess, old, TCall::FChmod, EIO},
        {"sync fails (EIO)", TRunAs::ThisProcess, old, TCall::Sync, EIO},
        {"close fails (EIO)", TRunAs::ThisProcess, old, TCall::Close, EIO},
        {"rename fails (EIO)", TRunAs::ThisProcess, old, TCall::Rename, EIO},
        {"folder sync fails (EIO)", TRunAs::ThisProcess, old, TCall::SyncFolder, EIO},
        {"folder sync fails on a new file (ENOSPC)", TRunAs::ThisProcess,
         [](TSandbox& box, TOld&) -> TPrepared {
             return {(box.Path() / "league.sav").string(), {}};
         },
         TCall::SyncFolder, ENOSPC},
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
    TFileSaveStorage Storage{InjectingCalls()};
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

    TInjectedFault injected(fault.Inject, fault.Error, fault.AfterPartialWrite);
    const TSaveOutcome outcome =
        fault.RunAs == TRunAs::ThisProcess || (fault.RunAs == TRunAs::OtherUser && ::geteuid() != 0)
            ? Attempt(prepared.Target)
            : AttemptInChild(prepared.Target, fault.RunAs);
    if (fault.Inject != TCall::None) {
        EXPECT_GT(Injected.Hits, 0) << "the save never made the call that was to fail";
    }
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
    TFileSaveStorage storage;
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
    // A kill cannot be cleaned up after; count what the last one left, the save
    // aside (each save removes what the kills before it left)...
    for (const std::string& entry : Listing(box.Path()))
        if (entry != path) {
            ++figures.KillsLeftovers;
            std::printf("left by a kill: %s\n", entry.c_str());
        }
    ::munmap(memory, sizeof(TShared));
    // ...and the next save into the folder removes it.
    ASSERT_TRUE(game.SaveGameFile(path));
    const std::set<std::string> left = Listing(box.Path());
    figures.KillsLeftoversAfterASave = static_cast<int>(left.size()) - 1;
    EXPECT_EQ(left, std::set<std::string>{path});
}

// Saves that must succeed where a careless writer fails or changes more than the
// bytes: a file is saved again under any name its folder holds, keeps its owner,
// group and every mode bit, and takes the place of the temporaries that ended saves
// left behind, and of nothing else.
class SaveAgain : public ::testing::Test {
protected:
    TSandbox Box;
    TFakeScreen Screen;
    TFileSaveStorage Storage;
    TGame Game{Screen, Storage};
    std::vector<std::uint8_t> OldSave;
    std::vector<std::uint8_t> NewSave;

    SaveAgain() {
        Screen.Game = &Game;
        Game.NewGame();
        OldSave = ComposeSaveFile(*Game.MainPlayer(), *Game.Roster());
        Game.MainPlayer()->FMoney = 4242;
        Game.Flags().Modified = true;
        NewSave = ComposeSaveFile(*Game.MainPlayer(), *Game.Roster());
    }

    // Saves over the old save at `path`; says what went wrong, or nothing.
    std::string SaveOver(const std::string& path) {
        Game.Flags().Modified = true;
        Screen.Messages.clear();
        if (!Game.SaveGameFile(path))
            return "not saved: " + (Screen.Messages.empty() ? "" : Screen.Messages[0].Text);
        if (ReadBytes(path) != NewSave)
            return "the file does not hold the new save";
        if (Game.Flags().Modified)
            return "still modified";
        return {};
    }
};

TEST_F(SaveAgain, UnderEveryNameAndPathLengthTheFolderHolds) {
    ASSERT_FALSE(Box.Path().empty());
    TFigures& figures = Figures();
    // The longest names a folder holds, and paths up to the longest one the system
    // takes (4096 bytes with the terminating zero).
    for (std::size_t length = 249; length <= 255; ++length) {
        const std::string path = (Box.Path() / std::string(length, 'n')).string();
        WriteBytes(path, OldSave);
        ASSERT_EQ(ReadBytes(path), OldSave) << length;
        const std::string fault = SaveOver(path);
        EXPECT_EQ(fault, "") << "a name of " << length << " bytes";
        ++figures.LongNamesTried;
        figures.LongNamesSaved += fault.empty();
        EXPECT_EQ(Listing(Box.Path()), std::set<std::string>{path});
        fs::remove(path);
    }
    for (std::size_t length = 4089; length <= 4095; ++length) {
        std::string folder = Box.Path().string();
        while (length - folder.size() > 256)
            folder +=
                "/" + std::string(std::min<std::size_t>(200, length - folder.size() - 3), 'd');
        const std::string path = folder + "/" + std::string(length - folder.size() - 1, 'p');
        ASSERT_EQ(path.size(), length);
        fs::create_directories(folder);
        WriteBytes(path, OldSave);
        ASSERT_EQ(ReadBytes(path), OldSave) << length;
        const std::string fault = SaveOver(path);
        EXPECT_EQ(fault, "") << "a path of " << length << " bytes";
        ++figures.LongNamesTried;
        figures.LongNamesSaved += fault.empty();
        EXPECT_EQ(Listing(folder), std::set<std::string>{path});
        fs::remove_all(Box.Path() / std::string(200, 'd'));
    }
}

TEST_F(SaveAgain, KeepsEveryModeBit) {
    ASSERT_FALSE(Box.Path().empty());
    const std::string path = (Box.Path() / "league.sav").string();
    for (const mode_t mode : {0444, 0600, 0640, 02664, 01644, 04755, 06750}) {
        WriteBytes(path, OldSave);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        struct stat before {};
        ASSERT_EQ(::stat(path.c_str(), &before), 0);
        ASSERT_EQ(before.st_mode & 07777, mode) << "this system does not keep mode " << mode;

        EXPECT_EQ(SaveOver(path), "") << std::oct << mode;
        struct stat after {};
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode & 07777, mode)
            << std::oct << "mode " << mode << " became " << (after.st_mode & 07777);
        EXPECT_EQ(after.st_uid, before.st_uid);
        EXPECT_EQ(after.st_gid, before.st_gid);
        ++Figures().ModesTried;
        Figures().ModesKept += (after.st_mode & 07777) == mode;
        fs::remove(path);
    }
}

TEST_F(SaveAgain, RootKeepsAnotherUsersOwnerGroupAndSetgid) {
    if (::geteuid() != 0) {
        ++Figures().SaveFaultsSkipped;
        GTEST_SKIP() << "only root can save another user's file";
    }
    ASSERT_FALSE(Box.Path().empty());
    const std::string path = (Box.Path() / "league.sav").string();
    WriteBytes(path, OldSave);
    // Changing the owner clears setgid: it must be set again afterwards.
    ASSERT_EQ(::chown(path.c_str(), Nobody, Nobody), 0);
    ASSERT_EQ(::chmod(path.c_str(), 02640), 0);

    EXPECT_EQ(SaveOver(path), "");
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, Nobody);
    EXPECT_EQ(after.st_gid, Nobody);
    EXPECT_EQ(after.st_mode & 07777, 02640u) << std::oct << (after.st_mode & 07777);
    ++Figures().ModesTried;
    Figures().ModesKept +=
        after.st_uid == Nobody && after.st_gid == Nobody && (after.st_mode & 07777) == 02640;
}

// Temporaries of ended saves go; one that a running save holds locked stays, and so
// does everything that only looks like one.
TEST_F(SaveAgain, RemovesTheTemporariesOfEndedSavesAndNothingElse) {
    ASSERT_FALSE(Box.Path().empty());
    const fs::path& dir = Box.Path();
    const std::string path = (dir / "league.sav").string();
    WriteBytes(path, OldSave);
    const std::string stale[] = {".goalvanta-0123456789abcdef.tmp",
                                 ".goalvanta-ffffffffffffffff.tmp"};
    for (const std::string& name : stale)
        WriteBytes((dir / name).string(), {1, 2, 3});
    const std::string busy = ".goalvanta-00000000000000b5.tmp";
    WriteBytes((dir / busy).string(), {4, 5, 6});
    const int busyFd = ::open((dir / busy).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(busyFd, 0);
    ASSERT_EQ(::flock(busyFd, LOCK_EX | LOCK_NB), 0); // as a save under way holds it
    const std::string lookalikes[] = {
        ".goalvanta-0123456789ABCDEF.tmp",  // upper case
        ".goalvanta-0123456789abcde.tmp",   // one digit short
        ".goalvanta-0123456789abcdef0.tmp", // one digit more
        ".goalvanta-0123456789abcdef.tm",
        "goalvanta-0123456789abcdef.tmp",
        ".goalvanta-0123456789abcdef.tmp~",
        "league.sav.Ab12Cd", // another program's temporary
    };
    for (const std::string& name : lookalikes)
        WriteBytes((dir / name).string(), {7});
    fs::create_directory(dir / ".goalvanta-1111111111111111.tmp");
    fs::create_symlink(path, dir / ".goalvanta-2222222222222222.tmp");

    std::set<std::string> expected = Listing(dir);
    for (const std::string& name : stale)
        expected.erase((dir / name).string());

    EXPECT_EQ(SaveOver(path), "");
    EXPECT_EQ(Listing(dir), expected);
    EXPECT_EQ(ReadBytes((dir / busy).string()), (std::vector<std::uint8_t>{4, 5, 6}));
    EXPECT_EQ(fs::read_symlink(dir / ".goalvanta-2222222222222222.tmp"), path);
    ::close(busyFd);
    TFigures& figures = Figures();
    for (const std::string& name : stale) {
        ++figures.StaleTemporaries;
        figures.StaleTemporariesRemoved += !fs::exists(dir / name);
    }
    const std::set<std::string> left = Listing(dir);
    for (const std::string& entry : expected)
        figures.OthersRemoved += !left.contains(entry);
}

// A save through a symbolic link writes the file the link leads to and keeps the
// link; a link that leads nowhere yet gets its file.
TEST_F(SaveAgain, ThroughSymbolicLinksToTheFileTheyName) {
    ASSERT_FALSE(Box.Path().empty());
    const fs::path& dir = Box.Path();
    fs::create_directory(dir / "real");
    const std::string file = (dir / "real" / "league.sav").string();
    fs::create_symlink(file, dir / "absolute");
    fs::create_symlink("real/league.sav", dir / "relative");
    fs::create_symlink("relative", dir / "chain");
    const struct {
        const char* Link;
        bool Exists;
    } links[] = {{"absolute", true}, {"relative", true}, {"chain", true}, {"chain", false}};
    for (const auto& link : links) {
        fs::remove(file);
        if (link.Exists)
            WriteBytes(file, OldSave);
        const fs::path at = dir / link.Link;
        EXPECT_EQ(SaveOver(at.string()), "") << link.Link;
        EXPECT_EQ(ReadBytes(file), NewSave) << link.Link;
        EXPECT_TRUE(fs::is_symlink(at)) << link.Link;
        EXPECT_EQ(Listing(dir).size(), 5u) << link.Link; // three links, a folder, the file
    }
}

} // namespace
} // namespace goalvanta::test
