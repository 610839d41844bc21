#pragma once
// Energy released per map cell (for the moment dot style) and the tests that
// tell whether two records describe the same or a similar earthquake.
#include <cstdint>
#include <vector>

#include "core/quake_record.h"

struct EnergyBin {
    std::int32_t key2 = 0;
    double energy = 0.0;  // sum of 10^(1.5 M)

    // The magnitude whose energy equals the sum; 0 for an empty bin.
    double Magnitude() const;
};

class EnergyBins {
public:
    EnergyBins();
    // Finds or appends the cell (keys kept in order of first appearance) and
    // adds the event's energy. The pointer is valid until the next Add.
    EnergyBin* Add(std::int32_t key1, std::int32_t key2, double magnitude);
    void Free();

    int Count() const { return static_cast<int>(items_.size()); }
    int Capacity() const { return capacity_; }
    const EnergyBin* Find(std::int32_t key1, std::int32_t key2) const;

private:
    struct Entry {
        std::int32_t key1 = 0;
        int capacity = 10;
        std::vector<EnergyBin> bins;
    };
    static constexpr int kGrowthStep = 10;
    int capacity_ = 10;
    std::vector<Entry> items_;
};

// 0: different; 1: within 120 s and 2 degrees each way; 2: also the same magnitude.
int MatchSimilarEvent(const QuakeRecord& a, const QuakeRecord& b);
// Same position, date, time to the tenth and magnitude; depth is not compared.
bool IsSameQuake(const QuakeRecord& a, const QuakeRecord& b);
