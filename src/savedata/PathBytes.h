#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace goalvanta {

// Paths travel through the game as bytes: those the system gave on POSIX systems,
// UTF-8 on Windows, where the game's programs run with UTF-8 as their code page.
// std::filesystem reads a plain char string in the C library locale's encoding on
// Windows, which turns every byte beyond ASCII into a character of its own; read
// as char8_t it takes the bytes as UTF-8 there and exactly as they are on POSIX
// systems (where a name need not be valid UTF-8).
inline std::filesystem::path PathFromBytes(std::string_view bytes) {
    return std::filesystem::path(std::u8string(bytes.begin(), bytes.end()));
}

inline std::string BytesOfPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace goalvanta
