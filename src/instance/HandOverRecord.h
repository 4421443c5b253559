#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace goalvanta {

// A path handed to the running game, by a second start of the program or by the
// window to itself. On the wire, every number little-endian:
//
//   offset  size  content
//   0       4     request code: 1 opens the path; no other code is acted on
//   4       4     byte length of the text, its terminating zero included (>= 1)
//   8       n     the path's bytes exactly as the file system names it (not
//                 necessarily UTF-8), then one zero byte
//
// One record per connection. The receiver answers with one byte as soon as it has
// the record, without waiting for the user: 1 when the running game took the path
// (it opens it once no command of its own is running), 0 when it refused it.
struct THandOverRecord {
    static constexpr std::uint32_t OpenPathCode = 1;
    static constexpr std::size_t HeaderSize = 8;
    // Far above any real path; a larger claim is refused before anything is read.
    static constexpr std::uint32_t MaxTextBytes = 64 * 1024;

    std::uint32_t Code = OpenPathCode;
    std::string Text; // without the terminating zero
};

std::vector<std::uint8_t> ComposeHandOverRecord(const THandOverRecord& record);

// Takes a record in as its bytes arrive, never asking for a byte beyond the
// declared length, and refuses it as soon as it cannot be sound: a length of 0 or
// above MaxTextBytes, a text without its terminating zero, or a zero inside it.
class THandOverParser {
public:
    enum class TState { NeedMore, Complete, Invalid };

    // How many more bytes the record needs; 0 once complete or invalid.
    std::size_t Needed() const noexcept;
    // Feeds at most Needed() bytes (more is a caller's error and makes it invalid).
    TState Feed(std::span<const std::uint8_t> bytes);
    TState State() const noexcept { return FState; }
    // The record, once complete.
    const THandOverRecord& Record() const noexcept { return FRecord; }

private:
    void Check();

    TState FState = TState::NeedMore;
    std::vector<std::uint8_t> FBytes;
    std::size_t FTotal = THandOverRecord::HeaderSize;
    THandOverRecord FRecord;
};

// Parses a whole record held in memory: the record when the bytes are exactly one
// sound record, nothing otherwise.
std::optional<THandOverRecord> ParseHandOverRecord(std::span<const std::uint8_t> bytes);

} // namespace goalvanta
