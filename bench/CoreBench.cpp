// The game core at full scale: the 10000-opponent roster, its sorts, one match
// command against every opponent, the roster scans and the save format. Each
// benchmark starts its timed part from the same game state, so repeated runs
// measure the same work.

#include "BenchScreen.h"
#include "game/Player.h"
#include "game/PlayerList.h"
#include "rules/Game.h"
#include "savedata/SaveGameData.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <random>
#include <vector>

#if GOALVANTA_BENCH_LISTVIEW
#include "components/TvListView.h"

#include <QApplication>
#endif

using namespace goalvanta;
using goalvanta::bench::TBenchScreen;

namespace {

// A fresh game on the bench screen.
struct TBenchGame {
    TBenchScreen Screen;
    TGame Game{Screen};

    TBenchGame() {
        Screen.Game = &Game;
        Game.NewGame();
    }
    TPlayerList& Roster() { return *Game.Roster(); }
    TMainPlayer& Me() { return *Game.MainPlayer(); }
};

// --- The roster -------------------------------------------------------------------------

void BM_Generate(benchmark::State& state) {
    TPlayerList roster;
    for (auto _ : state) {
        roster.Generate(); // shuffle and the final sort included
        benchmark::DoNotOptimize(roster.Items(0));
    }
}
BENCHMARK(BM_Generate)->Unit(benchmark::kMicrosecond);

// A roster where the weaker half has been won, so that sorting by result meets
// every kind of key; each sort starts from a shuffled order.
void SortBench(benchmark::State& state, bool byResult, bool descending) {
    TBenchGame g;
    for (std::int32_t i = 0; i < g.Roster().Count(); ++i)
        if (i >= g.Roster().Count() / 2)
            g.Roster().Items(i).FResult = ResultWon;
    for (auto _ : state) {
        state.PauseTiming();
        g.Roster().Shuffle();
        state.ResumeTiming();
        if (byResult)
            g.Roster().SortByResult(descending);
        else
            g.Roster().SortByPoints(descending);
        benchmark::DoNotOptimize(g.Roster().Items(0));
    }
}
BENCHMARK_CAPTURE(SortBench, SortByPoints_down, false, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SortBench, SortByPoints_up, false, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SortBench, SortByResult_down, true, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(SortBench, SortByResult_up, true, false)->Unit(benchmark::kMicrosecond);

// The roster always holds 10000 opponents, so growth is shown by sorting the
// first n of them with the roster's own comparators, the way its sorts do.
void BM_SortScaling(benchmark::State& state) {
    TBenchGame g;
    const auto n = static_cast<std::int32_t>(state.range(0));
    std::vector<const TPlayer*> order;
    for (std::int32_t i = 0; i < n; ++i)
        order.push_back(&g.Roster().Items(i));
    std::mt19937 engine(20260101);
    for (auto _ : state) {
        state.PauseTiming();
        std::ranges::shuffle(order, engine);
        state.ResumeTiming();
        std::ranges::sort(
            order, [](const TPlayer* a, const TPlayer* b) { return ComparePoints(*a, *b) > 0; });
        benchmark::DoNotOptimize(order.front());
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_SortScaling)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(10000)
    ->Complexity(benchmark::oNLogN)
    ->Unit(benchmark::kMicrosecond);

// --- Commands ----------------------------------------------------------------------------

// One match command over the first n rows, every one of them won and followed by
// a rest.
void BM_MatchCommand(benchmark::State& state) {
    TBenchGame g;
    const auto n = static_cast<std::int32_t>(state.range(0));
    g.Screen.SelectFirst(n);
    for (auto _ : state) {
        state.PauseTiming();
        bench::PrepareChampion(g.Game);
        state.ResumeTiming();
        g.Game.Execute(TCommand::Game);
    }
    if (g.Me().FWins != n)
        state.SkipWithError("not every selected opponent was won");
    state.SetComplexityN(n);
}
BENCHMARK(BM_MatchCommand)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(10000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// Every opponent hidden and below the maximum: the investigation reveals them all.
void BM_Investigation(benchmark::State& state) {
    TBenchGame g;
    g.Me().FMaxPoint = TMainPlayer::MaxPointCap;
    for (auto _ : state) {
        state.PauseTiming();
        for (std::int32_t i = 0; i < g.Roster().Count(); ++i)
            g.Roster().Items(i).FUnknown = true;
        state.ResumeTiming();
        g.Game.Execute(TCommand::InvestigatePlayers);
    }
}
BENCHMARK(BM_Investigation)->Unit(benchmark::kMicrosecond);

void BM_SelectThePoorest(benchmark::State& state) {
    TBenchGame g;
    for (auto _ : state)
        g.Game.Execute(TCommand::SelectThePoorest);
}
BENCHMARK(BM_SelectThePoorest)->Unit(benchmark::kMicrosecond);

// The longest search: every opponent known and the focus on the first row, so
// the whole roster is walked without a find.
void BM_SelectTheNextUnknown(benchmark::State& state) {
    TBenchGame g;
    for (std::int32_t i = 0; i < g.Roster().Count(); ++i)
        g.Roster().Items(i).FUnknown = false;
    g.Screen.Focused = 0;
    for (auto _ : state)
        g.Game.Execute(TCommand::SelectTheNextUnknown);
}
BENCHMARK(BM_SelectTheNextUnknown)->Unit(benchmark::kMicrosecond);

// --- The save format ---------------------------------------------------------------------

void BM_ComposeSaveFile(benchmark::State& state) {
    TBenchGame g;
    for (auto _ : state)
        benchmark::DoNotOptimize(ComposeSaveFile(g.Me(), g.Roster()));
}
BENCHMARK(BM_ComposeSaveFile)->Unit(benchmark::kMicrosecond);

void BM_ParseSaveFile(benchmark::State& state) {
    TBenchGame g;
    const std::vector<std::uint8_t> bytes = ComposeSaveFile(g.Me(), g.Roster());
    for (auto _ : state) {
        auto parsed = ParseSaveFile(bytes, g.Roster().Count());
        if (!parsed)
            state.SkipWithError("the composed save did not parse");
        benchmark::DoNotOptimize(parsed);
    }
}
BENCHMARK(BM_ParseSaveFile)->Unit(benchmark::kMicrosecond);

// --- The roster view's selection ------------------------------------------------------------

#if GOALVANTA_BENCH_LISTVIEW
// 10000 empty rows in two columns: only the selection is asked for.
class TRowsModel final : public TTvListModel {
public:
    TRowsModel() { SetColumns({TTvListColumn{}, TTvListColumn{}}); }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : TPlayerList::RosterSize;
    }
    QVariant data(const QModelIndex&, int) const override { return {}; }
};

void BM_GetSelectedIndices(benchmark::State& state) {
    TRowsModel model;
    TTvListView view;
    view.setModel(&model);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.selectAll();
    TIntegerList rows;
    for (auto _ : state) {
        view.GetSelectedIndices(rows);
        benchmark::DoNotOptimize(rows.Count());
    }
    if (rows.Count() != TPlayerList::RosterSize)
        state.SkipWithError("not every row was selected");
}
BENCHMARK(BM_GetSelectedIndices)->Unit(benchmark::kMicrosecond);
#endif

} // namespace

int main(int argc, char** argv) {
#if GOALVANTA_BENCH_LISTVIEW
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
