#pragma once
// quorkeeper: a frame with a menu and a blank client, with which a site keeper
// edits the kiosk settings, the time-outs and the alert poll directory of
// "QUORVEL.INI". Every change is written at once.
#include <cstddef>
#include <string>

#include "platform/ui/app.h"
#include "platform/ui/common_dialogs.h"
#include "platform/ui/frame.h"

inline constexpr const char* kKeeperMenu = "M_COMMANDS";
inline constexpr int kKeeperCmHelp = 1;
inline constexpr int kKeeperCmExit = 2;
inline constexpr int kKeeperCmControl = 102;
inline constexpr int kKeeperCmOpeningScreenTimeout = 103;
inline constexpr int kKeeperCmAbout = 104;
inline constexpr int kKeeperCmUserTimeout = 105;
inline constexpr int kKeeperCmPauseTime = 106;
inline constexpr int kKeeperCmPollDirectory = 109;
inline constexpr int kKeeperCmFileOpen = 24332;
inline constexpr int kKeeperCmFileSave = 24333;
inline constexpr int kKeeperCmFileSaveAs = 24334;

// The longest ALERT POLL DIRECTORY the main program keeps.
inline constexpr std::size_t kPollDirectoryLimit = 127;

// ---- what the frame's handlers do, apart from the windows

// "<folder>/QUORVEL.INI", and the caption "Kestrune Maintenance: " with it,
// however long the folder.
std::string ConfigPath(const std::string& folder);
std::string KeeperCaption(const std::string& folder);
// Reads "QUORVEL.INI" of the current folder, noting whether it was there
// but could not be read (the defaults then stand, and saves there are refused).
void ReadKeeperConfiguration();
// Registers the menu; again is harmless.
void RegisterKeeperMenu();

// The blank client.
class myWindow : public platform::ui::Window {
public:
    myWindow() : Window(nullptr) {}

protected:
    void Paint(platform::ui::BackBuffer& buffer, const platform::ui::Rect& damaged) override;
};

class smFrame : public platform::ui::Frame {
public:
    smFrame();
    KESTRUNE_RESPONSE_TABLE(smFrame);

    // Whether a change may be written into the current folder: not when its
    // file exists but could not be read (a message says so); while Quorview
    // runs there (its exit writes over the file) only when the user says so.
    bool MayWrite();
    // Writes the configuration into the current folder; a failure is
    // reported and the old file kept. True when written.
    bool WriteSettings();

protected:
    bool CanClose() override { return true; }
    void EvSize(platform::ui::Size client) override;

private:
    void CmFileOpen();
    void CmFileSave();
    void CmFileSaveAs();
    void CmExit();
    void CmControl();
    void CmOpeningScreenTimeout();
    void CmUserTimeout();
    void CmPauseTime();
    void CmPollDirectory();
    void CmHelp();
    // A number of seconds for one setting; on OK it is stored as dialogs store
    // numbers and written. A negative one is refused with a message.
    void PromptSeconds(const char* title, const char* prompt, unsigned* setting);
    // The folder's configuration again, and the caption with it.
    void ReadFolder();

    platform::ui::FileDialogData fileData_;
};

class TMyApp : public platform::ui::Application {
public:
    TMyApp() : Application("") {}

protected:
    void InitMainWindow() override;
};

// The program's start: reads "QUORVEL.INI" of the current folder and runs
// the frame; 1 when the loop ended with an error, else 0.
int KeeperMain();
