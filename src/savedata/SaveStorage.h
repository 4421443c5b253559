#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace goalvanta {

// Where saved games are written and read. The game composes and parses the bytes;
// a storage only moves them, so that the window can use its toolkit's safe file
// writer while the core and its tests use the standard library.
class ISaveStorage {
public:
    virtual ~ISaveStorage() = default;

    // Replaces the file at `path` with `bytes`: afterwards the file holds either all
    // of the new bytes or, when this fails, exactly what it held before. Returns
    // whether the new bytes are in place.
    virtual bool WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) = 0;

    // Reads at most `maxBytes` from the start of the regular file at `path`. Returns
    // nothing for a missing path, a folder, a device or pipe, or a read error.
    virtual std::optional<std::vector<std::uint8_t>> ReadFile(const std::string& path,
                                                              std::size_t maxBytes) = 0;
};

// The standard-library storage: writes a complete new file beside the target and
// renames it over the target only when every byte is written.
class TStdSaveStorage final : public ISaveStorage {
public:
    bool WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) override;
    std::optional<std::vector<std::uint8_t>> ReadFile(const std::string& path,
                                                      std::size_t maxBytes) override;
};

} // namespace goalvanta
