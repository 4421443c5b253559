#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace goalvanta::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TTempFolder {
public:
    TTempFolder() {
        std::random_device device;
        FPath = std::filesystem::temp_directory_path() /
                ("goalvanta-test-" + std::to_string(device()) + std::to_string(device()));
        std::filesystem::create_directories(FPath);
    }
    ~TTempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    std::string File(const std::string& name) const { return (FPath / name).string(); }
    const std::filesystem::path& Path() const { return FPath; }
    std::size_t EntryCount() const {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(FPath))
            ++n;
        return n;
    }

private:
    std::filesystem::path FPath;
};

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

} // namespace goalvanta::test
