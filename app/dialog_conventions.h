#pragma once
// What every settings dialog shares: the Help button, holding the animation
// while it is open, and the one rule for the numbers it stores.
#include <optional>
#include <string_view>

#include "platform/ui/dialog.h"

inline constexpr int kDialogHelpButton = 9;

// A dialog whose Help button (9) opens its manual topic (help_topic::kNone:
// the button does nothing). Derived tables chain to this one.
class HelpDialog : public platform::ui::Dialog {
public:
    HelpDialog(platform::ui::Window* parent, int templateId, int helpTopic);
    KESTRUNE_RESPONSE_TABLE(HelpDialog);
    int helpTopic() const { return helpTopic_; }

protected:
    virtual void CmHelp();

private:
    void CmHelpEntry() { CmHelp(); }
    int helpTopic_;
};

// Holds the animation (gPaused) while it lives and puts back what it found;
// KeepPaused leaves it held (a file handed to the text editor).
class PauseForDialog {
public:
    PauseForDialog();
    ~PauseForDialog();
    PauseForDialog(const PauseForDialog&) = delete;
    PauseForDialog& operator=(const PauseForDialog&) = delete;
    void KeepPaused() { restore_ = false; }
    bool wasPaused() const { return saved_; }

private:
    bool saved_;
    bool restore_ = true;
};

// The range a reader of the view or configuration file accepts for a value.
// An open low end (slopes > 0) is never stored.
struct FieldRange {
    double low;
    double high;
    bool lowOpen = false;
};

// The leading number of a field as atof reads it (blanks, sign, digits,
// fraction, exponent), without the locale; nullopt when there is none, or
// when it is not finite.
std::optional<double> LeadingNumber(std::string_view text);

// The one rule for a number a dialog stores: the leading number held inside
// the range; no number (or one at an open low end) gives the fallback, which
// is the reader's default or the old value, never a 0 a later division meets.
double DialogValue(std::string_view text, FieldRange range, double fallback);
// The same for whole numbers: the leading number's whole part, held in range.
int DialogInt(std::string_view text, int low, int high, int fallback);
