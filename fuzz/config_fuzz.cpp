// QUORVEL.INI as both programs read it. Contracts: what Quorview writes reads
// back to the same file, and a quorkeeper save keeps what Quorview stored.
#include <cstdint>
#include <string>

#include "core/config.h"
#include "core/keeper_config.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr const char* kIni = "QUORVEL.INI";

// Reads the folder's QUORVEL.INI afresh and writes it back; the bytes written.
std::string ReadAndWrite(ConfigBuild build) {
    ResetConfigValues();
    FUZZ_CHECK(ReadConfigFileFor(build) == 0, "the file is there");
    FUZZ_CHECK(WriteConfigFileFor(build) == 0, "a writable folder");
    return fuzz::ReadFile(kIni);
}

void NoTemporaryLeft() {
    const auto names = fuzz::FolderNames();
    for (const std::string& n : names)
        FUZZ_CHECK(n == kIni || n == "alert_criteria.txt" || n == "Debug.txt" || n == "sos" ||
                       n == std::string(kIni) + ".bak",  // the file as it was, when a line was not understood
                   "left behind: " + n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto parts = fuzz::Split(input, kFuzzPartSeparator, 2);
    fuzz::EnterCleanFolder();
    if (parts.size() > 1) fuzz::WriteFile("alert_criteria.txt", parts[1]);

    fuzz::WriteFile(kIni, parts[0]);
    const std::string first = ReadAndWrite(ConfigBuild::kQuorview);
    const std::string second = ReadAndWrite(ConfigBuild::kQuorview);
    FUZZ_CHECK(first == second, "written, read back and written again:\n" + first + "\n----\n" + second);
    NoTemporaryLeft();

    // The keeper's save of the same file, read by Quorview, is what Quorview itself would write.
    fuzz::WriteFile(kIni, parts[0]);
    const std::string kept = ReadAndWrite(ConfigBuild::kKeeper);
    FUZZ_CHECK(ReadAndWrite(ConfigBuild::kKeeper) == kept, "a keeper save read back by the keeper:\n" + kept);
    fuzz::WriteFile(kIni, kept);
    const std::string afterKeeper = ReadAndWrite(ConfigBuild::kQuorview);
    FUZZ_CHECK(afterKeeper == first, "a keeper save lost what Quorview stored:\n" + first + "\n----\n" + afterKeeper);
    NoTemporaryLeft();
    ResetConfigValues();
    return 0;
}
