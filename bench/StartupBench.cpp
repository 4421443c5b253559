// Start-up as the user meets it: this program starts the game the way the real
// executable does (tables, instance lock, application, icon, window, hand-over
// server, show) and reports
//   startup_ms  <from the process start to the end of the window's first paint>
//   maxrss_kb   <peak resident memory once the game from the first argument is in>
//   loaded      <1 when that game was loaded>
//   cpu_ms      <processor time the process had used by then, user and system>
//   phase       <name> <milliseconds from the start to the end of that step> <cpu ms>
// The processor time changes less than the elapsed time when other work keeps the
// machine busy.
// The start is the moment the caller launched the program, when it passes it in
// GOALVANTA_BENCH_LAUNCHED (seconds since the epoch with their fraction, as bash's
// EPOCHREALTIME gives them): the fork, the loader and the static initialisers are
// counted to the microsecond. Without it the start is the kernel's, from
// /proc/self/stat, kept in clock ticks: the figure is then rounded up by less
// than one tick.
//
// With --bare as the only argument it shows a window of the same size holding one
// line of text instead: what any Qt Widgets program pays on this machine before
// its first paint (the loader, the application, the font database, one frame).

#include "game/GameTables.h"
#include "instance/InstancePlatform.h"
#include "instance/SingleInstance.h"
#include "window/ApplicationIcon.h"
#include "window/FrmGoalvanta.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace goalvanta;

namespace {

// Seconds from boot to this process's start; the 22nd field of /proc/self/stat.
double ProcessStartSeconds() {
    QFile stat("/proc/self/stat");
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // The command name, field 2, may hold spaces; the fields after it never do.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const qint64 ticks = fields.value(22 - 3).toLongLong();
    return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double ClockSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The start on the clock that `Now` reads.
struct TStart {
    clockid_t Clock = CLOCK_BOOTTIME;
    double At = -1;
};

TStart ProgramStart() {
    if (const char* launched = std::getenv("GOALVANTA_BENCH_LAUNCHED"); launched && *launched) {
        std::string text = launched;
        std::replace(text.begin(), text.end(), ',', '.'); // a locale's decimal comma
        char* end = nullptr;
        const double at = std::strtod(text.c_str(), &end);
        if (end != text.c_str() && *end == '\0')
            return {CLOCK_REALTIME, at};
    }
    return {CLOCK_BOOTTIME, ProcessStartSeconds()};
}

const TStart Start = ProgramStart();

double Now() {
    return ClockSeconds(Start.Clock);
}

double SinceStartMs(double at) {
    return (at - Start.At) * 1000.0;
}

double CpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_usec) / 1000.0;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// The steps of the start, each with the moment it ended and the processor time
// used by then, printed with the figures.
struct TPhase {
    const char* Name;
    double At;
    double Cpu;
};
std::vector<TPhase> Phases;

void Phase(const char* name) {
    Phases.push_back({name, Now(), CpuMs()});
}

// Watches `window` until it has been painted and its owner has called Ready(),
// then ends the event loop. The first paint event to reach the window or a widget
// inside it starts the frame; the frame is over once the event loop is free again.
class TStartupProbe final : public QObject {
public:
    explicit TStartupProbe(QWidget& window) : FWindow(window) { qApp->installEventFilter(this); }
    double PaintedAt = -1; // on the clock of Now()
    double PaintedCpu = -1;

    void Ready() {
        FReady = true;
        Finish();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == &FWindow) {
            qApp->removeEventFilter(this);
            QTimer::singleShot(0, this, [this] {
                PaintedAt = Now();
                PaintedCpu = CpuMs();
                Finish();
            });
        }
        return false;
    }

private:
    void Finish() {
        if (PaintedAt >= 0 && FReady)
            QApplication::quit();
    }

    QWidget& FWindow;
    bool FReady = false;
};

// Shows `window`, runs the event loop until `probe` ends it and prints the figures.
int Report(QWidget& window, TStartupProbe& probe, const bool& loaded) {
    // A dialog that nobody answers must not hold the measurement forever.
    QTimer::singleShot(20000, [] {
        std::fprintf(stderr, "startup_bench: no painted window after 20 s\n");
        std::_Exit(3);
    });
    window.show();
    Phase("shown");
    QApplication::exec();
    Phases.push_back({"painted", probe.PaintedAt, probe.PaintedCpu});

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("startup_ms\t%.1f\n", SinceStartMs(probe.PaintedAt));
    std::printf("maxrss_kb\t%ld\n", usage.ru_maxrss);
    std::printf("loaded\t%d\n", loaded ? 1 : 0);
    std::printf("cpu_ms\t%.1f\n", probe.PaintedCpu);
    for (const TPhase& phase : Phases)
        std::printf("phase\t%s\t%.2f\t%.1f\n", phase.Name, SinceStartMs(phase.At), phase.Cpu);
    return 0;
}

int BareWindow(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Phase("application");
    QLabel window(QStringLiteral("Goalvanta"));
    window.resize(635, 529);
    Phase("window");
    TStartupProbe probe(window);
    probe.Ready();
    const bool loaded = false;
    return Report(window, probe, loaded);
}

} // namespace

int main(int argc, char* argv[]) {
    Phase("main");
    if (argc == 2 && std::strcmp(argv[1], "--bare") == 0)
        return BareWindow(argc, argv);

    GameTables();
    Phase("tables");

    std::string why;
    const std::optional<std::string> folder = PrivateInstanceFolder(why);
    if (!folder) {
        std::fprintf(stderr, "startup_bench: %s\n", why.c_str());
        return 2;
    }
    TInstanceLock lock(InstanceLockPath(*folder));
    if (lock.TryLock() != TInstanceLock::TResult::Locked) {
        std::fprintf(stderr, "startup_bench: another game holds the instance lock\n");
        return 2;
    }

    // As the game does: the toolkit sees no argument, the first one is the file.
    int toolkitArgc = 1;
    QApplication app(toolkitArgc, argv);
    Phase("application");
    SetUpApplication();
    Phase("icon");

    TFormGoalvanta window;
    if (argc > 1)
        window.SetCommandLinePath(argv[1]);
    Phase("window");
    THandOverServer server(
        [&window](const THandOverRecord& record) { return window.AcceptHandOver(record); });
    server.Listen(QFile::decodeName(QByteArray::fromStdString(InstanceServerPath(*folder))));
    Phase("server");

    // Done once the window has been painted and the game is in place.
    TStartupProbe probe(window);
    bool loaded = false;
    QObject::connect(&window, &TFormGoalvanta::FirstActivationDone, &window, [&] {
        loaded = !window.CurrentFileName().isEmpty();
        Phase("activated");
        probe.Ready();
    });
    return Report(window, probe, loaded);
}
