#pragma once

#include "game/Player.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace goalvanta {

// The roster: the opponents in the order the roster view shows them (row i is
// entry i). The list owns its opponents; sorting reorders references only, so an
// opponent keeps its address for the life of the list and a view can follow one
// opponent (the focused one) across a sort.
class TPlayerList {
public:
    static constexpr std::int32_t RosterSize = 10000;

    TPlayerList() = default;
    TPlayerList(const TPlayerList&) = delete;
    TPlayerList& operator=(const TPlayerList&) = delete;

    // The entry at list position `index`; raises TListError outside 0..Count-1.
    TPlayer& Items(std::int32_t index);
    const TPlayer& Items(std::int32_t index) const;
    std::int32_t Count() const noexcept { return static_cast<std::int32_t>(FOrder.size()); }
    // List position of `player`, or -1 when it is not an entry of this list.
    std::int32_t IndexOf(const TPlayer* player) const noexcept;

    // Builds the 10000 opponents: the squares 1, 4, 9, ... with the eleven strongest
    // replaced by 100000000 .. 1000000000 and 2000000000; the 500 weakest odd squares
    // are known, all others hidden. Then shuffles and sorts by points, descending, so
    // the known opponents stand first and row 499 holds the known one with 1 point.
    void Generate();
    // Puts the list in a random order, from an engine seeded anew from the clock.
    void Shuffle();
    void SortByPoints(bool descending);
    void SortByResult(bool descending);

    // Appends one 6-byte record per entry, position 0 first; returns the bytes written.
    std::int32_t WriteToStream(TMemoryStream& stream) const;
    // Reads one record into each entry, position 0 first. Raises TReadError when the
    // stream ends inside the records; entries read before that hold their new values.
    void ReadFromStream(TMemoryStream& stream);
    // Copies the field values of `records` into the entries at the same positions.
    // The entries stay the same objects and the order is not changed.
    void AssignRecords(std::span<const TPlayer> records);

private:
    std::unique_ptr<TPlayer[]> FStorage; // the opponents themselves, never moved
    std::vector<TPlayer*> FOrder;        // the list order
};

} // namespace goalvanta
