#include "savedata/SaveGameData.h"

#include "game/GameTables.h"

#include <algorithm>

namespace goalvanta {

std::vector<std::uint8_t> ComposeSaveFile(const TMainPlayer& mainPlayer,
                                          const TPlayerList& roster) {
    TMemoryStream stream;
    stream.Reserve(SaveFileSize(roster.Count()));
    stream.WriteBytes(SaveHeader);
    mainPlayer.WriteToStream(stream);
    roster.WriteToStream(stream);
    return stream.TakeBytes();
}

namespace {

bool IndicesInTables(const TMainPlayer& p) {
    const TGameTables& t = GameTables();
    return p.FShoes < t.ShoesBonuses.Count() && p.FSponsor < t.SponsorIncomes.Count() &&
           p.FWeight < t.WeightFactors.Count();
}

} // namespace

std::optional<TSaveGame> ParseSaveFile(std::span<const std::uint8_t> bytes,
                                       std::int32_t opponents) {
    if (opponents < 0 || bytes.size() < SaveFileSize(opponents))
        return std::nullopt;
    if (!std::equal(SaveHeader.begin(), SaveHeader.end(), bytes.begin()))
        return std::nullopt;

    // Only the part that holds the game is read; whatever follows is not looked at.
    TMemoryStream stream(std::vector<std::uint8_t>(
        bytes.begin() + SaveHeaderSize,
        bytes.begin() + static_cast<std::ptrdiff_t>(SaveFileSize(opponents))));
    TSaveGame game;
    game.MainPlayer.ReadFromStream(stream);
    if (!IndicesInTables(game.MainPlayer))
        return std::nullopt;

    game.Opponents.resize(static_cast<std::size_t>(opponents));
    const std::uint8_t* record = bytes.data() + SaveHeaderSize + TMainPlayer::RecordSize;
    for (TPlayer& opponent : game.Opponents) {
        // A flag byte other than 0 or 1 cannot be written back as it was read.
        if (record[4] > 1 || record[5] > ResultLost)
            return std::nullopt;
        opponent.ReadFromStream(stream);
        record += TPlayer::RecordSize;
    }
    return game;
}

} // namespace goalvanta
