#include "instance/HandOverRecord.h"

#include <algorithm>

namespace goalvanta {

namespace {

void PutUInt32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint32_t GetUInt32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

} // namespace

std::vector<std::uint8_t> ComposeHandOverRecord(const THandOverRecord& record) {
    std::vector<std::uint8_t> out;
    out.reserve(THandOverRecord::HeaderSize + record.Text.size() + 1);
    PutUInt32(out, record.Code);
    PutUInt32(out, static_cast<std::uint32_t>(record.Text.size() + 1));
    out.insert(out.end(), record.Text.begin(), record.Text.end());
    out.push_back(0);
    return out;
}

std::size_t THandOverParser::Needed() const noexcept {
    return FState == TState::NeedMore ? FTotal - FBytes.size() : 0;
}

THandOverParser::TState THandOverParser::Feed(std::span<const std::uint8_t> bytes) {
    if (FState != TState::NeedMore)
        return FState;
    if (bytes.size() > Needed()) {
        FState = TState::Invalid;
        return FState;
    }
    FBytes.insert(FBytes.end(), bytes.begin(), bytes.end());
    Check();
    return FState;
}

void THandOverParser::Check() {
    if (FBytes.size() < THandOverRecord::HeaderSize)
        return;
    if (FBytes.size() == THandOverRecord::HeaderSize) {
        FRecord.Code = GetUInt32(&FBytes[0]);
        const std::uint32_t length = GetUInt32(&FBytes[4]);
        if (length == 0 || length > THandOverRecord::MaxTextBytes) {
            FState = TState::Invalid;
            return;
        }
        FTotal = THandOverRecord::HeaderSize + length;
        FBytes.reserve(FTotal);
        return;
    }
    if (FBytes.size() < FTotal)
        return;
    // The text ends at its one zero byte, which is the last byte of the record.
    const auto text = FBytes.begin() + THandOverRecord::HeaderSize;
    const auto zero = std::find(text, FBytes.end(), std::uint8_t{0});
    if (zero != FBytes.end() - 1) {
        FState = TState::Invalid;
        return;
    }
    FRecord.Text.assign(text, zero);
    FState = TState::Complete;
}

std::optional<THandOverRecord> ParseHandOverRecord(std::span<const std::uint8_t> bytes) {
    THandOverParser parser;
    std::size_t at = 0;
    while (parser.State() == THandOverParser::TState::NeedMore && at < bytes.size()) {
        const std::size_t take = std::min(parser.Needed(), bytes.size() - at);
        parser.Feed(bytes.subspan(at, take));
        at += take;
    }
    if (parser.State() != THandOverParser::TState::Complete || at != bytes.size())
        return std::nullopt;
    return parser.Record();
}

} // namespace goalvanta
