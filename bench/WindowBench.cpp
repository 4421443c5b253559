// The real main window at full scale, driven the way a user drives it: keys, clicks
// on the header, the tabs and the shop, the menus. Each command is timed until the
// events it posted, repaints included, have been handled, and is timed again as
// core-only work: the same game call on a screen that draws nothing, with the
// window's own save storage. The ratio of the two is what the window adds.
//
// Usage: window_bench [save folder] [name filter]
// Prints one tab-separated line per command:
//   cmd   <name> <window median ms> <core median ms> <paint events in the last run>
//   scale match <selected rows> <window median ms> <core median ms>
//   ref   <name> <window median ms>   (a repaint with nothing changed: the floor
//                                      under every command that shows a page)
// The save folder (a temporary one by default) keeps the slot files afterwards. With
// a filter only the commands whose name holds it run. Under
//   valgrind --tool=callgrind --collect-atstart=no window_bench "" <filter>
// only the window's side of the timed runs is counted, and with
// GOALVANTA_BENCH_PAINTS=1 every paint of a timed run is listed on stderr.

#include "BenchScreen.h"
#include "components/TvListView.h"
#include "storage/FileSaveStorage.h"
#include "window/FrmGoalvanta.h"
#include "window/GameModels.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <vector>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#endif

using namespace goalvanta;
using goalvanta::bench::TBenchScreen;

