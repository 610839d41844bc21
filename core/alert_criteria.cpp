#include "core/alert_criteria.h"

#include <cmath>
#include <cstdio>

#include "core/helpers.h"
#include "platform/sys/files.h"

std::vector<std::unique_ptr<AlertCriterion>> gAlertCriteria;

namespace {

constexpr const char* kCriteriaFileName = "alert_criteria.txt";
constexpr std::size_t kWordLimit = 15;  // option words and values
constexpr int kMaxPairs = 5;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The next word at or after i, upper-cased and cut to kWordLimit; false at the end.
bool NextWord(std::string_view line, std::size_t& i, std::string& word) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) return false;
    word.clear();
    for (; i < line.size() && !IsBlank(line[i]); ++i) {
        char c = line[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (word.size() < kWordLimit) word += c;
    }
    return true;
}

bool ScanFinite(const std::string& word, double* value) {
    return ScanLeadingDouble(word, value) && std::isfinite(*value);
}

double WordToDouble(const std::string& word) {
    double value = 0;
    return ScanFinite(word, &value) ? value : 0;
}

std::int32_t WordToInt32(const std::string& word) {
    long long value = 0;
    if (!ScanLeadingInteger(word, 10, &value)) return 0;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::optional<AlertCriterion> ParseAlertCriterionLine(std::string_view line, ConfigBuild build) {
    AlertCriterion criterion;
    std::size_t i = 0;
    // Blanks before the first slash are allowed: such a line once gave a
    // criterion with every field 0, which matches every event near any city.
    while (i < line.size() && IsBlank(line[i])) ++i;
    bool magnitudeRead = false;
    std::string option, value;
    for (int n = 0; n < kMaxPairs; ++n) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i == line.size() || line[i] != '/') break;
        ++i;
        if (!NextWord(line, i, option) || !NextWord(line, i, value)) break;
        if (option.starts_with("M")) {
            magnitudeRead = ScanFinite(value, &criterion.minMagnitude);
            if (!magnitudeRead) criterion.minMagnitude = 0;
        } else if (option.starts_with("DE")) {
            criterion.maxDepth = WordToDouble(value);
        } else if (option.starts_with("P")) {
            criterion.minPopulation = WordToInt32(value);
        } else if (option.starts_with("DI")) {
            criterion.maxDistance = WordToDouble(value);
        } else if (option.starts_with("C")) {
            criterion.country = value;
        } else if (option.starts_with("N") && build == ConfigBuild::kQuorview) {
            criterion.nuclearPlant = 1;
        }
    }
    // Without a magnitude that reads as a number a criterion would alert on
    // every event above the threshold near any city: no criterion then.
    if (!magnitudeRead) return std::nullopt;
    return criterion;
}

bool ReadAlertCriteriaFile(ConfigBuild build) {
    gAlertCriteria.clear();
    std::FILE* file = platform::OpenFile(kCriteriaFileName, "rt");
    if (!file) return false;
    std::string line;
    while (ReadWholeLine(file, line)) {
        if (auto nul = line.find('\0'); nul != std::string::npos) line.resize(nul);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() < 3 || line[0] == '#') continue;
        if (auto criterion = ParseAlertCriterionLine(line, build))
            gAlertCriteria.push_back(std::make_unique<AlertCriterion>(*criterion));
        else
            DebugLog("%s: no criterion in: %.100s", kCriteriaFileName, line.c_str());
    }
    std::fclose(file);
    return true;
}
