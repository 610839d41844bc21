// Hand edits of a catalogue, checked byte for byte against the records they
// must leave, on catalogues small and large.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/catalogue_edit.h"
#include "core/catalogue_rebuild.h"
#include "core/quake.h"
#include "tests/support/catalogue_file.h"
#include "tests/support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

QuakeRecord At(int day, int hour, double magnitude, double latitude = 10.0) {
    return MakeEventRecord(nullptr, 2020, 3, day, hour, 0, 0.0, latitude, 20.0, 5.0, magnitude);
}

const std::vector<QuakeRecord> kFive = {At(1, 0, 4.0), At(2, 0, 4.1), At(3, 0, 4.2), At(4, 0, 4.3), At(5, 0, 4.4)};
// Three records at one time between two others.
const std::vector<QuakeRecord> kEqual = {At(1, 0, 4.0), At(2, 0, 5.0), At(2, 0, 5.1), At(2, 0, 5.2), At(3, 0, 4.0)};
const std::vector<QuakeRecord> kOnly = {At(2, 0, 6.0)};

std::vector<QuakeRecord> Inserted(std::vector<QuakeRecord> v, std::size_t at, const QuakeRecord& q) {
    v.insert(v.begin() + static_cast<long>(at), q);
    return v;
}
std::vector<QuakeRecord> Erased(std::vector<QuakeRecord> v, std::size_t at) {
    v.erase(v.begin() + static_cast<long>(at));
    return v;
}

}  // namespace

