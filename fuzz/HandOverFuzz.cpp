// Feeds arbitrary bytes to the hand-over record parser, whole and in the random
// chunk sizes a socket delivers. Both ways must agree, the parser must never ask
// for more than one bounded record, and whatever it accepts must compose back to
// exactly the bytes it was given.
#include "instance/HandOverRecord.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <span>

namespace {

using namespace goalvanta;

void Require(bool condition) {
    if (!condition)
        std::abort();
}

// The chunk sizes follow from the input itself, so a failing input replays exactly.
std::uint64_t Seed(std::span<const std::uint8_t> bytes) {
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (std::uint8_t b : bytes)
        hash = (hash ^ b) * 1099511628211ull;
    return hash;
}

// The receiver's loop: takes what is there, never more than the parser asks for.
// Returns the state and how many bytes were taken.
std::pair<THandOverParser::TState, std::size_t> FeedInChunks(THandOverParser& parser,
                                                             std::span<const std::uint8_t> bytes,
                                                             std::mt19937_64& engine) {
    std::uniform_int_distribution<std::size_t> chunk(1, 64);
    std::size_t at = 0;
    while (parser.State() == THandOverParser::TState::NeedMore && at < bytes.size()) {
        Require(parser.Needed() > 0);
        Require(at + parser.Needed() <=
                THandOverRecord::HeaderSize + THandOverRecord::MaxTextBytes);
        const std::size_t take = std::min({chunk(engine), parser.Needed(), bytes.size() - at});
        parser.Feed(bytes.subspan(at, take));
        at += take;
    }
    return {parser.State(), at};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const std::optional<THandOverRecord> whole = ParseHandOverRecord(bytes);

    std::mt19937_64 engine(Seed(bytes));
    THandOverParser parser;
    const auto [state, taken] = FeedInChunks(parser, bytes, engine);
    const bool chunkedAccepts = state == THandOverParser::TState::Complete && taken == size;
    Require(chunkedAccepts == whole.has_value());
    if (state != THandOverParser::TState::NeedMore)
        Require(parser.Needed() == 0);

    if (whole) {
        Require(parser.Record().Code == whole->Code && parser.Record().Text == whole->Text);
        const std::vector<std::uint8_t> again = ComposeHandOverRecord(*whole);
        Require(again.size() == size && std::equal(again.begin(), again.end(), bytes.begin()));
        Require(whole->Text.find('\0') == std::string::npos);
    }

    // A chunk longer than asked for is a caller's error: refused, never buffered.
    THandOverParser greedy;
    for (std::size_t at = 0;
         greedy.State() == THandOverParser::TState::NeedMore && at + greedy.Needed() < size;) {
        const std::size_t needed = greedy.Needed();
        if (engine() % 4 == 0) {
            Require(greedy.Feed(bytes.subspan(at, needed + 1)) == THandOverParser::TState::Invalid);
            Require(greedy.Needed() == 0);
            break;
        }
        greedy.Feed(bytes.subspan(at, needed));
        at += needed;
    }
    return 0;
}
