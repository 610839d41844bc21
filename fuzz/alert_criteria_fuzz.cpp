// "alert_criteria.txt" in both builds. Contract: every criterion read holds
// usable values, and the maintenance build never makes a plant criterion.
#include <cmath>
#include <cstdint>
#include <string>

#include "core/alert_criteria.h"
#include "fuzz/fuzz_support.h"

namespace {

void CheckCriteria(ConfigBuild build) {
    for (const auto& c : gAlertCriteria) {
        FUZZ_CHECK(c != nullptr, "no empty slot");
        FUZZ_CHECK(std::isfinite(c->minMagnitude) && std::isfinite(c->maxDepth) && std::isfinite(c->maxDistance),
                   "finite limits");
        FUZZ_CHECK(c->nuclearPlant <= 1, "a flag");
        FUZZ_CHECK(build == ConfigBuild::kQuorview || c->nuclearPlant == 0, "the keeper knows no /N");
        FUZZ_CHECK(c->country.size() <= 15, "country words are cut");
        for (char ch : c->country) FUZZ_CHECK(!(ch >= 'a' && ch <= 'z'), "country upper-cased: " + c->country);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    fuzz::EnterCleanFolder();
    fuzz::WriteFile("alert_criteria.txt", input);
    for (ConfigBuild build : {ConfigBuild::kQuorview, ConfigBuild::kKeeper}) {
        FUZZ_CHECK(ReadAlertCriteriaFile(build), "the file is there");
        CheckCriteria(build);
        // Each line alone, as the reader sees it.
        for (std::string_view line : fuzz::Split(input, "\n", SIZE_MAX)) (void)ParseAlertCriterionLine(line, build);
    }
    gAlertCriteria.clear();
    return 0;
}
