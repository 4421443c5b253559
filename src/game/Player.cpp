#include "game/Player.h"

#include <array>

namespace goalvanta {

void TPlayer::WriteToStream(TMemoryStream& stream) const {
    stream.WriteInt32(FSoccerPoint);
    stream.WriteUInt8(FUnknown ? 1 : 0);
    stream.WriteUInt8(FResult);
}

void TPlayer::ReadFromStream(TMemoryStream& stream) {
    std::array<std::uint8_t, RecordSize> record{};
    stream.ReadBytes(record);
    FSoccerPoint = LoadInt32(&record[0]);
    FUnknown = record[4] != 0;
    FResult = record[5];
}

namespace {
std::int32_t PointKey(const TPlayer& p) noexcept {
    return p.FUnknown ? -1 : p.FSoccerPoint;
}
} // namespace

std::int32_t ComparePoints(const TPlayer& a, const TPlayer& b) noexcept {
    // Computed in 64 bits: a loaded file may hold points outside the generated
    // range, and the difference of two int32 keys could overflow then.
    const std::int64_t diff = std::int64_t{PointKey(a)} - PointKey(b);
    if (diff != 0)
        return diff < 0 ? -1 : 1;
    return std::int32_t{a.FResult} - std::int32_t{b.FResult};
}

std::int32_t CompareResults(const TPlayer& a, const TPlayer& b) noexcept {
    if (a.FResult != b.FResult)
        return std::int32_t{a.FResult} - std::int32_t{b.FResult};
    return ComparePoints(a, b);
}

} // namespace goalvanta
