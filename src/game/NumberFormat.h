#pragma once

#include <cstdint>
#include <string>

namespace goalvanta {

// The game writes every number as a whole number with its digits grouped in threes
// by a comma ("1,234,567"), and money as that number followed by a blank and "$"
// ("300,000 $"). The separator is fixed so that a game reads the same everywhere.
std::string FormatNumber(std::int64_t value);
std::string FormatMoney(std::int64_t value);

} // namespace goalvanta
