#pragma once

#include "game/ByteStream.h"

#include <cstdint>

namespace goalvanta {

// A result as a 32-bit field of a saved game holds it: wrapped modulo 2^32. A
// loaded game may hold any int32, so sums and products are taken in 64 bits and
// wrapped here instead of overflowing.
constexpr std::int32_t Wrap32(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// Setting numbers: also the bit numbers in the main player's setting sets.
enum TSetting : int { SettingAutoRest = 0, SettingSelfJudging = 1 };

// The user's own player.
//
// Both point values are stored multiplied by the factor of the weight worn when
// they were set, and read back divided by the factor of the weight worn now. Points
// gained under a heavy weight are therefore worth that many times more once it is
// taken off, while the points in play are that many times fewer while it is worn.
// Changing the weight never rescales the stored values.
class TMainPlayer {
public:
    static constexpr std::int32_t StartPoints = 100000;
    // Highest stored maximum: one more than the strongest opponent's points.
    static constexpr std::int32_t MaxPointCap = 2000000001;
    // Size of the main player in a saved game.
    static constexpr std::int32_t RecordSize = 27;

    TMainPlayer() { Reset(); }

    // The starting values: 100000 points, no money, worst shoes, no sponsor, weight
    // "None" worn and owned, no settings, no wins.
    void Reset();

    std::int32_t GetMaxPoint() const;
    // Stores value × factor (wrapping to 32 bits), capped at MaxPointCap.
    void SetMaxPoint(std::int32_t value);
    std::int32_t GetPoint() const;
    // Stores value × factor, wrapping to 32 bits, with no cap.
    void SetPoint(std::int32_t value);
    std::int32_t GetShoesBonus() const;
    std::int32_t WeightFactor() const;

    bool OwnsSetting(int setting) const noexcept { return HasBit(FOwnedSettings, setting); }
    bool IsSettingActive(int setting) const noexcept { return HasBit(FActiveSettings, setting); }
    bool OwnsWeight(int weight) const noexcept { return HasBit(FOwnedWeights, weight); }

    // Appends the 27-byte record (fields in declared order, little-endian).
    std::int32_t WriteToStream(TMemoryStream& stream) const;
    // Reads the whole record first and assigns the fields only once all 27 bytes
    // were there; raises TReadError, changing nothing, otherwise.
    void ReadFromStream(TMemoryStream& stream);

    friend bool operator==(const TMainPlayer&, const TMainPlayer&) = default;

    // Fields in the order of the saved record. Sets hold element i in bit i; a
    // number outside a set's width counts as not contained.
    std::int32_t FMaxPoint = 0;
    std::int32_t FPoint = 0;
    std::int32_t FMoney = 0;
    std::uint8_t FOwnedSettings = 0;
    std::uint8_t FActiveSettings = 0;
    std::uint8_t FShoes = 0;
    std::uint8_t FSponsor = 0;
    std::uint8_t FWeight = 0;
    std::uint16_t FOwnedWeights = 0;
    std::int32_t FWins = 0;
    std::int32_t FMaxWins = 0;

    template <typename Set> static bool HasBit(Set set, int element) noexcept {
        return element >= 0 && element < static_cast<int>(sizeof(Set) * 8) &&
               ((set >> element) & 1u) != 0;
    }
    template <typename Set> static Set WithBit(Set set, int element, bool on) noexcept {
        if (element < 0 || element >= static_cast<int>(sizeof(Set) * 8))
            return set;
        const auto bit = static_cast<Set>(1u << element);
        return static_cast<Set>(on ? (set | bit) : (set & ~bit));
    }
};

} // namespace goalvanta
