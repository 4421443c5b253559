#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string_view>

namespace goalvanta {

// Raised for every misuse of a list: an index outside 0..Count-1, or a capacity or
// count outside 0..MaxListSize. It reads like a failed check in the list unit
// (message, unit, line), and like that check it does not say which limit was broken
// or by what value; the list is left as it was.
//
// It is a std::exception, so one raised inside a game command unwinds the command
// and reaches whatever shows the window's errors instead of ending the program.
class TListError : public std::out_of_range {
public:
    TListError();

    static constexpr std::string_view Message = "Listエラー";
    static constexpr std::string_view Unit = "EtcLists\\MyList";
    static constexpr int Line = 117;
};

// The "%s (%s, %d 行)" form of a failed check: message, unit, line.
std::string FailedCheckText(std::string_view message, std::string_view unit, int line);

// What a list tells its descendants about an entry. The values are fixed: they are
// what a descendant compares against.
enum class TListNotification : std::uint8_t { Added = 0, Deleted = 2 };

// The growth and the limits shared by every list: a full list grows by 4 slots
// while small, then by 16, then by a quarter of its size, and never beyond
// MaxListSize.
struct TListLimits {
    static constexpr std::int32_t MaxListSize = 0x7FFFFFF; // 134217727

    // The capacity that follows `capacity` when a full list grows; MaxListSize for
    // a list at (or over) the limit, which then cannot grow.
    static std::int32_t GrownCapacity(std::int32_t capacity) noexcept;
};

// A growable array of untyped pointers. The list never owns what its entries point
// to: deleting an entry or destroying the list leaves the pointee alone. A
// descendant that does own them learns of each non-null entry added and deleted
// through Notify.
class TMyList : public TListLimits {
public:
    TMyList() = default;
    TMyList(const TMyList&) = delete;
    TMyList& operator=(const TMyList&) = delete;
    // Clears the entries (each non-null one notified as deleted, through this
    // class's hook only: a descendant's hook is gone by now, so a descendant that
    // needs its notifications clears in its own destructor).
    virtual ~TMyList();

    // Appends `item` and returns the index it was given.
    std::int32_t Add(void* item);
    // Removes the entry at `index` and closes the gap; the capacity stays.
    void Delete(std::int32_t index);
    // The entry at `index`.
    void* Get(std::int32_t index) const;

    std::int32_t Count() const noexcept { return FCount; }
    std::int32_t Capacity() const noexcept { return FCapacity; }
    // Reallocates to exactly `capacity` slots, keeping the entries.
    void SetCapacity(std::int32_t capacity);
    // Grows with null entries, or deletes entries from the end one at a time (last
    // first), each one notified.
    void SetCount(std::int32_t count);
    // SetCount(0), then gives the storage back (capacity 0).
    virtual void Clear();

protected:
    // Enlarges the capacity by one growth step.
    virtual void Grow();
    // Called after a non-null `item` was added or deleted. Does nothing here.
    virtual void Notify(void* item, TListNotification action);
    // Raises the list error; `message` and `value` say what was wrong, for a
    // descendant that reports more. It must not return: if an override does, the
    // list error is raised all the same.
    virtual void Error(std::string_view message, std::int32_t value) const;

private:
    [[noreturn]] void Fail(std::string_view message, std::int32_t value) const;
    void CheckIndex(std::int32_t index) const;

    std::unique_ptr<void*[]> FList;
    std::int32_t FCount = 0;
    std::int32_t FCapacity = 0;
};

} // namespace goalvanta
