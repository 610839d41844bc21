#pragma once
// Every record of a catalogue file, for tests that check what an update wrote.
#include <cstdio>
#include <string>
#include <vector>

#include "core/eruption.h"
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

// The bytes of a catalogue file holding the records.
inline std::string CatalogueBytes(const std::vector<QuakeRecord>& records) {
    std::string out;
    unsigned char b[kQuakeRecordSize];
    for (const QuakeRecord& q : records) {
        EncodeQuakeRecord(q, b);
        out.append(reinterpret_cast<const char*>(b), sizeof b);
    }
    return out;
}

// The records as a catalogue file of each kind; false when it cannot be written.
inline bool WriteQuakeFile(const std::string& name, const std::vector<QuakeRecord>& records) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) return false;
    bool ok = true;
    for (const QuakeRecord& q : records) {
        unsigned char b[kQuakeRecordSize];
        EncodeQuakeRecord(q, b);
        ok = std::fwrite(b, 1, sizeof b, f) == sizeof b && ok;
    }
    return std::fclose(f) == 0 && ok;
}
inline bool WriteEruptionFile(const std::string& name, const std::vector<EruptionRecord>& records) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) return false;
    bool ok = true;
    for (const EruptionRecord& r : records) {
        unsigned char b[kEruptionRecordSize];
        EncodeEruptionRecord(r, b);
        ok = std::fwrite(b, 1, sizeof b, f) == sizeof b && ok;
    }
    return std::fclose(f) == 0 && ok;
}

// An eruption catalogue of one eruption per start year, somewhere in the Pacific.
inline void WriteEruptionCatalogueFile(const std::string& name, const std::vector<int>& years) {
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) return;
    for (int year : years) {
        EruptionRecord r;
        r.type = 'E';
        r.size = 2;
        r.start = PackedDate{static_cast<std::uint16_t>(year), 1, 1};
        r.latitude = 10;
        r.longitude = 150;
        unsigned char b[kEruptionRecordSize];
        EncodeEruptionRecord(r, b);
        std::fwrite(b, 1, sizeof b, f);
    }
    std::fclose(f);
}
