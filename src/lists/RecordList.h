#pragma once

#include "lists/MyList.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace goalvanta {

// Raised when an object is asked to take the contents of one it cannot take them
// from; the object is left as it was.
class TAssignError : public std::invalid_argument {
public:
    TAssignError() : std::invalid_argument("Cannot assign: the source is of an unsuitable kind") {}
};

// An object that can take over the contents of another through a reference to this
// base, for callers that do not know either side's type. Each kind decides which
// sources it accepts; this base accepts none.
class TAssignable {
public:
    virtual ~TAssignable() = default;

    // Replaces the contents with those of `source`, or raises TAssignError.
    virtual void Assign(const TAssignable& source);

protected:
    TAssignable() = default;
    TAssignable(const TAssignable&) = default;
    TAssignable& operator=(const TAssignable&) = default;
};

inline void TAssignable::Assign(const TAssignable&) {
    throw TAssignError();
}

// A growable list of fixed-size records, held by value. It shares the pointer
// list's growth steps, limits and list error; it has no insert, delete, search or
// sort, only appending and reading by index.
//
// The records lie in one block rather than one allocation each: reading stays a
// single access and a list refilled with thousands of row numbers costs a few
// reallocations, not thousands of allocations.
template <class TRecord> class TMyRecordList : public TAssignable, public TListLimits {
    static_assert(std::is_trivially_copyable_v<TRecord>, "records are copied as plain bytes");

public:
    TMyRecordList() = default;
    TMyRecordList(const TMyRecordList& other) : TAssignable() { AddList(other); }
    TMyRecordList& operator=(const TMyRecordList& other) {
        Assign(other);
        return *this;
    }
    TMyRecordList(TMyRecordList&& other) noexcept
        : FItems(std::move(other.FItems)), FCount(std::exchange(other.FCount, 0)),
          FCapacity(std::exchange(other.FCapacity, 0)) {}
    TMyRecordList& operator=(TMyRecordList&& other) noexcept {
        FItems = std::move(other.FItems);
        FCount = std::exchange(other.FCount, 0);
        FCapacity = std::exchange(other.FCapacity, 0);
        return *this;
    }
    ~TMyRecordList() override = default;

    // Appends a record and returns the index it was given.
    std::int32_t Add(const TRecord& value) {
        const std::int32_t index = FCount;
        if (FCount == FCapacity) {
            if (FCapacity >= MaxListSize)
                throw TListError();
            SetCapacity(GrownCapacity(FCapacity));
        }
        FItems[static_cast<std::size_t>(index)] = value;
        ++FCount;
        return index;
    }

    // Appends every record of `other`, in its order (a list appended to itself
    // doubles).
    void AddList(const TMyRecordList& other) {
        if (&other == this) {
            const TMyRecordList copy(other);
            AddList(copy);
            return;
        }
        for (const TRecord& value : other)
            Add(value);
    }

    // A record list of the same kind (or derived from it) is copied in its order;
    // any other source raises TAssignError and changes nothing.
    void Assign(const TAssignable& source) override {
        const auto* list = dynamic_cast<const TMyRecordList*>(&source);
        if (list == nullptr) {
            TAssignable::Assign(source);
            return;
        }
        if (list == this)
            return;
        Clear();
        AddList(*list);
    }

    // Removes every record and gives the storage back (capacity 0).
    virtual void Clear() noexcept {
        FItems.reset();
        FCount = 0;
        FCapacity = 0;
    }

    std::int32_t Count() const noexcept { return FCount; }
    std::int32_t Capacity() const noexcept { return FCapacity; }
    // The record at `index`; raises TListError outside 0..Count-1.
    const TRecord& Items(std::int32_t index) const {
        if (index < 0 || index >= FCount)
            throw TListError();
        return FItems[static_cast<std::size_t>(index)];
    }
    const TRecord& operator[](std::int32_t index) const { return Items(index); }

    // Reallocates to exactly `capacity` slots; raises TListError below Count or
    // above MaxListSize.
    void SetCapacity(std::int32_t capacity) {
        if (capacity < FCount || capacity > MaxListSize)
            throw TListError();
        if (capacity == FCapacity)
            return;
        std::unique_ptr<TRecord[]> items;
        if (capacity > 0) {
            items = std::make_unique_for_overwrite<TRecord[]>(static_cast<std::size_t>(capacity));
            std::copy_n(FItems.get(), FCount, items.get());
        }
        FItems = std::move(items);
        FCapacity = capacity;
    }

    const TRecord* begin() const noexcept { return FItems.get(); }
    const TRecord* end() const noexcept { return FItems.get() + FCount; }

private:
    std::unique_ptr<TRecord[]> FItems;
    std::int32_t FCount = 0;
    std::int32_t FCapacity = 0;
};

// A record list of numbers.
template <class TNumber> class TNumericList : public TMyRecordList<TNumber> {
    static_assert(std::is_arithmetic_v<TNumber>, "a numeric list holds numbers");

public:
    using TMyRecordList<TNumber>::TMyRecordList;
};

} // namespace goalvanta
