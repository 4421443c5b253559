#pragma once

#include "game/MainPlayer.h"
#include "game/Player.h"
#include "game/PlayerList.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace goalvanta {

// A saved game is one file, every number little-endian, no padding anywhere:
//
//   offset  size      content
//   0       126       SaveHeader: maker (20), title (100), version (6), zero-padded ASCII
//   126     27        main player: max points, points, money (int32 each), owned and
//                     active settings, shoes, sponsor, weight (1 byte each), owned
//                     weights (uint16), wins, best wins (int32 each)
//   153     6 x N     opponents in roster order: points (int32), unknown (0/1), result
//
// With the roster of 10000 opponents a file is 60153 bytes. Nothing else (sort
// order, selection, flags) is stored.
inline constexpr std::size_t SaveHeaderSize = 126;

constexpr std::array<std::uint8_t, SaveHeaderSize> MakeSaveHeader() {
    std::array<std::uint8_t, SaveHeaderSize> header{};
    const auto put = [&header](std::size_t offset, const char* text) {
        for (std::size_t i = 0; text[i] != '\0'; ++i)
            header[offset + i] = static_cast<std::uint8_t>(text[i]);
    };
    put(0, "Tovrin");     // maker,   20 bytes
    put(20, "Goalvanta"); // title,  100 bytes
    put(120, "1.00");     // version,  6 bytes
    return header;
}

inline constexpr std::array<std::uint8_t, SaveHeaderSize> SaveHeader = MakeSaveHeader();

constexpr std::size_t SaveFileSize(std::int32_t opponents) {
    return SaveHeaderSize + TMainPlayer::RecordSize +
           static_cast<std::size_t>(opponents) * TPlayer::RecordSize;
}

// The bytes of a saved game.
std::vector<std::uint8_t> ComposeSaveFile(const TMainPlayer& mainPlayer, const TPlayerList& roster);

// A game read from a file, not yet applied to anything.
struct TSaveGame {
    TMainPlayer MainPlayer;
    std::vector<TPlayer> Opponents;
};

// Reads a saved game for a roster of `opponents` entries. Refuses (nullopt) a file
// whose header differs in any byte, that ends before the last opponent record, or
// that holds something this game never writes: an index outside its table (shoes,
// sponsor, weight, result) or a flag byte other than 0 or 1. Bytes after the last
// opponent record are ignored.
std::optional<TSaveGame> ParseSaveFile(std::span<const std::uint8_t> bytes, std::int32_t opponents);

} // namespace goalvanta
