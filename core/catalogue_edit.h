#pragma once
// Hand edits of an earthquake catalogue: one record added, replaced or
// removed. Each writes the whole new catalogue beside the old one and swaps
// it in by one rename, so that a failure leaves the old file byte for byte.
#include <cstdint>
#include <string>

#include "core/quake_record.h"
#include "core/timevalue.h"

struct CatalogueEdit {
    std::string error;       // empty when the catalogue holds the change
    std::int32_t index = -1;  // where the record now is (add, replace)
    bool changed = false;    // false: nothing needed writing
};

// Before the first stored record whose time is the record's or later.
CatalogueEdit AddQuakeRecord(const std::string& catalogue, const QuakeRecord& q);
// The record keeps its place while its time still fits there, else it moves
// to its place in time order. A record equal to the stored one writes nothing.
CatalogueEdit ReplaceQuakeRecord(const std::string& catalogue, std::int32_t index, const QuakeRecord& q);
CatalogueEdit DeleteQuakeRecord(const std::string& catalogue, std::int32_t index);

TimeValue QuakeTime(const QuakeRecord& q);
