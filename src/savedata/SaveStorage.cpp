#include "savedata/SaveStorage.h"

#include "savedata/PathBytes.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace goalvanta {

namespace fs = std::filesystem;

namespace {

// A name beside `target` that no file has yet; the caller creates it exclusively.
fs::path TemporaryBeside(const fs::path& target) {
    static std::mt19937_64 engine{std::random_device{}()};
    char digits[16];
    const auto written = std::to_chars(digits, digits + sizeof digits, engine(), 16);
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about "." + string
    // in optimised builds.
    std::string name = ".";
    name += BytesOfPath(target.filename());
    name += '.';
    name.append(digits, written.ptr);
    name += ".tmp";
    return target.parent_path() / name;
}

bool WriteWhole(const fs::path& file, std::span<const std::uint8_t> bytes) {
    // "x": fail rather than open a file that already exists at the temporary name.
    std::FILE* out = std::fopen(BytesOfPath(file).c_str(), "wbx");
    if (out == nullptr)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    ok = std::fflush(out) == 0 && ok;
    ok = std::fclose(out) == 0 && ok;
    return ok;
}

} // namespace

bool TStdSaveStorage::WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    std::error_code ec;
    const fs::path target = fs::absolute(PathFromBytes(path), ec);
    if (ec || target.filename().empty())
        return false;
    // Only a regular file is ever replaced: a folder, a device or a pipe in its place
    // stays what it is.
    const fs::file_status status = fs::status(target, ec);
    const bool exists = fs::exists(status);
    if (exists && !fs::is_regular_file(status))
        return false;
    if (!fs::is_directory(target.parent_path(), ec))
        return false;

    const fs::path temporary = TemporaryBeside(target);
    if (!WriteWhole(temporary, bytes)) {
        fs::remove(temporary, ec);
        return false;
    }
    if (exists)
        fs::permissions(temporary, status.permissions(), ec); // keep the old file's mode
    fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> TStdSaveStorage::ReadFile(const std::string& path,
                                                                   std::size_t maxBytes) {
    std::error_code ec;
    if (!fs::is_regular_file(PathFromBytes(path), ec))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(maxBytes);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(maxBytes));
    if (in.bad())
        return std::nullopt;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

} // namespace goalvanta
