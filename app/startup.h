#pragma once
// The program's entry function and the pieces of start-up and shutdown it runs
// in order; tests run the pieces alone.
#include <string>

// 0 when the message loop ended normally, 1 when it reported an error.
int OwlMain(int argc, char** argv);

// Configuration and default view, the working folder, gCurrentDirectory and
// gProgramDir. Returns the folder the configuration was read from.
std::string ReadStartupSettings();
// The folder every writer of the configuration uses: the one it was read
// from at the start, or last by Open List of Views (empty before).
const std::string& ConfigurationFolder();
void SetConfigurationFolder(const std::string& folder);
// After a run that died: a catalogue lost in a swap comes back, and the
// temporary files of killed writers go (the current, program and
// configuration folders).
void RepairAfterACrash(const std::string& configFolder);
// gScreenWidth/Height, the screen metrics and the large-font rule.
void MeasureScreen();
// Rewrites the configuration in folder (the one it was read from); false
// when it could not be written, which is reported.
bool RewriteConfiguration(const std::string& folder);
// Says that the settings were not written: a message box while the frame is
// up, stderr otherwise.
void ReportSettingsNotWritten(const std::string& folder);
// After a reading of the configuration: when the file is there but could not
// be read, says so on stderr, and in a message box while the frame is up.
void ReportUnreadableSettings();
// Releases the fonts, lists and bit sets the program made.
void FreeGlobals();

// Test hook: with KESTRUNE_EXIT_AFTER_MS=n in the environment, the frame is
// sent Exit (138) n milliseconds after it is set up.
inline constexpr const char* kExitAfterVariable = "KESTRUNE_EXIT_AFTER_MS";
