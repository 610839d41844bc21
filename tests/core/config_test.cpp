#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/alert_criteria.h"
#include "core/config.h"
#include "core/keeper_config.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unreadable_file.h"

namespace {

std::string Fixture(const std::string& name) {
    return TempDir::Read(std::string(KESTRUNE_FIXTURES) + "/config/" + name);
}

class ConfigTest : public testing::Test {
protected:
    void SetUp() override {
        ResetConfigValues();
        SetSoundSettingsReceiver(nullptr);
    }
    void TearDown() override {
        SetSoundSettingsReceiver(nullptr);
        ResetConfigValues();
    }

    // Reads a configuration file holding exactly the given text.
    static int ReadText(const std::string& text, ConfigBuild build = ConfigBuild::kQuorview) {
        TempDir::Write("QUORVEL.INI", text);
        return ReadConfigFileFor(build);
    }
    // What the writer makes of the values now.
    static std::string Written(ConfigBuild build = ConfigBuild::kQuorview) {
        EXPECT_EQ(WriteConfigFileFor(build), 0);
        return TempDir::Read("QUORVEL.INI");
    }

    TempDir dir_;
};

// ---- Round trips and defaults ------------------------------------------------------

TEST_F(ConfigTest, EveryKeySetReadsBackAndWritesOutIdentically) {
    const std::string file = Fixture("all_keys.ini");
    ASSERT_EQ(ReadText(file), 0);

    // A few values that a wrong table entry would get wrong.
    EXPECT_EQ(gControls[kControlMenuBar], 0);
    EXPECT_EQ(gControls[kControlScienceOnASphere], 1);
    EXPECT_EQ(gControls[kControlNoLegend], 1);
    EXPECT_EQ(gMode, kModeIvBegin);
    EXPECT_EQ(gLineThickness.country, kLineThicknessAuto);
    EXPECT_EQ(gLineThickness.state, 2);
    EXPECT_DOUBLE_EQ(gAlertThreshold, 6.5);
    EXPECT_EQ(gAlertEventsUrl, "https://feeds.example.org/earthquakes/summary/all_hour.csv");
    EXPECT_EQ(gExitButtonLabel, "Leave now");
    EXPECT_EQ(gSegmentColors[5], 10);  // follows COAST COLOR
    EXPECT_EQ(gSegmentColors[6], 9);   // follows RIVER COLOR
    EXPECT_EQ(gEruptionInstruments[7], 30);
    EXPECT_EQ(gDepthColors[6], 18);
    ASSERT_TRUE(gFonts[kFontTitle]);
    EXPECT_EQ(*gFonts[kFontTitle], (ConfigFont{"Times New Roman", -32, 700}));
    EXPECT_EQ(*gFonts[kFontOcean], (ConfigFont{"Liberation Serif", -20, 400}));
    // File names are kept whole, past the old 20-character fields.
    EXPECT_EQ(gAlertHypocenterFile, "alerts/recent-events-catalogue.hy4");
    EXPECT_EQ(gArchiveFile, "alert-archive-2024.txt");
    EXPECT_EQ(gConfigCityFile, "CityLatLonPop-europe-2024.csv");
    ASSERT_EQ(gUpdateFiles.Count(), 2);
    EXPECT_EQ(gUpdateFiles[1].name, "pacific northwest catalogue.hy4");
    EXPECT_DOUBLE_EQ(gUpdateFiles[0].west, -170.125);
    EXPECT_DOUBLE_EQ(gUpdateFiles[1].minMagnitude, 1e-05);

    EXPECT_EQ(Written(), file);
    // And once more from what was just written.
    ResetConfigValues();
    ASSERT_EQ(ReadConfigFile(), 0);
    EXPECT_EQ(Written(), file);
}

TEST_F(ConfigTest, MissingFileGivesWorkingDefaultsAndStillReadsCriteria) {
    TempDir::Write("alert_criteria.txt", "/M 6 /DI 50\n");
    EXPECT_EQ(ReadConfigFile(), 1);

    EXPECT_EQ(gControls[kControlMenuBar], 1);
    EXPECT_EQ(gControls[kControlCanExit], 1);
    EXPECT_EQ(*gFonts[kFontState], (ConfigFont{"Arial", -27, 700}));
    EXPECT_FALSE(gFonts[kFontTitle]);
    EXPECT_EQ(gAlertSeconds, 20);
    EXPECT_EQ(gDisplayColorCount, 16);
    ASSERT_EQ(gAlertCriteria.size(), 1u);
    EXPECT_DOUBLE_EQ(gAlertCriteria[0]->maxDistance, 50);
    EXPECT_FALSE(std::filesystem::exists("QUORVEL.INI"));
    // Every default, as the writer puts it.
    EXPECT_EQ(Written(), Fixture("defaults.ini"));
}

TEST_F(ConfigTest, EmptyFileGivesTheSameDefaultsAndMakesTheSphereFolder) {
    EXPECT_EQ(ReadText(""), 0);
    EXPECT_TRUE(std::filesystem::is_directory("sos"));
    EXPECT_EQ(Written(), Fixture("defaults.ini"));
}

TEST_F(ConfigTest, ReadingAgainReplacesEverything) {
    const std::string file = Fixture("all_keys.ini");
    TempDir::Write("alert_criteria.txt", "/M 6\n/M 7\n");
    ASSERT_EQ(ReadText(file), 0);
    ASSERT_EQ(ReadText(file), 0);
    EXPECT_EQ(gUpdateFiles.Count(), 2);
    EXPECT_EQ(gAlertCriteria.size(), 2u);
    // A smaller file leaves nothing of the first one behind.
    ASSERT_EQ(ReadText("MENU BAR: NO\n"), 0);
    EXPECT_EQ(gUpdateFiles.Count(), 0);
    EXPECT_EQ(gAlertEventsUrl, "");
    EXPECT_FALSE(gFonts[kFontTitle]);
    EXPECT_EQ(gControls[kControlScienceOnASphere], 0);
}

// ---- The reader's rules --------------------------------------------------------------

struct LinesCase {
    const char* name;
    std::string lines;
    std::function<void()> check;
};

void RunCases(const std::vector<LinesCase>& cases) {
    for (const LinesCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResetConfigValues();
        TempDir::Write("QUORVEL.INI", c.lines);
        ASSERT_EQ(ReadConfigFile(), 0);
        c.check();
    }
}

TEST_F(ConfigTest, KeysFlagRulesAndNumberForms) {
    RunCases({
        {"only MENU BAR: NO", "MENU BAR: NO\n",
         [] {
             EXPECT_EQ(gControls[kControlMenuBar], 0);
             EXPECT_EQ(gControls[kControlCanExit], 1);
             EXPECT_EQ(gControls[kControlTitleBar], 0);
         }},
        {"YES in any case", "MENU BAR: YES\nTITLE BAR: yes\n",
         [] {
             EXPECT_EQ(gControls[kControlMenuBar], 1);
             EXPECT_EQ(gControls[kControlTitleBar], 1);
         }},
        {"YESS is not YES", "DEBUG: YESS\n", [] { EXPECT_EQ(gControls[kControlDebug], 0); }},
        {"no blank after the colon", "DEBUG:YES\n", [] { EXPECT_EQ(gControls[kControlDebug], 1); }},
        {"many blanks after the colon", "TITLE BAR: \t  YES\n", [] { EXPECT_EQ(gControls[kControlTitleBar], 1); }},
        {"key text is case-sensitive", "title bar: YES\n", [] { EXPECT_EQ(gControls[kControlTitleBar], 0); }},
        {"blanks inside a key are exact", "TITLE  BAR: YES\n", [] { EXPECT_EQ(gControls[kControlTitleBar], 0); }},
        {"set: a later NO leaves it", "EXIT WHEN DONE: YES\nEXIT WHEN DONE: NO\n", [] { EXPECT_EQ(gExitWhenDone, 1); }},
        {"clear: a later YES leaves it", "CAN EXIT: NO\nCAN EXIT: YES\n",
         [] { EXPECT_EQ(gControls[kControlCanExit], 0); }},
        {"assign: the last one wins", "RUN SCRIPT: YES\nRUN SCRIPT: NO\n", [] { EXPECT_EQ(gRunScript, 0); }},
        {"LEGEND is stored inverted", "LEGEND: NO\n", [] { EXPECT_EQ(gControls[kControlNoLegend], 1); }},
        {"LEGEND: YES", "LEGEND: NO\nLEGEND: YES\n", [] { EXPECT_EQ(gControls[kControlNoLegend], 0); }},
        {"a key with no value changes nothing", "MENU BAR:\nALERT THRESHOLD: \n",
         [] {
             EXPECT_EQ(gControls[kControlMenuBar], 1);
             EXPECT_DOUBLE_EQ(gAlertThreshold, 10.0);
         }},
        {"eruption number clamped to 1..7", "ERUPTION 9 MIDI INSTRUMENT: 12\nERUPTION 0 MIDI INSTRUMENT: 13\n",
         [] {
             EXPECT_EQ(gEruptionInstruments[7], 12);
             EXPECT_EQ(gEruptionInstruments[1], 13);
         }},
        {"depth colour number outside 1..11", "DEPTH COLOR 12: 3\nDEPTH COLOR 0: 3\n",
         [] {
             const int expected[kDepthColorCount] = {4, 12, 5, 13, 3, 1, 9, 11, 10, 14, 15};
             for (int i = 0; i < kDepthColorCount; ++i) EXPECT_EQ(gDepthColors[i], expected[i]) << i;
         }},
        {"AUTO line thickness in any case", "COUNTRY LINE THICKNESS: auto\nSTATE LINE THICKNESS: 3\n",
         [] {
             EXPECT_EQ(gLineThickness.country, kLineThicknessAuto);
             EXPECT_EQ(gLineThickness.state, 3);
         }},
        {"ALERT SECONDS reads octal", "ALERT SECONDS: 010\n", [] { EXPECT_EQ(gAlertSeconds, 8); }},
        {"ALERT SECONDS reads hexadecimal", "ALERT SECONDS: 0x1A\n", [] { EXPECT_EQ(gAlertSeconds, 26); }},
        {"ALERT SECONDS below 2 becomes 2", "ALERT SECONDS: 1\n", [] { EXPECT_EQ(gAlertSeconds, 2); }},
        {"ALERT PAUSE reads octal too", "ALERT PAUSE: 017\n", [] { EXPECT_EQ(gAlertPause, 15); }},
        {"other numbers are decimal", "TIMEOUT: 010\nBORDER COLOR: 010\n",
         [] {
             EXPECT_EQ(gTimeout, 10u);
             EXPECT_EQ(gConfigBorderColor, 10);
         }},
        {"MODE words ignore case", "MODE: loop\n", [] { EXPECT_EQ(gMode, kModeLoop); }},
        {"MODE: an unknown word leaves it", "MODE: IV_END\nMODE: BACKWARDS\n", [] { EXPECT_EQ(gMode, kModeIvEnd); }},
        {"rest-of-line keys ignore case", "Logo: Hello there\nexit button label: Go away please now!\n",
         [] {
             EXPECT_EQ(gLogoText, "Hello there");
             EXPECT_EQ(gExitButtonLabel, "Go away please");  // 15 characters, trailing blank removed
         }},
        {"a trailing CR is not part of a value", "EXIT WHEN DONE: YES\r\nLOGO: Hi\r\n",
         [] {
             EXPECT_EQ(gExitWhenDone, 1);
             EXPECT_EQ(gLogoText, "Hi");
         }},
        {"older alert file keys", "NETWORK HYPOCENTER FILE NAME: old.hy4\nNETWORK ARCHIVE FILE NAME: old.txt\n",
         [] {
             EXPECT_EQ(gAlertHypocenterFile, "old.hy4");
             EXPECT_EQ(gArchiveFile, "old.txt");
         }},
        {"a %s value is one word", "WORKING DIRECTORY: C:\\My Documents\n",
         [] { EXPECT_EQ(gWorkingDirectory, "C:\\My"); }},
        {"a number with text after it", "ALERT THRESHOLD: 6.5mag\nUPDATE PORT: 80/tcp\n",
         [] {
             EXPECT_DOUBLE_EQ(gAlertThreshold, 6.5);
             EXPECT_EQ(gUpdatePort, 80u);
         }},
        {"SHOW INFO SPOT is written but never read", "SHOW INFO SPOT: NO\n",
         [] { EXPECT_EQ(gControls[kControlShowInformationButton], 1); }},
        {"SHOW INFO SPOT CHECK BOX is not SHOW INFO SPOTS", "SHOW INFO SPOT CHECK BOX: YES\n",
         [] {
             EXPECT_EQ(gControls[kControlShowInfoSpotCheckBox], 1);
             EXPECT_EQ(gControls[kControlShowInfoSpots], 1);
         }},
    });
}

TEST_F(ConfigTest, UpdateFileBlocks) {
    ASSERT_EQ(ReadText("NORTH LATITUDE: 10\n"
                       "UPDATE FILE: A.HY4\n"
                       "SOUTH LATITUDE: -20\n"
                       "MINIMUM MAGNITUDE: 3\n"
                       "UPDATE FILE: B.HY4   \n"
                       "UPDATE FILE: C.HY4\n"
                       "LEFT LONGITUDE: 5\n"
                       "RIGHT LONGITUDE: 50\n"
                       "NORTH LATITUDE: 60\n"),
              0);
    ASSERT_EQ(gUpdateFiles.Count(), 3);
    const UpdateFileRecord& a = gUpdateFiles[0];
    EXPECT_EQ(a.name, "A.HY4");
    EXPECT_DOUBLE_EQ(a.north, 85);  // the line before the first block is ignored
    EXPECT_DOUBLE_EQ(a.south, -20);
    EXPECT_DOUBLE_EQ(a.minMagnitude, 3);
    const UpdateFileRecord& b = gUpdateFiles[1];
    EXPECT_EQ(b.name, "B.HY4");
    EXPECT_DOUBLE_EQ(b.south, -85);
    EXPECT_DOUBLE_EQ(b.north, 85);
    EXPECT_DOUBLE_EQ(b.west, -180);
    EXPECT_DOUBLE_EQ(b.east, 180);
    EXPECT_DOUBLE_EQ(b.minMagnitude, 0);
    const UpdateFileRecord& c = gUpdateFiles[2];
    EXPECT_DOUBLE_EQ(c.west, 5);
    EXPECT_DOUBLE_EQ(c.east, 50);
    EXPECT_DOUBLE_EQ(c.north, 60);
}

TEST_F(ConfigTest, MuseumModeDecidesSliderAndInactivePopup) {
    struct Case {
        const char* lines;
        int slider, popup;
    } cases[] = {
        {"SHOW SLIDER: NO\nINACTIVE POPUP: YES\n", 1, 0},
        {"SHOW SLIDER: NO\nINACTIVE POPUP: YES\nRESTART WHEN TIMEOUT: YES\n", 1, 1},
        {"MUSEUM MODE: YES\nSHOW SLIDER: NO\nINACTIVE POPUP: YES\n", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        ASSERT_EQ(ReadText(c.lines), 0);
        EXPECT_EQ(gControls[kControlShowSlider], c.slider);
        EXPECT_EQ(gInactivePopup, c.popup);
    }
}

TEST_F(ConfigTest, FontsTakeTheLastFaceNamed) {
    ASSERT_EQ(ReadText("CITY FONT SIZE: 12 400\n"
                       "TITLE FONT: Times New Roman\n"
                       "LOGO FONT SIZE: -20 700\n"
                       "STATE FONT: Courier\n"
                       "STATE FONT SIZE: -15 300\n"),
              0);
    EXPECT_EQ(*gFonts[kFontCity], (ConfigFont{"system", 12, 400}));
    EXPECT_EQ(*gFonts[kFontLogo], (ConfigFont{"Times New Roman", -20, 700}));
    EXPECT_FALSE(gFonts[kFontTitle]);
    EXPECT_FALSE(gFonts[kFontInfo]);
    EXPECT_EQ(*gFonts[kFontState], (ConfigFont{"Courier", -15, 300}));
    EXPECT_EQ(*gFonts[kFontCountry], (ConfigFont{"Arial", -27, 700}));
    EXPECT_EQ(*gFonts[kFontOcean], (ConfigFont{"Arial", -27, 700}));

    DeleteConfigFonts();
    for (int slot = kFontTitle; slot <= kFontOcean; ++slot) EXPECT_FALSE(gFonts[slot]) << slot;
}

TEST_F(ConfigTest, SoundSettingsAreHandedOverAfterReading) {
    static SoundSettings received;
    static int calls;
    calls = 0;
    SetSoundSettingsReceiver([](const SoundSettings& s) {
        received = s;
        ++calls;
    });
    ASSERT_EQ(ReadText("MAGNITUDE 0 MIDI NOTE: 95\nCLICK MIDI: 70\nBASE LEVEL MIDI: YES\n"
                       "ERUPTION 3 MIDI INSTRUMENT: 44\n"),
              0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(received.instrument, 9);
    EXPECT_TRUE(received.baseLevelMidi);
    EXPECT_EQ(received.clickNote, 70);
    EXPECT_EQ(received.magnitude0Note, 95);
    EXPECT_EQ(received.eruptionNotes[3], 44);
    EXPECT_EQ(received.eruptionNotes[7], 49);
    EXPECT_DOUBLE_EQ(received.noteStepPerMagnitude, 7.5);
    EXPECT_DOUBLE_EQ(received.volume, 2.0);
}

// ---- Bad input -----------------------------------------------------------------------------

TEST_F(ConfigTest, LongLinesNeverTurnIntoOtherKeys) {
    // The tail of each long line, where a 128-character reader would cut it,
    // looks like another key; whole lines are read, so it stays part of the value.
    auto longLine = [](const std::string& key, char fill, const std::string& tail) {
        std::string line = key;
        while (line.size() < 127) line += fill;
        return line + tail + "\n";
    };
    ASSERT_EQ(ReadText(longLine("WORKING DIRECTORY: ", 'w', "MENU BAR: NO") +
                       longLine("LOGO: ", 'l', "CAN EXIT: NO") +
                       longLine("ALERT USGS EVENTS URL: https://x/", 'u', std::string(34, 'u') + "TITLE BAR: YES") +
                       longLine("CITY FILE: ", 'c', ".csv") +
                       longLine("ALERT HYPOCENTER FILE NAME: ", 'h', ".hy4") +
                       longLine("UPDATE FILE: ", 'f', ".hy4") +
                       longLine("TITLE FONT: ", 'F', "") + "TITLE FONT SIZE: 10 400\n"),
              0);
    EXPECT_EQ(gControls[kControlMenuBar], 1);
    EXPECT_EQ(gControls[kControlCanExit], 1);
    EXPECT_EQ(gControls[kControlTitleBar], 0);
    // Values keep the format's limits...
    EXPECT_EQ(gWorkingDirectory, std::string(63, 'w'));
    EXPECT_EQ(gLogoText, std::string(47, 'l'));
    EXPECT_EQ(gAlertEventsUrl.size(), 127u);
    // ...except file names, which are kept whole.
    EXPECT_EQ(gConfigCityFile, std::string(127 - 11, 'c') + ".csv");
    EXPECT_EQ(gAlertHypocenterFile, std::string(127 - 28, 'h') + ".hy4");
    ASSERT_EQ(gUpdateFiles.Count(), 1);
    EXPECT_EQ(gUpdateFiles[0].name, std::string(127 - 13, 'f') + ".hy4");
    EXPECT_EQ(gFonts[kFontTitle]->face, std::string(127 - 12, 'F'));
}

TEST_F(ConfigTest, BadValuesAreRefusedAndTheDefaultsStand) {
    // Missing values, non-numbers, numbers that do not fit, colours and MIDI
    // numbers outside their tables, negative counts and times.
    ASSERT_EQ(ReadText(Fixture("malformed/bad_values.ini")), 0);
    EXPECT_EQ(gUpdateFiles.Count(), 0);
    EXPECT_EQ(Written(), Fixture("defaults.ini"));
}

TEST_F(ConfigTest, RefusedValuesKeepTheLastGoodOne) {
    ASSERT_EQ(ReadText("COAST COLOR: 6\nCOAST COLOR: 40\nDEPTH COLOR 2: 7\nDEPTH COLOR 2: -7\n"
                       "POPULATION COLOR 3: 1 2 3\nPOPULATION COLOR 3: 1 2 256\n"),
              0);
    EXPECT_EQ(gSegmentColors[1], 6);
    EXPECT_EQ(gSegmentColors[5], 6);
    EXPECT_EQ(gDepthColors[1], 7);
    EXPECT_EQ(gPopulationColors[2][2], 3);
}

TEST_F(ConfigTest, BinaryJunkNeverCrashesAndLeavesUsableValues) {
    std::mt19937 random(20240611);
    const std::vector<std::string> pieces = {"COAST COLOR: ", "DEPTH COLOR ", "UPDATE FILE: ", "TITLE FONT: ",
                                             "ALERT SECONDS: ", ": ", "%s%n", "-", "99999999999999999999", "\n",
                                             std::string(1, '\0'), "\r", "[", "ERUPTION ", " MIDI INSTRUMENT: "};
    for (int round = 0; round < 20; ++round) {
        std::string junk;
        for (int i = 0; i < 400; ++i) {
            if (random() % 3 == 0)
                junk += pieces[random() % pieces.size()];
            else
                junk += static_cast<char>(random() % 256);
        }
        junk += std::string(5000, static_cast<char>(0xFF));  // one very long line
        SCOPED_TRACE(round);
        ResetConfigValues();
        ASSERT_EQ(ReadText(junk), 0);
        for (int c : gSegmentColors) EXPECT_TRUE(c >= 0 && c < kColorNumberCount);
        for (int c : gDepthColors) EXPECT_TRUE(c >= 0 && c < kColorNumberCount);
        EXPECT_TRUE(gScaleColor >= 0 && gScaleColor < kColorNumberCount);
        EXPECT_GE(gAlertSeconds, 2);
        for (int n : gEruptionInstruments) EXPECT_TRUE(n >= 0 && n <= 127);
        // What was written reads back to the same file.
        std::string written = Written();
        ResetConfigValues();
        ASSERT_EQ(ReadConfigFile(), 0);
        EXPECT_EQ(Written(), written);
    }
}

// CRs left before a NUL once stayed in a text that runs to the line's end;
// the next read took the last of them for a CR LF's and the save differed.
TEST_F(ConfigTest, CrsBeforeANulEndTheTextWithTheLine) {
    ASSERT_EQ(ReadText(std::string("EXIT BUTTON LABEL: Leave\r\r\0x\nLOGO: A logo\r\0\n", 44)), 0);
    EXPECT_EQ(gExitButtonLabel, "Leave");
    const std::string written = Written();
    ASSERT_EQ(ReadConfigFile(), 0);
    EXPECT_EQ(Written(), written);
}

TEST_F(ConfigTest, UnknownKeysAndSectionsAreDroppedAtTheNextWrite) {
    ASSERT_EQ(ReadText("[my own section]\nFAVOURITE COLOR: 4\nMENU BAR: NO\n"), 0);
    std::string written = Written();
    EXPECT_EQ(written.find("FAVOURITE"), std::string::npos);
    EXPECT_EQ(written.find("[my own section]"), std::string::npos);
    EXPECT_NE(written.find("\nMENU BAR: NO\n"), std::string::npos);
}

TEST_F(ConfigTest, FailedWriteIsReportedAndLeavesNoTrace) {
    std::filesystem::create_directory("QUORVEL.INI");  // cannot be replaced by a file
    ReadConfigFile();
    EXPECT_EQ(WriteConfigFile(), 1);
    EXPECT_TRUE(std::filesystem::is_directory("QUORVEL.INI"));
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        (void)entry;
        ++entries;
    }
    EXPECT_EQ(entries, 1);  // no temporary file left behind
}

// A file that is there but cannot be read gives the defaults for the run and
// is never replaced by them; once readable again it is read and written as usual.
TEST_F(ConfigTest, AFileThatCannotBeReadIsNeverRewritten) {
    const std::string text = "MENU BAR: NO\nTIMEOUT: 30\nNO SUCH KEY: 1\n";
    TempDir::Write("QUORVEL.INI", text);
    {
        UnreadableFile locked("QUORVEL.INI");
        ASSERT_TRUE(locked.unreadable());
        EXPECT_EQ(ReadConfigFile(), 1);
        EXPECT_EQ(ConfigFileUnreadable(), "Permission denied");  // in English under any locale
        EXPECT_EQ(gControls[kControlMenuBar], 1);  // the defaults
        EXPECT_EQ(WriteConfigFile(), 1);
        EXPECT_EQ(WriteConfigFileFor(ConfigBuild::kKeeper), 1);
    }
    EXPECT_EQ(TempDir::Read("QUORVEL.INI"), text);
    EXPECT_FALSE(std::filesystem::exists("QUORVEL.INI.bak"));
    // Another folder's file is written as usual meanwhile.
    {
        UnreadableFile locked("QUORVEL.INI");
        ASSERT_EQ(ReadConfigFile(), 1);
        std::filesystem::create_directory("other");
        std::filesystem::current_path("other");
        EXPECT_EQ(ConfigFileUnreadable(), "");
        EXPECT_EQ(WriteConfigFile(), 0);
        std::filesystem::current_path("..");
        EXPECT_EQ(WriteConfigFile(), 1);
    }
    EXPECT_EQ(ReadConfigFile(), 0);
    EXPECT_EQ(ConfigFileUnreadable(), "");
    EXPECT_EQ(gControls[kControlMenuBar], 0);
    EXPECT_EQ(WriteConfigFile(), 0);
    EXPECT_NE(TempDir::Read("QUORVEL.INI"), text);
}

TEST_F(ConfigTest, ResetClearsEverything) {
    TempDir::Write("alert_criteria.txt", "/M 6\n");
    ASSERT_EQ(ReadText(Fixture("all_keys.ini")), 0);
    ResetConfigValues();
    for (int i = 0; i < kControlCount; ++i) EXPECT_EQ(gControls[i], 0) << i;
    EXPECT_EQ(gUpdateFiles.Count(), 0);
    EXPECT_TRUE(gAlertCriteria.empty());
    EXPECT_FALSE(gFonts[kFontState]);
    EXPECT_EQ(gAlertEventsUrl, "");
    EXPECT_EQ(gButtonHeight, 0);
    EXPECT_EQ(gSegmentColors[1], 0);
}

// A file the reader could not use is not lost to the rewrite: it is kept
// beside it once, and a file the writer made is never backed up.
TEST_F(ConfigTest, ARewriteThatDropsUnreadLinesKeepsTheOldFileOnce) {
    const std::string damaged = std::string("MENU BAR: NO\n\x01\x7f\xffgarbage\0MORE\nMENU BA\nTIMEOUT: soon\n", 43);
    ASSERT_EQ(ReadText(damaged), 0);
    ::chmod("QUORVEL.INI", 0600);
    ASSERT_EQ(WriteConfigFile(), 0);
    EXPECT_EQ(TempDir::Read("QUORVEL.INI.bak"), damaged);
    struct stat st;
    ASSERT_EQ(::stat("QUORVEL.INI.bak", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);  // as private as the settings it copies
    EXPECT_EQ(gControls[kControlMenuBar], 0);
    // Once: the next rewrite of the same reading leaves the copy alone.
    TempDir::Write("QUORVEL.INI.bak", "kept");
    ASSERT_EQ(WriteConfigFile(), 0);
    EXPECT_EQ(TempDir::Read("QUORVEL.INI.bak"), "kept");

    for (const char* clean : {"defaults.ini", "all_keys.ini"}) {
        SCOPED_TRACE(clean);
        std::filesystem::remove("QUORVEL.INI.bak");
        ASSERT_EQ(ReadText(Fixture(clean)), 0);
        ASSERT_EQ(WriteConfigFile(), 0);
        EXPECT_FALSE(std::filesystem::exists("QUORVEL.INI.bak"));
    }
    // Nor one that the writer itself has just written.
    ASSERT_EQ(ReadConfigFile(), 0);
    ASSERT_EQ(WriteConfigFile(), 0);
    EXPECT_FALSE(std::filesystem::exists("QUORVEL.INI.bak"));
}

// ---- The maintenance program's build ------------------------------------------------------

TEST_F(ConfigTest, KeeperSavesAFileOfTheMainProgramWithoutLosingAnything) {
    const std::string file = Fixture("all_keys.ini");
    TempDir::Write("QUORVEL.INI", file);
    ASSERT_EQ(keeper::ReadConfigFile(), 0);
    // It does not know these two...
    EXPECT_EQ(gAlertEventsUrl, "");
    EXPECT_EQ(gControls[kControlScienceOnASphere], 0);
    // ...but its save keeps their lines where they were.
    ASSERT_EQ(keeper::WriteConfigFile(), 0);
    EXPECT_EQ(TempDir::Read("QUORVEL.INI"), file);

    // An edit in the keeper reaches the file; the carried lines stay.
    ASSERT_EQ(keeper::ReadConfigFile(), 0);
    gTimeout = 120;
    ASSERT_EQ(keeper::WriteConfigFile(), 0);
    ASSERT_EQ(ReadConfigFile(), 0);
    EXPECT_EQ(gTimeout, 120u);
    EXPECT_EQ(gAlertEventsUrl, "https://feeds.example.org/earthquakes/summary/all_hour.csv");
    EXPECT_EQ(gControls[kControlScienceOnASphere], 1);
}

// The keeper once kept only the last line of a key it carries: a YES that
// a later NO line did not clear was then lost. Its save must read as the
// main program's own, and stay as it is when saved again.
TEST_F(ConfigTest, KeeperSaveReadsAsTheMainProgramsOwnAndSavesTheSameAgain) {
    const std::string lines =
        "SCIENCE ON A SPHERE: YES\nSCIENCE ON A SPHERE: NO\n"
        "ALERT USGS EVENTS URL: https://a.example.org/1.csv\nALERT USGS EVENTS URL: https://b.example.org/2.csv\n";
    ASSERT_EQ(ReadText(lines), 0);
    const std::string mainProgram = Written();
    ASSERT_EQ(ReadText(lines, ConfigBuild::kKeeper), 0);
    const std::string kept = Written(ConfigBuild::kKeeper);
    ASSERT_EQ(ReadText(kept), 0);
    EXPECT_EQ(gControls[kControlScienceOnASphere], 1);
    EXPECT_EQ(gAlertEventsUrl, "https://b.example.org/2.csv");
    EXPECT_EQ(Written(), mainProgram);
    // A second keeper save neither drops nor doubles them.
    ASSERT_EQ(ReadText(kept, ConfigBuild::kKeeper), 0);
    EXPECT_EQ(Written(ConfigBuild::kKeeper), kept);
}

TEST_F(ConfigTest, KeeperKeepsLongLinesWholeAndWritesNoKeysItNeverSaw) {
    std::string url = "https://feeds.example.org/" + std::string(150, 'q') + ".csv";
    ASSERT_EQ(ReadText("ALERT USGS EVENTS URL: " + url + "\nALERT POLL DIRECTORY: " + std::string(100, 'p') +
                           "MENU BAR: NO\n",
                       ConfigBuild::kKeeper),
              0);
    EXPECT_EQ(gControls[kControlMenuBar], 1);
    EXPECT_EQ(gAlertPollDirectory, std::string(100, 'p') + "MENU");
    std::string written = Written(ConfigBuild::kKeeper);
    EXPECT_NE(written.find("\nALERT USGS EVENTS URL: " + url + "\n"), std::string::npos);
    EXPECT_EQ(written.find("SCIENCE ON A SPHERE"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("sos"));

    // The main program cuts the long address to its field, as before.
    ASSERT_EQ(ReadConfigFile(), 0);
    EXPECT_EQ(gAlertEventsUrl, ("https://feeds.example.org/" + std::string(150, 'q')).substr(0, 127));
}

// The main program sets the flag when any line says YES; a keeper save must
// leave it as the main program read it.
TEST_F(ConfigTest, KeeperCarriesTheSphereSettingTheMainProgramReads) {
    struct Case {
        const char* lines;
        int flag;
    } cases[] = {
        {"SCIENCE ON A SPHERE: YES\nSCIENCE ON A SPHERE: NO\n", 1},
        {"SCIENCE ON A SPHERE: NO\nSCIENCE ON A SPHERE: yes\n", 1},
        {"SCIENCE ON A SPHERE: NO\nSCIENCE ON A SPHERE: MAYBE\n", 0},
        {"SCIENCE ON A SPHERE: YES\nSCIENCE ON A SPHERE:\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        ASSERT_EQ(ReadText(c.lines), 0);
        ASSERT_EQ(gControls[kControlScienceOnASphere], c.flag);
        ASSERT_EQ(keeper::ReadConfigFile(), 0);
        ASSERT_EQ(keeper::WriteConfigFile(), 0);
        ASSERT_EQ(ReadConfigFile(), 0);
        EXPECT_EQ(gControls[kControlScienceOnASphere], c.flag);
    }
}

TEST_F(ConfigTest, KeeperIgnoresTheNuclearOptionAndNeverTouchesTheCriteriaFile) {
    const std::string criteria = "/M 5 /N x\n/M 7\n";
    TempDir::Write("alert_criteria.txt", criteria);
    ASSERT_EQ(ReadText("", ConfigBuild::kKeeper), 0);
    ASSERT_EQ(gAlertCriteria.size(), 2u);
    EXPECT_EQ(gAlertCriteria[0]->nuclearPlant, 0);
    EXPECT_DOUBLE_EQ(gAlertCriteria[0]->minMagnitude, 5);
    ASSERT_EQ(keeper::WriteConfigFile(), 0);
    EXPECT_EQ(TempDir::Read("alert_criteria.txt"), criteria);
    // The main program still sees the nuclear-plant criterion.
    ASSERT_EQ(ReadConfigFile(), 0);
    EXPECT_EQ(gAlertCriteria[0]->nuclearPlant, 1);
}

}  // namespace
