#include "lists/IntegerList.h"

#include <algorithm>

namespace goalvanta {

TListError::TListError() : std::out_of_range("Listエラー") {}

TIntegerList::TIntegerList(const TIntegerList& other) {
    AddList(other);
}

TIntegerList& TIntegerList::operator=(const TIntegerList& other) {
    Assign(other);
    return *this;
}

std::int32_t TIntegerList::GrownCapacity(std::int32_t capacity) noexcept {
    if (capacity > 64)
        return capacity + capacity / 4;
    if (capacity > 8)
        return capacity + 16;
    return capacity + 4;
}

void TIntegerList::Grow() {
    SetCapacity(std::min(GrownCapacity(FCapacity), MaxListSize));
}

void TIntegerList::SetCapacity(std::int32_t capacity) {
    if (capacity < FCount || capacity > MaxListSize)
        throw TListError();
    if (capacity == FCapacity)
        return;
    std::unique_ptr<std::int32_t[]> items;
    if (capacity > 0) {
        items = std::make_unique_for_overwrite<std::int32_t[]>(static_cast<std::size_t>(capacity));
        std::copy_n(FItems.get(), FCount, items.get());
    }
    FItems = std::move(items);
    FCapacity = capacity;
}

std::int32_t TIntegerList::Add(std::int32_t value) {
    const std::int32_t index = FCount;
    if (FCount == FCapacity) {
        if (FCapacity == MaxListSize)
            throw TListError();
        Grow();
    }
    FItems[static_cast<std::size_t>(index)] = value;
    ++FCount;
    return index;
}

void TIntegerList::AddList(const TIntegerList& other) {
    if (&other == this) {
        const TIntegerList copy(other);
        AddList(copy);
        return;
    }
    for (std::int32_t value : other)
        Add(value);
}

void TIntegerList::Assign(const TIntegerList& source) {
    if (&source == this)
        return;
    Clear();
    AddList(source);
}

void TIntegerList::Clear() noexcept {
    FItems.reset();
    FCount = 0;
    FCapacity = 0;
}

std::int32_t TIntegerList::Items(std::int32_t index) const {
    if (index < 0 || index >= FCount)
        throw TListError();
    return FItems[static_cast<std::size_t>(index)];
}

} // namespace goalvanta
