#pragma once
// Every record of a catalogue file, for tests that check what an update wrote.
#include <cstdio>
#include <string>
#include <vector>

#include "core/quake.h"

inline std::vector<QuakeRecord> ReadCatalogueFile(const std::string& name) {
    std::vector<QuakeRecord> out;
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) return out;
    QuakeRecord q;
    for (int i = 0; ReadQuakeAt(f, i, kFromStart, &q).t != 0; ++i) out.push_back(q);
    std::fclose(f);
    return out;
}
