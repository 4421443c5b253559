#pragma once

#include "lists/RecordList.h"

#include <cstdint>

namespace goalvanta {

// A growable list of 32-bit signed integers. Used for the numeric game tables and
// for the selected row numbers that the roster view hands to the game commands.
class TIntegerList : public TNumericList<std::int32_t> {
public:
    using TNumericList<std::int32_t>::TNumericList;
};

extern template class TMyRecordList<std::int32_t>;
extern template class TNumericList<std::int32_t>;

} // namespace goalvanta
