#pragma once

#include <string>

namespace goalvanta {

// The game's temporaries: this prefix, 16 lower-case hex digits, this suffix, the
// same on every system. A name of this form in a save's folder is the game's own and
// may be removed by a save once no other process is writing it.
inline constexpr char TemporaryPrefix[] = ".goalvanta-";
inline constexpr char TemporarySuffix[] = ".tmp";
inline constexpr int TemporaryDigits = 16;

// A fresh name of that form (plain ASCII).
std::string NewTemporaryName();
bool IsTemporaryName(const char* name);

} // namespace goalvanta
