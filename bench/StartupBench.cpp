// Start-up as the user meets it: this program starts the game the way the real
// executable does (tables, instance lock, application, icon, window, hand-over
// server, show) and reports
//   startup_ms  <from the process start to the end of the window's first paint>
//   maxrss_kb   <peak resident memory once the game from the first argument is in>
//   loaded      <1 when that game was loaded>
// The process start is the kernel's, from /proc/self/stat, so the loader and the
// static initialisers are counted; it is kept in clock ticks, so the figure is
// rounded up by less than one tick.
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
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

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

double BootSeconds() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Watches `window` until it has been painted and its owner has called Ready(),
// then ends the event loop. The first paint event to reach the window or a widget
// inside it starts the frame; the frame is over once the event loop is free again.
class TStartupProbe final : public QObject {
public:
    explicit TStartupProbe(QWidget& window) : FWindow(window) { qApp->installEventFilter(this); }
    double PaintedAt = -1; // seconds since boot

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
                PaintedAt = BootSeconds();
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
    QApplication::exec();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("startup_ms\t%.1f\n", (probe.PaintedAt - ProcessStartSeconds()) * 1000.0);
    std::printf("maxrss_kb\t%ld\n", usage.ru_maxrss);
    std::printf("loaded\t%d\n", loaded ? 1 : 0);
    return 0;
}

int BareWindow(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("Goalvanta"));
    window.resize(635, 529);
    TStartupProbe probe(window);
    probe.Ready();
    const bool loaded = false;
    return Report(window, probe, loaded);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 2 && std::strcmp(argv[1], "--bare") == 0)
        return BareWindow(argc, argv);

    GameTables();

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
    SetUpApplication();

    TFormGoalvanta window;
    if (argc > 1)
        window.SetCommandLinePath(argv[1]);
    THandOverServer server(
        [&window](const THandOverRecord& record) { return window.AcceptHandOver(record); });
    server.Listen(QFile::decodeName(QByteArray::fromStdString(InstanceServerPath(*folder))));

    // Done once the window has been painted and the game is in place.
    TStartupProbe probe(window);
    bool loaded = false;
    QObject::connect(&window, &TFormGoalvanta::FirstActivationDone, &window, [&] {
        loaded = !window.CurrentFileName().isEmpty();
        probe.Ready();
    });
    return Report(window, probe, loaded);
}
