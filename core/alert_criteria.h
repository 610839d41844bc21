#pragma once
// The alert criteria of "alert_criteria.txt": one criterion per line.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config.h"

struct AlertCriterion {
    double minMagnitude = 0;
    double maxDepth = 0;         // km; 0 = any
    double maxDistance = 0;      // miles; 0 = any
    std::int32_t minPopulation = 0;
    std::string country;         // country code, upper case; empty = any
    std::uint8_t nuclearPlant = 0;  // 1: tested against nuclear plants instead of cities
};

extern std::vector<std::unique_ptr<AlertCriterion>> gAlertCriteria;  // in file order

// Empties gAlertCriteria and reads "alert_criteria.txt" of the current folder;
// false when the file cannot be opened (no criteria then).
bool ReadAlertCriteriaFile(ConfigBuild build = ConfigBuild::kQuorview);
// The criterion of one line, or nullopt (with the reason in why) for a line
// that holds none: one without a finite magnitude, one with an option whose
// value cannot be read, or with text after its options. Values may follow
// their option with or without a blank ("/DI 100", "/DI100").
std::optional<AlertCriterion> ParseAlertCriterionLine(std::string_view line,
                                                      ConfigBuild build = ConfigBuild::kQuorview,
                                                      std::string* why = nullptr);
