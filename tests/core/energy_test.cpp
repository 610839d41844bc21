#include <gtest/gtest.h>

#include "core/energy.h"
#include "core/helpers.h"

namespace {
QuakeRecord At(double lat, double lon, int minute, int tenths, double mag) {
    QuakeRecord q{};
    q.date = PackedDate{2011, 3, 11};
    q.latitude = DegreesToMas(lat);
    q.longitude = DegreesToMas(lon);
    q.minute = static_cast<std::uint16_t>(minute);
    q.tenths = static_cast<std::int16_t>(tenths);
    q.magnitude = static_cast<std::uint8_t>(mag * 10);
    q.depth = 1000000;
    return q;
}
}  // namespace

TEST(EnergyBins, SumsEnergyPerCell) {
    EnergyBins bins;
    bins.Add(3, 4, 6.0);
    EXPECT_NEAR(bins.Add(3, 4, 6.0)->Magnitude(), 6.2007, 1e-4);
    bins.Add(0, 0, 5.0);
    EXPECT_NEAR(bins.Add(0, 0, 7.0)->Magnitude(), 7.0003, 1e-4);
    EXPECT_EQ(bins.Count(), 2);
    EXPECT_NEAR(bins.Find(3, 4)->Magnitude(), 6.2007, 1e-4);
    EXPECT_EQ(bins.Find(3, 5), nullptr);
    EXPECT_EQ(EnergyBin{}.Magnitude(), 0.0);
}

TEST(EnergyBins, GrowsByItsStep) {
    EnergyBins bins;
    for (int k = 0; k < 11; ++k) bins.Add(k, 0, 4.0);
    EXPECT_EQ(bins.Count(), 11);
    EXPECT_EQ(bins.Capacity(), 20);
    for (int r = 0; r < 5; ++r)
        for (int k = 0; k < 11; ++k) bins.Add(k, r, 4.0);
    EXPECT_EQ(bins.Count(), 11);  // repeated keys add no entries
    for (int k2 = 0; k2 < 25; ++k2) bins.Add(100, k2, 3.0);  // one entry, many bins
    EXPECT_EQ(bins.Count(), 12);
    EXPECT_NE(bins.Find(100, 24), nullptr);
    bins.Free();
    EXPECT_EQ(bins.Count(), 0);
}

TEST(DuplicateEvents, SimilarAndSame) {
    QuakeRecord a = At(38.3, 142.37, 346, 0, 9.0);
    struct Case {
        const char* name;
        QuakeRecord b;
        int similar;
        bool same;
    } cases[] = {
        {"119.9 s later, same magnitude", At(38.3, 142.37, 347, 599, 9.0), 2, false},
        {"119.9 s later, other magnitude", At(38.3, 142.37, 347, 599, 8.9), 1, false},
        {"120.1 s later", At(38.3, 142.37, 348, 1, 9.0), 0, false},
        {"2.1 degrees north", At(40.4, 142.37, 346, 0, 9.0), 0, false},
        {"1.9 degrees west", At(38.3, 140.47, 346, 0, 9.0), 2, false},
        {"identical", a, 2, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchSimilarEvent(a, c.b), c.similar) << c.name;
        EXPECT_EQ(MatchSimilarEvent(c.b, a), c.similar) << c.name;
        EXPECT_EQ(IsSameQuake(a, c.b), c.same) << c.name;
    }
    // No wrap at the date line.
    EXPECT_EQ(MatchSimilarEvent(At(0, 179.5, 0, 0, 6), At(0, -179.5, 0, 0, 6)), 0);
    QuakeRecord deeper = a;
    deeper.depth = 7;
    deeper.spare[0] = 9;
    EXPECT_TRUE(IsSameQuake(a, deeper));
    // Extreme positions must not overflow the difference.
    QuakeRecord far = a;
    far.latitude = INT32_MIN;
    a.latitude = INT32_MAX;
    EXPECT_EQ(MatchSimilarEvent(a, far), 0);
}
