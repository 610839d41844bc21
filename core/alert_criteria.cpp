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

// A number that is the whole word: a value read only in part could widen the
// criterion ("1e6" as a population of 1).
bool ScanWholeFinite(const std::string& word, double* value) {
    std::size_t used = 0;
    return ScanLeadingDouble(word, value, &used) && used == word.size() && std::isfinite(*value);
}

bool ScanWholeInt32(const std::string& word, std::int32_t* value) {
    long long v = 0;
    std::size_t used = 0;
    if (!ScanLeadingInteger(word, 10, &v, &used) || used != word.size()) return false;
    *value = v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(v);
    return true;
}

bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }

}  // namespace

std::optional<AlertCriterion> ParseAlertCriterionLine(std::string_view line, ConfigBuild build, std::string* why) {
    AlertCriterion criterion;
    auto refuse = [why](std::string reason) -> std::optional<AlertCriterion> {
        if (why) *why = std::move(reason);
        return std::nullopt;
    };
    std::size_t i = 0;
    bool magnitudeRead = false;
    std::string word, value;
    for (int n = 0; n < kMaxPairs; ++n) {
        // Blanks before the first slash are allowed: such a line once gave a
        // criterion with every field 0, which matches every event near any city.
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i == line.size() || line[i] != '/') break;
        ++i;
        if (!NextWord(line, i, word)) return refuse("\"/\" without an option");
        // The option is the word's letters; what follows them is its value
        // ("/DI100"), else the next word unless that starts another option.
        std::size_t letters = 0;
        while (letters < word.size() && IsLetter(word[letters])) ++letters;
        const std::string option = word.substr(0, letters);
        value = word.substr(letters);
        if (value.empty()) {
            std::size_t next = i;
            while (next < line.size() && IsBlank(line[next])) ++next;
            if (next < line.size() && line[next] != '/') NextWord(line, i, value);
        }
        const bool nuclear = option.starts_with("N") && build == ConfigBuild::kQuorview;
        const bool known = option.starts_with("M") || option.starts_with("DE") || option.starts_with("P") ||
                           option.starts_with("DI") || option.starts_with("C");
        if (known && value.empty()) return refuse("\"/" + option + "\" has no value");
        bool read = true;
        if (option.starts_with("M")) {
            read = magnitudeRead = ScanWholeFinite(value, &criterion.minMagnitude);
        } else if (option.starts_with("DE")) {
            read = ScanWholeFinite(value, &criterion.maxDepth);
        } else if (option.starts_with("P")) {
            read = ScanWholeInt32(value, &criterion.minPopulation);
        } else if (option.starts_with("DI")) {
            read = ScanWholeFinite(value, &criterion.maxDistance);
        } else if (option.starts_with("C")) {
            criterion.country = value;
        } else if (nuclear) {
            criterion.nuclearPlant = 1;  // its value, if any, means nothing
        }
        if (!read) return refuse("the value \"" + value + "\" of \"/" + option + "\" is not a number");
    }
    // What is left unread could have narrowed the criterion.
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i < line.size()) return refuse("text after the options: \"" + std::string(line.substr(i, 20)) + "\"");
    // Without a magnitude a criterion would alert on every event above the
    // threshold near any city: no criterion then.
    if (!magnitudeRead) return refuse("no \"/M\" magnitude");
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
        std::string why;
        if (auto criterion = ParseAlertCriterionLine(line, build, &why)) {
            gAlertCriteria.push_back(std::make_unique<AlertCriterion>(*criterion));
        } else {
            // A refused line could only have been read wider than written; say so where it is seen.
            DebugLog("%s: criterion refused (%s): %.100s", kCriteriaFileName, why.c_str(), line.c_str());
            std::fprintf(stderr, "Quorview: %s: criterion refused (%s): %.100s\n", kCriteriaFileName, why.c_str(),
                         line.c_str());
        }
    }
    std::fclose(file);
    return true;
}
