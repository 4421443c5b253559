#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>

namespace goalvanta {

// Raised for every misuse of a list: an index outside 0..Count-1, or a capacity or
// count outside 0..MaxListSize. Like the list it reports on, it does not say which
// check failed; the list is left as it was.
class TListError : public std::out_of_range {
public:
    TListError();
};

// A growable list of 32-bit signed integers. Used for the numeric game tables and
// for the selected row numbers that the roster view hands to the game commands.
//
// The values are kept in one contiguous block. Capacity grows in the classic
// steps (4 while small, then 16, then a quarter of the current size), so a list
// filled one value at a time reallocates rarely, and Clear() gives the block back.
class TIntegerList {
public:
    static constexpr std::int32_t MaxListSize = 0x7FFFFFF; // 134217727

    TIntegerList() = default;
    TIntegerList(const TIntegerList& other);
    TIntegerList& operator=(const TIntegerList& other);
    TIntegerList(TIntegerList&&) noexcept = default;
    TIntegerList& operator=(TIntegerList&&) noexcept = default;
    ~TIntegerList() = default;

    // Appends a value and returns the index it was given.
    std::int32_t Add(std::int32_t value);
    // Appends every value of `other`, in its order.
    void AddList(const TIntegerList& other);
    // Replaces the contents with a copy of `source`.
    void Assign(const TIntegerList& source);
    // Removes every value and releases the storage (capacity back to 0).
    void Clear() noexcept;

    std::int32_t Count() const noexcept { return FCount; }
    std::int32_t Capacity() const noexcept { return FCapacity; }
    // The value at `index`; raises TListError outside 0..Count-1.
    std::int32_t Items(std::int32_t index) const;
    std::int32_t operator[](std::int32_t index) const { return Items(index); }

    // Reallocates to exactly `capacity` slots; raises TListError below Count or
    // above MaxListSize.
    void SetCapacity(std::int32_t capacity);

    const std::int32_t* begin() const noexcept { return FItems.get(); }
    const std::int32_t* end() const noexcept { return FItems.get() + FCount; }

    // The capacity that follows `capacity` when a full list grows.
    static std::int32_t GrownCapacity(std::int32_t capacity) noexcept;

private:
    void Grow();

    std::unique_ptr<std::int32_t[]> FItems;
    std::int32_t FCount = 0;
    std::int32_t FCapacity = 0;
};

} // namespace goalvanta