TEST(CatalogueEdit, AddPlacesTheRecordBeforeTheFirstAtItsTimeOrLater) {
    struct Case {
        const char* name;
        std::vector<QuakeRecord> stored;
        QuakeRecord added;
        std::int32_t at;
    } cases[] = {
        {"later than every record: appended", kFive, At(9, 0, 3.0), 5},
        {"at the first record's time: before it", kFive, At(1, 0, 3.0, -1), 0},
        {"between two", kFive, At(3, 12, 3.0), 3},
        {"at a time three records share: before them", kEqual, At(2, 0, 7.0), 1},
        {"into the only record's catalogue, after it", kOnly, At(3, 0, 1.0), 1},
        {"into an empty catalogue", {}, At(3, 0, 1.0), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        ASSERT_TRUE(WriteQuakeFile("CAT.HY4", c.stored));
        const CatalogueEdit e = AddQuakeRecord("CAT.HY4", c.added);
        EXPECT_EQ(e.error, "");
        EXPECT_EQ(e.index, c.at);
        EXPECT_EQ(TempDir::Read("CAT.HY4"), CatalogueBytes(Inserted(c.stored, static_cast<std::size_t>(c.at), c.added)));
        EXPECT_EQ(TempDir::Read("CAT.hyt"), CatalogueBytes(c.stored));
        EXPECT_FALSE(fs::exists(kTempCatalogue));
    }
}

TEST(CatalogueEdit, AZeroDatedRecordInsideTheFileIsCarriedAlongNotOverwritten) {
    TempDir dir;
    const std::vector<QuakeRecord> stored = {At(1, 0, 4.0), At(2, 0, 4.1), QuakeRecord{}, At(4, 0, 4.3)};
    ASSERT_TRUE(WriteQuakeFile("CAT.HY4", stored));
    const CatalogueEdit e = AddQuakeRecord("CAT.HY4", At(1, 12, 3.0));
    ASSERT_EQ(e.error, "");
    EXPECT_EQ(TempDir::Read("CAT.HY4"), CatalogueBytes(Inserted(stored, 1, At(1, 12, 3.0))));
}

TEST(CatalogueEdit, AnEditedRecordStaysWhileItsTimeFitsElseMovesToItsPlace) {
    struct Case {
        const char* name;
        std::vector<QuakeRecord> stored;
        std::int32_t index;
        QuakeRecord edited;
        std::vector<QuakeRecord> after;
        std::int32_t at;
    } cases[] = {
        {"magnitude only", kFive, 2, At(3, 0, 7.7), {kFive[0], kFive[1], At(3, 0, 7.7), kFive[3], kFive[4]}, 2},
        {"a later time still before the next", kFive, 2, At(3, 23, 4.2),
         {kFive[0], kFive[1], At(3, 23, 4.2), kFive[3], kFive[4]}, 2},
        {"moved earlier", kFive, 3, At(1, 6, 4.3), {kFive[0], At(1, 6, 4.3), kFive[1], kFive[2], kFive[4]}, 1},
        {"moved to the front", kFive, 4, At(1, 0, 4.4, -5), {At(1, 0, 4.4, -5), kFive[0], kFive[1], kFive[2], kFive[3]}, 0},
        {"moved later", kFive, 0, At(4, 6, 4.0), {kFive[1], kFive[2], kFive[3], At(4, 6, 4.0), kFive[4]}, 3},
        {"moved past the end", kFive, 1, At(8, 0, 4.1), {kFive[0], kFive[2], kFive[3], kFive[4], At(8, 0, 4.1)}, 4},
        {"among equal times it keeps its place", kEqual, 3, At(2, 0, 5.9),
         {kEqual[0], kEqual[1], kEqual[2], At(2, 0, 5.9), kEqual[4]}, 3},
        {"the only record", kOnly, 0, At(9, 0, 1.0), {At(9, 0, 1.0)}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        ASSERT_TRUE(WriteQuakeFile("CAT.HY4", c.stored));
        const CatalogueEdit e = ReplaceQuakeRecord("CAT.HY4", c.index, c.edited);
        EXPECT_EQ(e.error, "");
        EXPECT_EQ(e.index, c.at);
        EXPECT_TRUE(e.changed);
        EXPECT_EQ(TempDir::Read("CAT.HY4"), CatalogueBytes(c.after));
    }
}

TEST(CatalogueEdit, AnUntouchedRecordWritesNothing) {
    TempDir dir;
    ASSERT_TRUE(WriteQuakeFile("CAT.HY4", kEqual));
    const CatalogueEdit e = ReplaceQuakeRecord("CAT.HY4", 2, kEqual[2]);
    EXPECT_EQ(e.error, "");
    EXPECT_FALSE(e.changed);
    EXPECT_EQ(TempDir::Read("CAT.HY4"), CatalogueBytes(kEqual));
    EXPECT_FALSE(fs::exists("CAT.hyt"));
}

TEST(CatalogueEdit, DeleteRemovesOneRecordAndTheOnlyOneLeavesAnEmptyFile) {
    for (std::size_t i = 0; i < kFive.size(); ++i) {
        SCOPED_TRACE(i);
        TempDir dir;
        ASSERT_TRUE(WriteQuakeFile("CAT.HY4", kFive));
        EXPECT_EQ(DeleteQuakeRecord("CAT.HY4", static_cast<std::int32_t>(i)).error, "");
        EXPECT_EQ(TempDir::Read("CAT.HY4"), CatalogueBytes(Erased(kFive, i)));
    }
    TempDir dir;
    ASSERT_TRUE(WriteQuakeFile("CAT.HY4", kOnly));
    EXPECT_EQ(DeleteQuakeRecord("CAT.HY4", 0).error, "");
    EXPECT_TRUE(fs::exists("CAT.HY4"));
    EXPECT_EQ(fs::file_size("CAT.HY4"), 0u);
}

TEST(CatalogueEdit, ALargeCatalogueTakesEachEditWholeAndInOrder) {
    TempDir dir;
    std::vector<QuakeRecord> stored;
    stored.reserve(130000);
    for (int i = 0; i < 130000; ++i)
        stored.push_back(MakeEventRecord(nullptr, 1990 + i / 5000, 1 + i % 12, 1 + i % 28, i % 24, i % 60, 0.0,
                                         i % 80, i % 170, 10.0, 4.0));
    std::sort(stored.begin(), stored.end(), [](const QuakeRecord& a, const QuakeRecord& b) { return QuakeTime(a) < QuakeTime(b); });
    ASSERT_TRUE(WriteQuakeFile("BIG.HY4", stored));
    std::vector<QuakeRecord> model = stored;

    const QuakeRecord added = MakeEventRecord(nullptr, 2000, 6, 15, 12, 30, 30.5, 1, 2, 3, 5.5);
    const CatalogueEdit a = AddQuakeRecord("BIG.HY4", added);
    ASSERT_EQ(a.error, "");
    const auto pos = std::lower_bound(model.begin(), model.end(), QuakeTime(added),
                                      [](const QuakeRecord& q, TimeValue t) { return QuakeTime(q) < t; });
    EXPECT_EQ(a.index, pos - model.begin());
    model.insert(pos, added);
    ASSERT_EQ(TempDir::Read("BIG.HY4"), CatalogueBytes(model));

    ASSERT_EQ(DeleteQuakeRecord("BIG.HY4", 129999).error, "");
    model.erase(model.begin() + 129999);
    ASSERT_EQ(TempDir::Read("BIG.HY4"), CatalogueBytes(model));

    QuakeRecord edited = model[70000];
    edited.magnitude = 77;
    ASSERT_EQ(ReplaceQuakeRecord("BIG.HY4", 70000, edited).error, "");
    model[70000] = edited;
    EXPECT_EQ(TempDir::Read("BIG.HY4"), CatalogueBytes(model));
}

TEST(CatalogueEdit, AFailedRewriteLeavesTheCatalogueAsItWasAndSaysWhy) {
    TempDir dir;
    ASSERT_TRUE(WriteQuakeFile("CAT.HY4", kFive));
    fs::create_directory(kTempCatalogue);  // the temporary file cannot be made
    const CatalogueEdit edits[] = {AddQuakeRecord("CAT.HY4", At(9, 0, 3.0)), DeleteQuakeRecord("CAT.HY4", 1),
                                   ReplaceQuakeRecord("CAT.HY4", 1, At(2, 0, 9.0))};
    for (const CatalogueEdit& e : edits) {
        EXPECT_NE(e.error.find("Could not create"), std::string::npos) << e.error;
        EXPECT_FALSE(e.changed);
    }
    EXPECT_EQ(TempDir::Read("CAT.HY4"), CatalogueBytes(kFive));
    EXPECT_FALSE(fs::exists("CAT.hyt"));

    EXPECT_NE(DeleteQuakeRecord("CAT.HY4", 5).error, "");
    EXPECT_NE(ReplaceQuakeRecord("CAT.HY4", -1, kFive[0]).error, "");
    EXPECT_NE(AddQuakeRecord("GONE.HY4", kFive[0]).error, "");
    EXPECT_EQ(TempDir::Read("CAT.HY4"), CatalogueBytes(kFive));
}

TEST(CatalogueEdit, TheTemporaryFileLivesBesideTheCatalogueItFound) {
    TempDir dir;
    fs::create_directory("sub");
    ASSERT_TRUE(WriteQuakeFile("sub/CAT.HY4", kFive));
    fs::create_directory(kTempCatalogue);  // one in the current folder is not the one used
    EXPECT_EQ(DeleteQuakeRecord("sub/cat.hy4", 0).error, "");
    EXPECT_EQ(TempDir::Read("sub/CAT.HY4"), CatalogueBytes(Erased(kFive, 0)));
    EXPECT_FALSE(fs::exists("sub/" + std::string(kTempCatalogue)));
}
