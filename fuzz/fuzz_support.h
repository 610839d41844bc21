#pragma once
// What every fuzz target shares: a private working folder (the readers work
// in the current folder), file helpers, and contract checks that end the
// process so that libFuzzer, or the replay test, reports the input.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// Prints the broken contract and aborts.
[[noreturn]] void Fail(const char* file, int line, const char* condition, const std::string& detail);

// Makes a fresh folder for this process on first use and enters it; every
// later call empties it. Removed at exit.
void EnterCleanFolder();

void WriteFile(const std::string& name, std::string_view bytes);
// The file's bytes; empty when it cannot be read.
std::string ReadFile(const std::string& name);
bool Exists(const std::string& name);
// Names of the entries of the current folder.
std::set<std::string> FolderNames();

// The input cut at every occurrence of the separator; always at least one part.
std::vector<std::string_view> Split(std::string_view input, std::string_view separator, std::size_t maxParts);

// Takes fixed-size values off the front of an input, zero when it runs out.
class Taker {
public:
    explicit Taker(std::string_view input) : rest_(input) {}
    Taker(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}
    std::uint8_t Byte();
    std::uint32_t U32();
    double Double();  // any bit pattern, NaN and infinities included
    double Between(double low, double high);  // low to high in 255 steps, from one byte
    std::string_view Rest() const { return rest_; }

private:
    std::string_view rest_;
};

}  // namespace fuzz

#define FUZZ_CHECK(condition, detail)                                                    \
    do {                                                                                 \
        if (!(condition)) ::fuzz::Fail(__FILE__, __LINE__, #condition, (detail));        \
    } while (0)

// Separator of the parts of a multi-file input (a line of its own).
inline constexpr std::string_view kFuzzPartSeparator = "\n#####\n";
