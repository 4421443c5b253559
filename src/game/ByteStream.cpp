#include "game/ByteStream.h"

#include <algorithm>

namespace goalvanta {

void TMemoryStream::WriteBytes(std::span<const std::uint8_t> bytes) {
    FBytes.insert(FBytes.end(), bytes.begin(), bytes.end());
}

void TMemoryStream::WriteUInt16(std::uint16_t value) {
    FBytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    FBytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void TMemoryStream::WriteInt32(std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        FBytes.push_back(static_cast<std::uint8_t>((u >> shift) & 0xFF));
}

void TMemoryStream::ReadBytes(std::span<std::uint8_t> out) {
    if (out.size() > Remaining())
        throw TReadError();
    std::copy_n(FBytes.begin() + static_cast<std::ptrdiff_t>(FPosition), out.size(), out.begin());
    FPosition += out.size();
}

} // namespace goalvanta
