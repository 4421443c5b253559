#pragma once

#include <cstdint>
#include <string>

namespace goalvanta::test {

// What the reliability tests measured in this run, printed once at the end so that
// the figures in RELIABILITY.md can be copied from a run.
struct TFigures {
    int SaveFaultsTried = 0;
    int SaveFaultsSkipped = 0;
    int SaveFaultsReported = 0;
    int SaveFaultsFilesChanged = 0;
    int SaveFaultsLeftovers = 0;
    int SaveFaultsGamesChanged = 0;

    int Kills = 0;
    int KillsInsideASave = 0;
    int KillsFileComplete = 0;
    int KillsLeftovers = 0;
    int KillsLeftoversAfterASave = 0;

    int LongNamesTried = 0;
    int LongNamesSaved = 0;
    int ModesTried = 0;
    int ModesKept = 0;
    int StaleTemporaries = 0;
    int StaleTemporariesRemoved = 0;
    int OthersRemoved = 0;
    std::int64_t SavesBeforeKills = 0;

    std::int64_t BadInputsTried = 0;
    std::int64_t BadInputsRefused = 0;
    std::int64_t BadInputsGamesChanged = 0;
    int SwappedInputs = 0;
    int SwappedInputsRefusedAtOnce = 0;
    int SoundInputsLoaded = 0;
    std::uint64_t LargestRead = 0;
};

TFigures& Figures();

} // namespace goalvanta::test
