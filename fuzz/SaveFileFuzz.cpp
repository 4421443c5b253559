// Feeds arbitrary bytes to the save-file parser as a game with the full roster
// reads them. Whatever it accepts must compose back to exactly the bytes it read:
// a file that loads is one this game could have written.
#include "game/PlayerList.h"
#include "savedata/SaveGameData.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

namespace {

using namespace goalvanta;

// The opponents' objects are reused: only their field values come from the file.
TPlayerList& Roster() {
    static TPlayerList roster;
    [[maybe_unused]] static const bool generated = (roster.Generate(), true);
    return roster;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const std::int32_t opponents = TPlayerList::RosterSize;
    const std::optional<TSaveGame> game = ParseSaveFile(bytes, opponents);
    if (!game)
        return 0;

    const std::size_t read = SaveFileSize(opponents);
    if (size < read || game->Opponents.size() != static_cast<std::size_t>(opponents))
        std::abort();
    Roster().AssignRecords(game->Opponents);
    const std::vector<std::uint8_t> again = ComposeSaveFile(game->MainPlayer, Roster());
    if (again.size() != read || !std::equal(again.begin(), again.end(), bytes.begin()))
        std::abort();
    return 0;
}
