#pragma once

#include "savedata/SaveStorage.h"

namespace goalvanta {

// Saved games through Qt: QSaveFile writes a complete new file and renames it over
// the old one only after every byte was written, so a failed save never destroys
// the file it was replacing.
class TQtSaveStorage final : public ISaveStorage {
public:
    bool WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) override;
    std::optional<std::vector<std::uint8_t>> ReadFile(const std::string& path,
                                                      std::size_t maxBytes) override;
};

} // namespace goalvanta
