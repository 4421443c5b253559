#include "lists/IntegerList.h"

namespace goalvanta {

template class TMyRecordList<std::int32_t>;
template class TNumericList<std::int32_t>;

} // namespace goalvanta
