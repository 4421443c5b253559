#pragma once

#include "game/ByteStream.h"

#include <cstdint>

namespace goalvanta {

// Result codes an opponent carries; also the rows of ResultNames.
enum TResult : std::uint8_t { ResultNone = 0, ResultWon = 1, ResultDrew = 2, ResultLost = 3 };

// One opponent of the roster.
struct TPlayer {
    // Size of one opponent in a saved game: points (4), unknown flag (1), result (1).
    static constexpr std::int32_t RecordSize = 6;

    std::int32_t FSoccerPoint = 0; // 1 .. 2000000000; never changed by play
    bool FUnknown = false;         // points hidden from the user until revealed
    std::uint8_t FResult = 0;      // TResult of the match in the current run

    void WriteToStream(TMemoryStream& stream) const;
    // Reads one record; raises TReadError, changing nothing, when it is incomplete.
    void ReadFromStream(TMemoryStream& stream);

    friend bool operator==(const TPlayer&, const TPlayer&) = default;
};

// The roster's orders. Hidden points count as -1; equal keys are ordered by result.
// Returns a negative, zero or positive number like a classic comparison.
std::int32_t ComparePoints(const TPlayer& a, const TPlayer& b) noexcept;
// By result first (None, Won, Drew, Lost), then as ComparePoints.
std::int32_t CompareResults(const TPlayer& a, const TPlayer& b) noexcept;

} // namespace goalvanta
