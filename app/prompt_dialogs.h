#pragma once
// Two small prompts: a one-line text and a whole-number magnitude with a spin.
#include <cstddef>
#include <string>

#include "app/dialog_conventions.h"
#include "platform/ui/dialog.h"

inline constexpr int kInputDialogTemplate = 32516;
inline constexpr int kMagnitudeDialogTemplate = 10;

// A one-line text prompt. buffer is the caller's text (in, and out at OK;
// Cancel leaves it). maxChars is the field's limit: the edit takes no more,
// and the text read back is cut to it. It has no Help button.
class inputDialog : public platform::ui::Dialog {
public:
    static constexpr std::size_t kMaxText = 46;

    inputDialog(platform::ui::Window* parent, int templateId, std::string& buffer, std::string caption,
                std::string prompt = {}, std::size_t maxChars = kMaxText);
    std::size_t maxChars() const { return maxChars_; }

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    std::string& buffer_;
    std::string caption_, prompt_;
    std::size_t maxChars_;
};

// One magnitude setting: shown as its whole part, read back from the first
// three characters typed.
class magDialog : public HelpDialog {
public:
    magDialog(platform::ui::Window* parent, int templateId, double* setting, std::string prompt);
    KESTRUNE_RESPONSE_TABLE(magDialog);

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    void EvSpin(platform::ui::Notification& n);

    double* setting_;
    int whole_;
    std::string prompt_;
};

// The pause at the end of a period, asked for and stored: OK writes
// SECONDS TO PAUSE AT END into the configuration file of that build. The
// animation holds while it is asked. A negative number is refused with a
// message and the old value kept. True when a value was stored.
enum class ConfigBuild;
bool PromptPauseAtEnd(platform::ui::Window* parent, ConfigBuild build);

// Registers the two templates; again is harmless.
void RegisterPromptTemplates();
