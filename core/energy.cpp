#include "core/energy.h"

#include <cmath>
#include <cstdlib>

double EnergyBin::Magnitude() const { return energy > 0 ? std::log10(energy) / 1.5 : 0.0; }

EnergyBins::EnergyBins() { items_.reserve(static_cast<std::size_t>(capacity_)); }

EnergyBin* EnergyBins::Add(std::int32_t key1, std::int32_t key2, double magnitude) {
    Entry* entry = nullptr;
    for (Entry& e : items_)
        if (e.key1 == key1) {
            entry = &e;
            break;
        }
    if (!entry) {
        if (Count() == capacity_) {
            capacity_ += kGrowthStep;
            items_.reserve(static_cast<std::size_t>(capacity_));
        }
        items_.push_back(Entry{key1, 10, {}});
        entry = &items_.back();
        entry->bins.reserve(10);
    }
    EnergyBin* bin = nullptr;
    for (EnergyBin& b : entry->bins)
        if (b.key2 == key2) {
            bin = &b;
            break;
        }
    if (!bin) {
        if (static_cast<int>(entry->bins.size()) == entry->capacity) {
            entry->capacity += kGrowthStep;
            entry->bins.reserve(static_cast<std::size_t>(entry->capacity));
        }
        entry->bins.push_back(EnergyBin{key2, 0.0});
        bin = &entry->bins.back();
    }
    bin->energy += std::pow(10.0, 1.5 * magnitude);
    return bin;
}

const EnergyBin* EnergyBins::Find(std::int32_t key1, std::int32_t key2) const {
    for (const Entry& e : items_)
        if (e.key1 == key1)
            for (const EnergyBin& b : e.bins)
                if (b.key2 == key2) return &b;
    return nullptr;
}

void EnergyBins::Free() {
    items_.clear();
    items_.shrink_to_fit();
    capacity_ = 10;
}

int MatchSimilarEvent(const QuakeRecord& a, const QuakeRecord& b) {
    TimeValue ta, tb;
    ta.SetFromQuake(a);
    tb.SetFromQuake(b);
    if (std::fabs(ta.t - tb.t) > 120.0) return 0;
    // Differences in 64 bits: two int32 positions can be further apart than int32 holds.
    if (std::llabs(std::int64_t{a.latitude} - b.latitude) > 7200000) return 0;
    if (std::llabs(std::int64_t{a.longitude} - b.longitude) > 7200000) return 0;
    return a.magnitude == b.magnitude ? 2 : 1;
}

bool IsSameQuake(const QuakeRecord& a, const QuakeRecord& b) {
    return a.latitude == b.latitude && a.longitude == b.longitude && a.date == b.date && a.minute == b.minute &&
           a.tenths == b.tenths && a.magnitude == b.magnitude;
}
