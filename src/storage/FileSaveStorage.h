#pragma once

#include "savedata/SaveStorage.h"

namespace goalvanta {

// The platform's calls a save and a load make (defined per platform), so that a test
// can make any one of them fail.
struct TSystemCalls;
const TSystemCalls& DefaultSystemCalls();

// Saved games on the local file system, the storage the game uses.
//
// A save writes a complete new file beside the old one under a short name of the
// game's own, syncs it, gives it the old file's owner, group and mode, and only then
// renames it over the old file and syncs the folder. It reports success only when
// every one of these steps did; otherwise the old file is as it was and nothing is
// left beside it. A save through a symbolic link replaces the file the link leads
// to and keeps the link. Temporaries that an ended process left in the folder are
// removed by the next save there.
//
// A load never blocks: whatever stands at the path, only a regular file is read,
// and no further than it is long or than asked for.
//
// Paths are the path's bytes as they are, never decoded.
class TFileSaveStorage final : public ISaveStorage {
public:
    explicit TFileSaveStorage(const TSystemCalls& calls = DefaultSystemCalls()) : FCalls(&calls) {}

    bool WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) override;
    std::optional<std::vector<std::uint8_t>> ReadFile(const std::string& path,
                                                      std::size_t maxBytes) override;

private:
    const TSystemCalls* FCalls;
};

} // namespace goalvanta
