#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace fuzz {

namespace {

std::string gFolder;

void RemoveFolder() {
    if (gFolder.empty()) return;
    std::error_code ec;
    fs::current_path(fs::temp_directory_path(ec), ec);
    fs::remove_all(gFolder, ec);
}

}  // namespace

void Fail(const char* file, int line, const char* condition, const std::string& detail) {
    std::fprintf(stderr, "%s:%d: contract broken: %s\n  %s\n", file, line, condition, detail.c_str());
    std::fflush(stderr);
    std::abort();
}

void EnterCleanFolder() {
    std::error_code ec;
    if (gFolder.empty()) {
        std::string pattern = (fs::temp_directory_path(ec) / "kestrune-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) Fail(__FILE__, __LINE__, "mkdtemp", std::strerror(errno));
        gFolder = pattern;
        std::atexit(RemoveFolder);
    } else {
        for (const auto& entry : fs::directory_iterator(gFolder, ec)) fs::remove_all(entry.path(), ec);
    }
    fs::current_path(gFolder, ec);
    if (ec) Fail(__FILE__, __LINE__, "chdir", ec.message());
}

void WriteFile(const std::string& name, std::string_view bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) Fail(__FILE__, __LINE__, "write", name);
}

std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& name) {
    std::error_code ec;
    return fs::exists(name, ec);
}

std::set<std::string> FolderNames() {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(".", ec)) names.insert(entry.path().filename().string());
    return names;
}

std::vector<std::string_view> Split(std::string_view input, std::string_view separator, std::size_t maxParts) {
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < maxParts) {
        const std::size_t at = input.find(separator);
        if (at == std::string_view::npos) break;
        parts.push_back(input.substr(0, at));
        input.remove_prefix(at + separator.size());
    }
    parts.push_back(input);
    return parts;
}

std::uint8_t Taker::Byte() {
    if (rest_.empty()) return 0;
    const auto b = static_cast<std::uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return b;
}

std::uint32_t Taker::U32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t{Byte()} << (8 * i);
    return v;
}

double Taker::Between(double low, double high) { return low + Byte() / 255.0 * (high - low); }

double Taker::Double() {
    std::uint64_t bits = U32();
    bits |= std::uint64_t{U32()} << 32;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

}  // namespace fuzz
