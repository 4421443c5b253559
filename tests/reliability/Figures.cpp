#include "Figures.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace goalvanta::test {

TFigures& Figures() {
    static TFigures figures;
    return figures;
}

namespace {

class TFiguresReport final : public ::testing::Environment {
public:
    void TearDown() override {
        const TFigures& f = Figures();
        std::printf("[figures] failing saves: %d modes tried, %d skipped, %d reported, "
                    "%d files changed, %d leftovers, %d games changed\n",
                    f.SaveFaultsTried, f.SaveFaultsSkipped, f.SaveFaultsReported,
                    f.SaveFaultsFilesChanged, f.SaveFaultsLeftovers, f.SaveFaultsGamesChanged);
        std::printf("[figures] kill -9 during saves: %d kills (%d inside a save, after %lld "
                    "saves), %d files complete old or new, %d temporary files left, %d after "
                    "the next save\n",
                    f.Kills, f.KillsInsideASave, static_cast<long long>(f.SavesBeforeKills),
                    f.KillsFileComplete, f.KillsLeftovers, f.KillsLeftoversAfterASave);
        std::printf("[figures] saves again: %d / %d longest names and paths, %d / %d modes and "
                    "owners kept, %d / %d stale temporaries removed, %d other files removed\n",
                    f.LongNamesSaved, f.LongNamesTried, f.ModesKept, f.ModesTried,
                    f.StaleTemporariesRemoved, f.StaleTemporaries, f.OthersRemoved);
        std::printf("[figures] bad files loaded: %lld tried, %lld refused, 0 crashes, %lld games "
                    "changed; %d sound files with extra bytes loaded; largest read %llu bytes\n",
                    static_cast<long long>(f.BadInputsTried),
                    static_cast<long long>(f.BadInputsRefused),
                    static_cast<long long>(f.BadInputsGamesChanged), f.SoundInputsLoaded,
                    static_cast<unsigned long long>(f.LargestRead));
        std::printf("[figures] swapped in after the check: %d tried, %d refused at once\n",
                    f.SwappedInputs, f.SwappedInputsRefusedAtOnce);
    }
};

[[maybe_unused]] const auto* const Report = ::testing::AddGlobalTestEnvironment(new TFiguresReport);

} // namespace
} // namespace goalvanta::test
