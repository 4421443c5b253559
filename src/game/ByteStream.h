#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace goalvanta {

// Raised when a read finds fewer bytes than it asked for.
class TReadError : public std::runtime_error {
public:
    TReadError() : std::runtime_error("Stream read error") {}
};

// A growable in-memory byte buffer with one position for reading. Every number is
// written and read little-endian, byte by byte, so the bytes do not depend on the
// host's byte order or on how the compiler lays out a struct.
class TMemoryStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes) : FBytes(std::move(bytes)) {}

    void WriteBytes(std::span<const std::uint8_t> bytes);
    void WriteUInt8(std::uint8_t value) { FBytes.push_back(value); }
    void WriteUInt16(std::uint16_t value);
    void WriteInt32(std::int32_t value);

    // Reads `out.size()` bytes; raises TReadError, consuming nothing, when fewer remain.
    void ReadBytes(std::span<std::uint8_t> out);

    const std::vector<std::uint8_t>& Bytes() const noexcept { return FBytes; }
    std::vector<std::uint8_t> TakeBytes() noexcept { return std::move(FBytes); }
    std::size_t Position() const noexcept { return FPosition; }
    std::size_t Remaining() const noexcept { return FBytes.size() - FPosition; }
    void Reserve(std::size_t size) { FBytes.reserve(size); }

private:
    std::vector<std::uint8_t> FBytes;
    std::size_t FPosition = 0;
};

// Little-endian decoding of a field inside a record that was read whole.
inline std::uint16_t LoadUInt16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::int32_t LoadInt32(const std::uint8_t* p) {
    const std::uint32_t u =
        static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
        (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    return static_cast<std::int32_t>(u); // two's complement, as C++20 defines it
}

} // namespace goalvanta
