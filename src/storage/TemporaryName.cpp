#include "storage/TemporaryName.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>

namespace goalvanta {

std::string NewTemporaryName() {
    static std::mt19937_64 engine{std::random_device{}()};
    char name[sizeof TemporaryPrefix + TemporaryDigits + sizeof TemporarySuffix];
    std::snprintf(name, sizeof name, "%s%016llx%s", TemporaryPrefix,
                  static_cast<unsigned long long>(engine()), TemporarySuffix);
    return name;
}

bool IsTemporaryName(const char* name) {
    const std::size_t prefix = sizeof TemporaryPrefix - 1;
    const std::size_t suffix = sizeof TemporarySuffix - 1;
    if (std::strlen(name) != prefix + TemporaryDigits + suffix ||
        std::strncmp(name, TemporaryPrefix, prefix) != 0 ||
        std::strcmp(name + prefix + TemporaryDigits, TemporarySuffix) != 0)
        return false;
    return std::all_of(name + prefix, name + prefix + TemporaryDigits,
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

} // namespace goalvanta
