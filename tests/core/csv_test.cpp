#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "core/csv.h"

namespace {

using Fields = std::vector<std::string>;

std::vector<std::string> Split(const std::string& line, int* count = nullptr) {
    int n = -1;
    StringListNode* head = SplitCsvLine(line, &n);
    std::vector<std::string> out;
    for (StringListNode* p = head; p; p = p->next) out.push_back(p->text);
    FreeStringList(head);
    EXPECT_EQ(n, static_cast<int>(out.size()));
    if (count) *count = n;
    // The views and any number of leading fields follow the same rules.
    for (std::size_t most : {std::size_t{1}, std::size_t{2}, out.size() + 1}) {
        std::vector<std::string_view> views;
        SplitCsvFieldViews(line, most, &views);
        EXPECT_EQ(Fields(views.begin(), views.end()), Fields(out.begin(), out.begin() + std::min(most, out.size())))
            << line << " first " << most;
    }
    return out;
}

}  // namespace

TEST(SplitCsvLine, QuotesCommasAndEnds) {
    struct Case {
        const char* line;
        Fields fields;
    } cases[] = {
        {"a,\"b,c\",,d", {"a", "b,c", "", "d"}},
        {"a,b,", {"a", "b"}},
        {",", {""}},
        {",,", {"", ""}},
        {"solo", {"solo"}},
        // Text behind a closing quote belongs to no field.
        {"\"x\"junk,y", {"x", "y"}},
        // An unclosed quote runs to the end of the line.
        {"a,\"open, never closed", {"a", "open, never closed"}},
        // A quote inside a plain field is kept as it is.
        {"ab\"c,d", {"ab\"c", "d"}},
        {"\"\",z", {"", "z"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Split(c.line), c.fields) << c.line;
}

TEST(SplitCsvLine, EmptyLineGivesNoList) {
    int count = -1;
    EXPECT_EQ(SplitCsvLine("", &count), nullptr);
    EXPECT_EQ(count, 0);
}

TEST(SplitCsvLine, LongFieldsKeepTheirFirst160Characters) {
    std::string quoted(200, 'q');
    std::string plain(300, 'p');
    Fields f = Split("\"" + quoted + "\",next," + plain + ",last");
    ASSERT_EQ(f.size(), 4u);
    EXPECT_EQ(f[0], std::string(160, 'q'));
    EXPECT_EQ(f[1], "next");
    EXPECT_EQ(f[2], std::string(160, 'p'));
    EXPECT_EQ(f[3], "last");
}

TEST(SplitCsvLine, EventServiceLineKeepsQuotedPlace) {
    Fields f = Split(
        "2023-09-21T21:11:49.950Z,-14.0039,167.1898,188.419,6.1,mww,76,26,7.076,0.83,us,us7000kx7j,"
        "2023-09-21T23:17:30.631Z,\"41 km WSW of Sola, Vanuatu\",earthquake,8.86,4.898,0.054,33,reviewed,us,us");
    ASSERT_EQ(f.size(), 22u);
    EXPECT_EQ(f[0], "2023-09-21T21:11:49.950Z");
    EXPECT_EQ(f[13], "41 km WSW of Sola, Vanuatu");
    EXPECT_EQ(f[14], "earthquake");
    EXPECT_EQ(f[21], "us");
}

TEST(SplitCsvLine, BinaryJunkNeverCrashes) {
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 131 + 7) % 256);
    int count = 0;
    Fields f = Split(junk, &count);
    for (const std::string& field : f) EXPECT_LE(field.size(), 160u);
}
