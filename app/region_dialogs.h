#pragma once
// Where and when a view plays: the map box, the template search box and
// ranges, the animated period with the current time and the loop spans, and
// the start of the period alone from the control panel. Every field is read
// and checked first; only then is anything stored, so a refused field or
// Cancel changes nothing.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/timevalue.h"
#include "platform/sys/clock.h"
#include "platform/ui/dialog.h"

inline constexpr int kDateDialogTemplate = 3;
inline constexpr int kLatLonDialogTemplate = 9;
inline constexpr int kTemplateBoxDialogTemplate = 12;
inline constexpr int kInitialDateDialogTemplate = 32515;

// ---- the arithmetic, apart from the windows

// The leading number of a field as the C library reads it; none when the
// text begins with no number (or with one that is not finite).
std::optional<double> FieldNumber(std::string_view text);

// A time as the pickers show it: the stored time plus the display offset.
platform::CivilTime DisplayTime(TimeValue stored, TimeValue offset);
// The stored time of a picker's time; the seconds are dropped when asked.
TimeValue StoredTime(const platform::CivilTime& shown, TimeValue offset, bool withSeconds = true);
// The calendar date and minute of day of a stored time.
PackedDate DateOf(TimeValue t);
int MinuteOfDay(TimeValue t);

// A box of latitudes and longitudes (degrees); the text of the first fault,
// empty when the box can be drawn.
struct LatLonBox {
    double north = 0, south = 0, west = 0, east = 0;
};
std::string CheckLatLonBox(const LatLonBox& box, std::string_view northName, std::string_view southName);

// One number edit of a dialog: what it shows, the setting it fills, the
// limits its setting may take. A field whose text was left as shown keeps the
// setting's exact value, so OK on an untouched dialog changes nothing.
struct NumberField {
    int id;
    const char* label;
    double low, high;
    double* setting;
    std::string shown;
    double value = 0;  // after Read
};

// Shared by the modal dialogs here: refusal and the help button.
class SettingsDialog : public platform::ui::Dialog {
public:
    SettingsDialog(platform::ui::Window* parent, int templateId, int helpTopic);
    KESTRUNE_RESPONSE_TABLE(SettingsDialog);

protected:
    // A click on one of its own controls ends here, as it would in a dialog of
    // the platform: its id may be a command of the frame behind it.
    bool EvCommand(int id) override;
    // A message naming the field; the dialog stays open.
    void Refuse(const std::string& text);
    // Shows the setting in the edit with "%.9lg".
    void ShowNumber(NumberField& f);
    // False (after the refusal) when the text is no number.
    bool ReadNumber(NumberField& f, std::size_t maxChars);

private:
    void CmHelp();
    int helpTopic_;
};

// A box of north, south, west and east edges (the first four fields), and
// whatever more fields follow them.
class BoxDialog : public SettingsDialog {
public:
    BoxDialog(platform::ui::Window* parent, int templateId, std::vector<NumberField> fields);

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    std::vector<NumberField> fields_;
};

class latlonDialog : public BoxDialog {
public:
    latlonDialog(platform::ui::Window* parent, int templateId);
};

class TlatlonDialog : public BoxDialog {
public:
    TlatlonDialog(platform::ui::Window* parent, int templateId);
};

class dateDialog : public SettingsDialog {
public:
    dateDialog(platform::ui::Window* parent, int templateId);

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    platform::CivilTime shownStart_, shownCurrent_, shownEnd_;
    std::string shownDays_, shownMinutes_;
};

class initDateDialog : public SettingsDialog {
public:
    initDateDialog(platform::ui::Window* parent, int templateId);

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    platform::CivilTime shown_;
};

// Registers templates 3, 9, 12 and 32515; again is harmless.
void RegisterRegionDialogTemplates();
