#include "lists/MyList.h"

#include <algorithm>
#include <string>

namespace goalvanta {

std::string FailedCheckText(std::string_view message, std::string_view unit, int line) {
    std::string text(message);
    text += " (";
    text += unit;
    text += ", ";
    text += std::to_string(line);
    text += " 行)";
    return text;
}

TListError::TListError() : std::out_of_range(FailedCheckText(Message, Unit, Line)) {}

std::int32_t TListLimits::GrownCapacity(std::int32_t capacity) noexcept {
    if (capacity >= MaxListSize)
        return MaxListSize;
    std::int32_t step = 4;
    if (capacity > 64)
        step = capacity / 4;
    else if (capacity > 8)
        step = 16;
    // Both are at most MaxListSize, so the sum cannot overflow.
    return std::min(capacity + step, MaxListSize);
}

TMyList::~TMyList() {
    TMyList::Clear();
}

void TMyList::Fail(std::string_view message, std::int32_t value) const {
    Error(message, value);
    throw TListError();
}

void TMyList::Error(std::string_view, std::int32_t) const {
    throw TListError();
}

void TMyList::CheckIndex(std::int32_t index) const {
    if (index < 0 || index >= FCount)
        Fail("index out of range", index);
}

std::int32_t TMyList::Add(void* item) {
    const std::int32_t index = FCount;
    if (FCount == FCapacity)
        Grow();
    // A Grow that could not make room has raised the error already; an override
    // that grows by nothing must not write past the end either.
    if (FCount == FCapacity)
        Fail("list is full", FCount);
    FList[static_cast<std::size_t>(index)] = item;
    ++FCount;
    if (item != nullptr)
        Notify(item, TListNotification::Added);
    return index;
}

void TMyList::Delete(std::int32_t index) {
    CheckIndex(index);
    void* const item = FList[static_cast<std::size_t>(index)];
    --FCount;
    void** const slots = FList.get();
    std::copy(slots + index + 1, slots + FCount + 1, slots + index);
    if (item != nullptr)
        Notify(item, TListNotification::Deleted);
}

void* TMyList::Get(std::int32_t index) const {
    CheckIndex(index);
    return FList[static_cast<std::size_t>(index)];
}

void TMyList::SetCapacity(std::int32_t capacity) {
    if (capacity < FCount || capacity > MaxListSize)
        Fail("capacity out of range", capacity);
    if (capacity == FCapacity)
        return;
    std::unique_ptr<void*[]> list;
    if (capacity > 0) {
        list = std::make_unique_for_overwrite<void*[]>(static_cast<std::size_t>(capacity));
        std::copy_n(FList.get(), FCount, list.get());
    }
    FList = std::move(list);
    FCapacity = capacity;
}

void TMyList::SetCount(std::int32_t count) {
    if (count < 0 || count > MaxListSize)
        Fail("count out of range", count);
    if (count > FCapacity)
        SetCapacity(count);
    if (count > FCount) {
        std::fill(FList.get() + FCount, FList.get() + count, nullptr);
        FCount = count;
        return;
    }
    // From the end, so each deletion moves nothing and each is notified in turn.
    while (FCount > count)
        Delete(FCount - 1);
}

void TMyList::Clear() {
    SetCount(0);
    SetCapacity(0);
}

void TMyList::Grow() {
    SetCapacity(GrownCapacity(FCapacity));
}

void TMyList::Notify(void*, TListNotification) {}

} // namespace goalvanta