namespace {

constexpr int Runs = 21;  // timed runs per command; the median is reported
constexpr int Warmup = 2; // untimed runs first: caches, fonts, lazily built widgets

// Every question is answered with Ok; no file dialog is ever needed.
class TOkPrompts final : public IPrompts {
public:
    int Asked = 0;
    TMessageResult Message(const QString&, const QString&, TMessageIcon, TMessageButtons) override {
        ++Asked;
        return TMessageResult::Ok;
    }
    std::optional<QString> OpenFileName(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> SaveFileName(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

// Counts the paint events that reach `window` or any widget inside it; with
// GOALVANTA_BENCH_PAINTS set it also lists each one (widget, parent, rectangle).
class TPaintCounter final : public QObject {
public:
    explicit TPaintCounter(QWidget& window) : FWindow(window) { qApp->installEventFilter(this); }
    int Paints = 0;
    const bool List = qEnvironmentVariableIsSet("GOALVANTA_BENCH_PAINTS");

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        const auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() != &FWindow)
            return false;
        ++Paints;
        if (List) {
            const QRect rect = static_cast<QPaintEvent*>(event)->rect();
            const QWidget* parent = widget->parentWidget();
            std::fprintf(stderr, "  paint %s '%s' in '%s': %dx%d+%d+%d\n",
                         widget->metaObject()->className(), qPrintable(widget->objectName()),
                         parent ? qPrintable(parent->objectName()) : "", rect.width(),
                         rect.height(), rect.x(), rect.y());
        }
        return false;
    }

private:
    QWidget& FWindow;
};

// What the user sees: the posted events and due timers handled and the repaints
// they ask for done. A view lays itself out from a timer and only then asks for
// its repaint, so one pass over the queue is not always enough.
void Settle() {
    for (int pass = 0; pass < 3; ++pass) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

double Median(std::vector<double> values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

double Milliseconds(const std::function<void()>& act) {
    const auto start = std::chrono::steady_clock::now();
    act();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// One side of a measurement: an untimed setup, then the timed action.
struct TSide {
    std::function<void()> Setup;
    std::function<void()> Act;
};

void Require(bool condition, const char* what) {
    if (!condition)
        throw std::runtime_error(what);
}

class TWindowBench {
public:
    TWindowBench(const QString& saveFolder, QString filter)
        : FFilter(std::move(filter)), FWindow(saveFolder, &FPrompts), FPaints(FWindow),
          FCore(FScreen, FCoreStorage) {
        FScreen.Game = &FCore;
        FCore.NewGame();
        FWindow.show();
        // The first show starts the game, as it does for a user.
        QElapsedTimer waited;
        waited.start();
        while (!FWindow.Game().Flags().Activated && waited.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        Require(FWindow.Game().Flags().Activated, "the window never started its game");
        Require(QTest::qWaitForWindowExposed(&FWindow), "the window is not exposed");
        Settle();
    }

    void Run() {
        NewGame();
        HeaderClicks();
        SelectionCommands();
        Rest();
        BuyWeight();
        BuyInvestigation();
        ShopTab();
        SelectAllAndEnter();
        MatchScaling();
        SaveAndLoad();
        Repaints();
    }

private:
    TMainPlayer& Me() { return *FWindow.Game().MainPlayer(); }
    TTvListView& Players() { return *FWindow.BLVPlayers(); }
    TTvListView& Shop() { return *FWindow.BLVShop(); }

    bool Wanted(const char* name) const { return QString::fromUtf8(name).contains(FFilter); }

    void Report(const char* name, double window, double core) {
        std::printf("cmd\t%s\t%.3f\t%.3f\t%d\n", name, window, core, FLastPaints);
        std::fflush(stdout);
    }

    // Median milliseconds of each side; the window's time runs until everything
    // the command asked for is painted. The runs of the two sides alternate, so
    // that a busy moment of the machine falls on both alike.
    std::pair<double, double> MedianMs(const char* name, const TSide& window, const TSide& core) {
        std::vector<double> windowTimes, coreTimes;
        for (int run = -Warmup; run < Runs; ++run) {
            window.Setup();
            Settle();
            if (FPaints.List)
                std::fprintf(stderr, "%s:\n", name);
            const int paints = FPaints.Paints;
            CALLGRIND_TOGGLE_COLLECT;
            const double w = Milliseconds([&] {
                window.Act();
                Settle();
            });
            CALLGRIND_TOGGLE_COLLECT;
            FLastPaints = FPaints.Paints - paints;
            core.Setup();
            const double c = Milliseconds(core.Act);
            if (run >= 0) {
                windowTimes.push_back(w);
                coreTimes.push_back(c);
            }
        }
        return {Median(std::move(windowTimes)), Median(std::move(coreTimes))};
    }

    // Times `window` and `core`, each after its own setup, and reports both; false
    // when the filter leaves the command out.
    bool Measure(const char* name, const std::function<void()>& windowSetup,
                 const std::function<void()>& window, const std::function<void()>& coreSetup,
                 const std::function<void()>& core) {
        if (!Wanted(name))
            return false;
        const auto [w, c] = MedianMs(name, {windowSetup, window}, {coreSetup, core});
        Report(name, w, c);
        return true;
    }

    void NewGame() {
        QAction* newGame = FWindow.menuBar()->actions().value(0)->menu()->actions().value(0);
        Require(newGame != nullptr && QString(newGame->text()).remove('&') == "New",
                "no New in the Game menu");
        Measure(
            "new game (Game > New)", [] {}, [newGame] { newGame->trigger(); }, [] {},
            [this] { FCore.NewGame(); });
    }

    void ClickHeader(int section) {
        QHeaderView* header = Players().header();
        const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    void HeaderClicks() {
        bool down = false;
        Measure(
            "header click: vs Result", [] {}, [this] { ClickHeader(0); }, [] {},
            [this, &down] {
                FCore.Roster()->SortByResult(down = !down);
                FCore.Execute(TCommand::SetStatusBarText);
            });
        Measure(
            "header click: Soccer Point", [] {}, [this] { ClickHeader(1); }, [] {},
            [this, &down] {
                FCore.Roster()->SortByPoints(down = !down);
                FCore.Execute(TCommand::SetStatusBarText);
            });
    }

    static void Tired(TMainPlayer& me) {
        me.FPoint = 1;
        me.FMoney = 1000;
    }

    void Rest() {
        if (!Measure(
                "Space (rest)", [this] { Tired(Me()); },
                [this] { QTest::keyClick(&Players(), Qt::Key_Space); },
                [this] { Tired(*FCore.MainPlayer()); }, [this] { FCore.Execute(TCommand::Rest); }))
            return;
        Require(Me().FMoney == 950, "Space did not rest");
    }

    // The shop page in front with `item`'s row focused, `me` able to buy it.
    void FocusShopRow(const std::string& item) {
        FWindow.PageControl1()->setCurrentIndex(1);
        FWindow.Run(TCommand::SetShopProducts);
        const auto& products = static_cast<TShopModel*>(Shop().model())->Products();
        const auto it = std::ranges::find(products, item, &TShopProduct::Item);
        Require(it != products.end(), "the shop does not offer the item");
        Shop().setCurrentIndex(Shop().model()->index(static_cast<int>(it - products.begin()), 0));
    }
    void FocusCoreShopItem(const std::string& item) {
        FCore.Execute(TCommand::SetShopProducts);
        Require(FScreen.FocusShopItem(item), "the core shop does not offer the item");
    }

    static void WithoutWeights(TMainPlayer& me) {
        me.FOwnedWeights = 1; // "None" only
        me.FWeight = 0;
        me.FMoney = 1000000;
    }

    void BuyWeight() {
        const std::string item = "x2 weight";
        if (!Measure(
                "Enter on a shop row (buy x2 weight)",
                [this, &item] {
                    WithoutWeights(Me());
                    FocusShopRow(item);
                },
                [this] { QTest::keyClick(&Shop(), Qt::Key_Return); },
                [this, &item] {
                    WithoutWeights(*FCore.MainPlayer());
                    FocusCoreShopItem(item);
                },
                [this] { FCore.Execute(TCommand::Buy); }))
            return;
        Require(Me().OwnsWeight(1), "Enter in the shop did not buy");
    }

    static void AllHidden(TGame& game) {
        game.MainPlayer()->FMoney = 1000000;
        game.MainPlayer()->FMaxPoint = TMainPlayer::MaxPointCap;
        for (std::int32_t i = 0; i < game.Roster()->Count(); ++i)
            game.Roster()->Items(i).FUnknown = true;
    }

    void BuyInvestigation() {
        const std::string item = TGame::InvestigationItem;
        if (!Measure(
                "double click on a shop row (investigate)",
                [this, &item] {
                    AllHidden(FWindow.Game());
                    // The panel shows the money set here, so that the purchase changes
                    // it on the screen as it does for a user.
                    FWindow.Run(TCommand::MainPlayerStateView);
                    FWindow.RefreshVisibleItems();
                    FocusShopRow(item);
                },
                [this] {
                    const QModelIndex row = Shop().currentIndex();
                    QTest::mouseDClick(Shop().viewport(), Qt::LeftButton, {},
                                       Shop().visualRect(row).center());
                },
                [this, &item] {
                    AllHidden(FCore);
                    FocusCoreShopItem(item);
                },
                [this] { FCore.Execute(TCommand::Buy); }))
            return;
        Require(!FWindow.Game().Roster()->Items(9999).FUnknown, "the investigation did not run");
    }

    void ShopTab() {
        QTabBar* tabs = FWindow.PageControl1()->tabBar();
        if (!Measure(
                "click on the Shop tab", [this] { FWindow.PageControl1()->setCurrentIndex(0); },
                [tabs] { QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center()); },
                [] {}, [this] { FCore.Execute(TCommand::SetShopProducts); }))
            return;
        Require(FWindow.PageControl1()->currentIndex() == 1, "the Shop tab did not open");
        FWindow.PageControl1()->setCurrentIndex(0);
    }

    void SelectionCommands() {
        Measure(
            "Select the poorest", [] {}, [this] { FWindow.ActSelectThePoorest()->trigger(); },
            [] {}, [this] { FCore.Execute(TCommand::SelectThePoorest); });
        Measure(
            "Select the next unknown",
            [this] {
                Players().setCurrentIndex(Players().model()->index(0, 0));
                Players().scrollToTop();
            },
            [this] { FWindow.ActSelectTheNextUnknown()->trigger(); },
            [this] { FScreen.Focused = 0; },
            [this] { FCore.Execute(TCommand::SelectTheNextUnknown); });
    }

    // The roster in its starting state for one more all-winning match command,
    // with only the first row selected.
    void ChampionWindow() {
        bench::PrepareChampion(FWindow.Game());
        FWindow.Run(TCommand::MainPlayerStateView);
        FWindow.RefreshVisibleItems();
        Players().setFocus();
        Players().selectionModel()->setCurrentIndex(Players().model()->index(0, 0),
                                                    QItemSelectionModel::ClearAndSelect |
                                                        QItemSelectionModel::Rows);
    }

    void SelectAllAndEnter() {
        const int asked = FPrompts.Asked;
        if (!Measure(
                "Ctrl+A, Enter (10000 wins)", [this] { ChampionWindow(); },
                [this] {
                    QTest::keyClick(&Players(), Qt::Key_A, Qt::ControlModifier);
                    QTest::keyClick(&Players(), Qt::Key_Return);
                },
                [this] {
                    bench::PrepareChampion(FCore);
                    FScreen.SelectFirst(TPlayerList::RosterSize);
                },
                [this] { FCore.Execute(TCommand::Game); }))
            return;
        Require(Me().FWins == TPlayerList::RosterSize, "not every opponent was won");
        Require(FPrompts.Asked - asked == Runs + Warmup, "the congratulation was not shown");
    }

    void MatchScaling() {
        if (!Wanted("match scaling"))
            return;
        for (const int rows : {1000, 5000, 10000}) {
            const auto [w, c] =
                MedianMs("match scaling",
                         {[this, rows] {
                              ChampionWindow();
                              Players().selectionModel()->select(
                                  QItemSelection(Players().model()->index(0, 0),
                                                 Players().model()->index(rows - 1, 1)),
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
                          },
                          [this] { QTest::keyClick(&Players(), Qt::Key_Return); }},
                         {[this, rows] {
                              bench::PrepareChampion(FCore);
                              FScreen.SelectFirst(rows);
                          },
                          [this] { FCore.Execute(TCommand::Game); }});
            Require(Me().FWins == rows && FCore.MainPlayer()->FWins == rows,
                    "not every selected opponent was won");
            std::printf("scale\tmatch\t%d\t%.3f\t%.3f\n", rows, w, c);
            std::fflush(stdout);
        }
    }

    void SaveAndLoad() {
        const int slot = 1;
        const QString slotPath = FWindow.SaveFolder() + TFormGoalvanta::SlotFileName(slot);
        const std::string corePath = (FWindow.SaveFolder() + "core.sav").toStdString();
        if (Measure(
                "save to a slot (rewrite, Ok)", [] {}, [this] { FWindow.SaveData1Click(slot); },
                [] {}, [this, &corePath] { FCore.SaveGameFile(corePath); }))
            Require(QFileInfo(slotPath).size() == 60153, "the slot was not written");
        const auto saved = [this, &slotPath, &corePath] {
            if (!QFileInfo::exists(slotPath))
                FWindow.SaveData1Click(slot);
            if (!QFileInfo::exists(QString::fromStdString(corePath)))
                FCore.SaveGameFile(corePath);
        };
        if (Measure(
                "load a slot", saved, [this] { FWindow.LoadData1Click(slot); }, saved,
                [this, &corePath] { FCore.LoadGameFile(corePath); }))
            Require(FWindow.CurrentFileName() == slotPath, "the slot was not loaded");
    }

    // What painting costs by itself: the page of the roster and the whole window,
    // repainted with nothing changed. A command that shows another page, or
    // repaints the rows in view, cannot be faster than this plus its own work.
    void Repaints() {
        auto* pages = FWindow.findChild<QTabWidget*>("PageControl1");
        Require(pages != nullptr, "no page control");
        pages->setCurrentIndex(0);
        Settle();
        const std::pair<const char*, QWidget*> targets[] = {
            {"repaint of the Players page, nothing changed", pages},
            {"repaint of the whole window, nothing changed", &FWindow}};
        for (const auto& [name, widget] : targets) {
            if (!Wanted(name))
                continue;
            // Every widget inside asks for its paint, as a page that is shown does.
            const auto repaint = [widget] {
                widget->update();
                for (QWidget* child : widget->findChildren<QWidget*>())
                    child->update();
            };
            const double w = MedianMs(name, {[] {}, repaint}, {[] {}, [] {}}).first;
            std::printf("ref\t%s\t%.3f\n", name, w);
            std::fflush(stdout);
        }
    }

    QString FFilter;
    TOkPrompts FPrompts;
    TFormGoalvanta FWindow;
    TPaintCounter FPaints;
    int FLastPaints = 0;
    TBenchScreen FScreen;
    TFileSaveStorage FCoreStorage;
    TGame FCore;
};

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir temporary;
    const QStringList args = QCoreApplication::arguments();
    const QString folder = args.value(1).isEmpty() ? temporary.path() : args.value(1);
    try {
        TWindowBench bench(folder, args.value(2));
        bench.Run();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "window_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
