#include "game/PlayerList.h"

#include "lists/IntegerList.h"

#include <algorithm>
#include <chrono>
#include <random>

namespace goalvanta {

namespace {

// Points of the eleven strongest opponents, generation indices 9989 .. 9999. They
// replace the squares there, so the top of the roster is a steep climb to 2e9.
constexpr std::int32_t StrongestPoints[] = {100000000, 200000000,  300000000, 400000000,
                                            500000000, 600000000,  700000000, 800000000,
                                            900000000, 1000000000, 2000000000};
constexpr std::int32_t FirstStrongest = TPlayerList::RosterSize - 11;
constexpr std::int32_t KnownBelow = 1000; // even indices below this start known

} // namespace

TPlayer& TPlayerList::Items(std::int32_t index) {
    if (index < 0 || index >= Count())
        throw TListError();
    return *FOrder[static_cast<std::size_t>(index)];
}

const TPlayer& TPlayerList::Items(std::int32_t index) const {
    return const_cast<TPlayerList*>(this)->Items(index);
}

std::int32_t TPlayerList::IndexOf(const TPlayer* player) const noexcept {
    const auto it = std::find(FOrder.begin(), FOrder.end(), player);
    return it == FOrder.end() ? -1 : static_cast<std::int32_t>(it - FOrder.begin());
}

void TPlayerList::Generate() {
    FOrder.clear();
    FStorage = std::make_unique<TPlayer[]>(RosterSize);
    FOrder.reserve(RosterSize);
    for (std::int32_t i = 0; i < RosterSize; ++i) {
        TPlayer& p = FStorage[static_cast<std::size_t>(i)];
        p.FSoccerPoint = (i + 1) * (i + 1);
        p.FUnknown = !(i % 2 == 0 && i < KnownBelow);
        p.FResult = ResultNone;
        if (i >= FirstStrongest)
            p.FSoccerPoint = StrongestPoints[i - FirstStrongest];
        FOrder.push_back(&p);
    }
    Shuffle();
    SortByPoints(true);
}

void TPlayerList::Shuffle() {
    std::random_device device;
    const auto ticks = static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    std::seed_seq seed{device(), device(), static_cast<std::uint32_t>(ticks),
                       static_cast<std::uint32_t>(ticks >> 32)};
    std::mt19937 engine(seed);
    std::shuffle(FOrder.begin(), FOrder.end(), engine);
}

void TPlayerList::SortByPoints(bool descending) {
    std::sort(FOrder.begin(), FOrder.end(), [descending](const TPlayer* a, const TPlayer* b) {
        const std::int32_t c = ComparePoints(*a, *b);
        return descending ? c > 0 : c < 0;
    });
}

void TPlayerList::SortByResult(bool descending) {
    std::sort(FOrder.begin(), FOrder.end(), [descending](const TPlayer* a, const TPlayer* b) {
        const std::int32_t c = CompareResults(*a, *b);
        return descending ? c > 0 : c < 0;
    });
}

std::int32_t TPlayerList::WriteToStream(TMemoryStream& stream) const {
    for (const TPlayer* p : FOrder)
        p->WriteToStream(stream);
    return Count() * TPlayer::RecordSize;
}

void TPlayerList::ReadFromStream(TMemoryStream& stream) {
    for (TPlayer* p : FOrder)
        p->ReadFromStream(stream);
}

void TPlayerList::AssignRecords(std::span<const TPlayer> records) {
    const std::size_t n = std::min(records.size(), FOrder.size());
    for (std::size_t k = 0; k < n; ++k)
        *FOrder[k] = records[k];
}

} // namespace goalvanta
