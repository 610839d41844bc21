#pragma once
// Two small prompts: a one-line text and a whole-number magnitude with a spin.
#include <cstddef>
#include <string>

#include "platform/ui/dialog.h"

inline constexpr int kInputDialogTemplate = 32516;
inline constexpr int kMagnitudeDialogTemplate = 10;
inline constexpr int kDialogHelpButton = 9;

// A one-line text prompt. buffer is the caller's text (in, and out at OK);
// bufferSize is the room the caller has, terminator included: the text read
// back is cut to it as well as to the edit's 46 characters.
class inputDialog : public platform::ui::Dialog {
public:
    static constexpr std::size_t kMaxText = 46;

    inputDialog(platform::ui::Window* parent, int templateId, std::string& buffer, std::string caption,
                std::string prompt = {}, std::size_t bufferSize = kMaxText + 1);

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    std::string& buffer_;
    std::string caption_, prompt_;
    std::size_t bufferSize_;
};

// One magnitude setting: shown as its whole part, read back from the first
// three characters typed.
class magDialog : public platform::ui::Dialog {
public:
    magDialog(platform::ui::Window* parent, int templateId, double* setting, std::string prompt);
    KESTRUNE_RESPONSE_TABLE(magDialog);

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    void EvSpin(platform::ui::Notification& n);
    void CmHelp();

    double* setting_;
    int whole_;
    std::string prompt_;
};

// Registers the two templates; again is harmless.
void RegisterPromptTemplates();
