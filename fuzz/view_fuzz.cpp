// A view file and its ".hyp" target event. Contract: a view that is written,
// read back and written again comes out the same.
#include <cstdint>
#include <string>

#include "core/config.h"
#include "core/quake.h"
#include "core/view.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr const char* kView = "FUZZ";

std::string ReadAndWrite() {
    FUZZ_CHECK(ReadViewFile(kView) == 0, "the view is there");
    FUZZ_CHECK(WriteViewFile(), "a writable folder");
    return fuzz::ReadFile(kView);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto parts = fuzz::Split(input, kFuzzPartSeparator, 2);
    fuzz::EnterCleanFolder();
    fuzz::WriteFile(kView, parts[0]);
    if (parts.size() > 1) fuzz::WriteFile(std::string(kView) + ".hyp", parts[1]);

    ResetViewSettings();
    const std::string first = ReadAndWrite();
    // What the map and the information box make of the target event and the labels.
    if (gAlertEvent) {
        (void)FormatQuakeListLine(*gAlertEvent, false);
        (void)FormatQuakeLabel(*gAlertEvent);
    }
    for (const auto& label : gEventLabels)
        if (label) (void)label->IsInView();
    const std::string second = ReadAndWrite();
    FUZZ_CHECK(first == second, "written, read back and written again:\n" + first + "\n----\n" + second);
    for (const std::string& n : fuzz::FolderNames())
        FUZZ_CHECK(n == kView || n == std::string(kView) + ".hyp", "left behind: " + n);
    ResetViewSettings();
    return 0;
}
