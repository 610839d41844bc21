#include <gtest/gtest.h>

#include <clocale>
#include <locale.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/number_text.h"

namespace {

// Under the comma-locale run printf itself writes commas; ours never does.
TEST(NumberText, TheDecimalPointIsAPointUnderAnyLocale) {
    if (const char* want = std::getenv("KESTRUNE_TEST_LOCALE"); want && *want) {
        ASSERT_STREQ(std::localeconv()->decimal_point, ",") << "the comma-locale run is not under a comma locale";
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", 120.5);
        EXPECT_STREQ(text, "120,5");
    }
    EXPECT_EQ(FormatFixed(120.5, 1), "120.5");
    EXPECT_EQ(FormatGeneral(120.5), "120.5");
    double v = 0;
    TextScanner s("120.5");
    ASSERT_TRUE(s.Double(&v));
    EXPECT_EQ(v, 120.5);
    EXPECT_TRUE(s.AtEnd());
}

TEST(NumberText, FormatsAsPrintfInTheCLocale) {
    struct Case {
        double value;
        int precision, width;
        bool fixed, zeroPad;
        const char* want;
    } cases[] = {
        {46.2, 1, 4, true, false, "46.2"},     {-3.25, 2, 7, true, false, "  -3.25"},
        {5.3, 1, 4, true, true, "05.3"},       {-5.3, 1, 5, true, true, "-05.3"},
        {29.0, 0, 4, true, false, "  29"},     {0.05, 1, 3, true, false, "0.1"},
        {1234567.0, 1, 0, true, false, "1234567.0"},
        {120.5, 6, 0, false, false, "120.5"},  {1e-5, 6, 0, false, false, "1e-05"},
        {-170.123456789, 9, 0, false, false, "-170.123457"}, {1e6, 6, 0, false, false, "1e+06"},
        {0.0, 6, 5, false, false, "    0"},   {INFINITY, 1, 5, true, true, "  inf"},
    };
    for (const Case& c : cases) {
        const std::string got = c.fixed ? FormatFixed(c.value, c.precision, c.width, c.zeroPad)
                                        : FormatGeneral(c.value, c.precision, c.width);
        EXPECT_EQ(got, c.want) << c.value;
    }
}

TEST(NumberText, ScansAsScanfDoes) {
    TextScanner s("  2011/3/11 5:46:23.4 38.30N 142.37E");
    int y = 0, m = 0, d = 0, h = 0, mi = 0;
    double sec = 0;
    std::string lat, lon;
    ASSERT_TRUE(s.Int(&y) && s.Literal('/') && s.Int(&m) && s.Literal('/') && s.Int(&d) && s.Int(&h) &&
                s.Literal(':') && s.Int(&mi) && s.Literal(':') && s.Double(&sec) && s.Word(&lat) && s.Word(&lon));
    EXPECT_EQ(y * 10000 + m * 100 + d, 20110311);
    EXPECT_EQ(h * 60 + mi, 346);
    EXPECT_EQ(sec, 23.4);
    EXPECT_EQ(lat, "38.30N");
    EXPECT_EQ(lon, "142.37E");
    EXPECT_TRUE(s.AtEnd());
    EXPECT_FALSE(s.Word(&lat));

    int n = 7;
    TextScanner big("99999999999");
    EXPECT_FALSE(big.Int(&n));  // out of range: refused, not clamped
    EXPECT_EQ(n, 7);
    unsigned long u = 0;
    TextScanner negative(" -5");
    EXPECT_FALSE(negative.Unsigned(&u));
    EXPECT_EQ(negative.Position(), 0u);  // a failed read leaves the position
    char c = 0;
    TextScanner letters("46.20 N");
    double x = 0;
    ASSERT_TRUE(letters.Double(&x) && letters.NonBlank(&c));
    EXPECT_EQ(c, 'N');

    IsoTimeFields t;
    std::size_t used = 0;
    ASSERT_TRUE(ScanIsoTime("2016-01-02T03:04:05.670Z", &t, &used));
    EXPECT_EQ(t.year * 10000 + t.month * 100 + t.day, 20160102);
    EXPECT_EQ(t.hour * 60 + t.minute, 184);
    EXPECT_DOUBLE_EQ(t.seconds, 5.67);
    EXPECT_EQ(used, 23u);
    EXPECT_FALSE(ScanIsoTime("2016-01-02 03:04:05", &t));
    EXPECT_FALSE(ScanIsoTime("time", &t));
}

}  // namespace

// The map dumps write with this: it must give printf's bytes for every value
// the segment files can hold, and for the awkward ones.
TEST(FormatFixed, WritesAsPrintfDoesForEverySegmentFileValue) {
    std::vector<double> values = {0.0, -0.0, 0.005, -0.005, 0.015, 0.125, -0.125, 2.675, 1e-9, -1e-9,
                                  179.99999, -179.995, 89.995, 1234567.891, 1e20, -1e300, 0.5, 1.5, 2.5};
    for (int units : {60, 3600})
        for (int raw = -650000; raw <= 650000; raw += 37) values.push_back(static_cast<double>(raw) / units);
    struct { int width, precision; } forms[] = {{7, 2}, {0, 4}, {3, 0}, {12, 6}};
    // printf in the C locale is the reference, whatever locale the tests run in.
    const locale_t c = ::newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    ASSERT_NE(c, static_cast<locale_t>(0));
    const locale_t previous = ::uselocale(c);
    for (const auto& f : forms)
        for (double v : values) {
            char want[512];
            std::snprintf(want, sizeof want, "%*.*f", f.width, f.precision, v);
            EXPECT_EQ(FormatFixed(v, f.precision, f.width), want) << v << " %" << f.width << "." << f.precision << "f";
            if (FormatFixed(v, f.precision, f.width) != want) break;
        }
    ::uselocale(previous);
    ::freelocale(c);
}
