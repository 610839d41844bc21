#pragma once
// The common controls as child windows that keep their own state, so that a
// dialog behaves the same with or without a display: the backend shows the
// state, and the user's actions (or a test's) go through the User* calls.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/clock.h"
#include "platform/ui/window.h"

namespace platform::ui {

enum class ControlKind {
    Button, DefaultButton, CheckBox, RadioButton, GroupBox, Static, Edit,
    ListBox, ComboBox, ScrollBar, Slider, UpDown, DateTimePicker,
};

// Control style bits of dialog items.
namespace ctl {
inline constexpr std::uint32_t kMultiLine = 1u << 0;
inline constexpr std::uint32_t kReadOnly = 1u << 1;
inline constexpr std::uint32_t kUpperCase = 1u << 2;
inline constexpr std::uint32_t kPassword = 1u << 3;
inline constexpr std::uint32_t kMultiSelect = 1u << 4;  // list box: clicks toggle lines
inline constexpr std::uint32_t kNotify = 1u << 5;       // list box: reports double clicks
inline constexpr std::uint32_t kSorted = 1u << 6;
inline constexpr std::uint32_t kVertical = 1u << 7;     // scroll bar
inline constexpr std::uint32_t kDropDownList = 1u << 8; // combo box without an edit
inline constexpr std::uint32_t kGroup = 1u << 9;        // first of a group of radio buttons
inline constexpr std::uint32_t kHidden = 1u << 10;
inline constexpr std::uint32_t kDisabled = 1u << 11;
inline constexpr std::uint32_t kVScroll = 1u << 12;
inline constexpr std::uint32_t kFixedPitch = 1u << 13;  // text in a fixed-pitch face, so columns line up
}  // namespace ctl

class Control : public Window {
public:
    Control(Window* parent, ControlKind kind, int id, std::string text, std::uint32_t controlStyle, const Rect& r);
    ControlKind kind() const { return kind_; }
    std::uint32_t controlStyle() const { return controlStyle_; }
    const std::string& text() const { return caption(); }
    void SetText(std::string_view text);

protected:
    // The model changed: the backend shows it.
    void Changed();
    // Sends the notification to the parent and returns it (with refuse).
    Notification NotifyParent(NotifyCode code, int delta = 0);
    void CommandParent();

private:
    ControlKind kind_;
    std::uint32_t controlStyle_;
};

class Button : public Control {
public:
    using Control::Control;
    // The user pressed it: the parent gets the command.
    void Click();
};

// Check boxes and radio buttons.
class CheckBox : public Control {
public:
    using Control::Control;
    bool checked() const { return checked_; }
    void SetCheck(bool on);
    // A check box toggles, a radio button takes the check from its group; then
    // the parent gets the command.
    void Click();

private:
    std::vector<CheckBox*> Group();
    bool checked_ = false;
};

// What a check box with this caption takes in the toolkit: its box, the gap
// and the whole caption across, and the toolkit's least height down. Layouts
// give check boxes at least this, so no toolkit squeezes or clips one.
Size CheckBoxSize(std::string_view caption);

class Static : public Control {
public:
    using Control::Control;
};

class Edit : public Control {
public:
    using Control::Control;
    // At most maxChars characters of the text.
    std::string Text(std::size_t maxChars) const { return text().substr(0, maxChars); }
    // Typed text longer than the limit is cut; 0 means no limit.
    void SetTextLimit(std::size_t limit) { limit_ = limit; }
    std::size_t textLimit() const { return limit_; }
    // [start, end) in characters, clamped to the text.
    void SetSelection(std::size_t start, std::size_t end);
    std::size_t selectionStart() const { return selStart_; }
    std::size_t selectionEnd() const { return selEnd_; }
    std::string SelectedText() const;
    // The user replaces the selection with typed text (upper-cased for kUpperCase).
    void UserType(std::string_view typed);
    // The user's whole new text, as the backend reports it; the caret stays
    // where it was, or goes where the backend says it is now.
    void UserSetText(std::string_view text);
    void UserSetText(std::string_view text, std::size_t caret);

private:
    std::size_t limit_ = 0;
    std::size_t selStart_ = 0;
    std::size_t selEnd_ = 0;
};

class ListBox : public Control {
public:
    using Control::Control;
    // The index it went to (kSorted keeps the lines in order).
    int AddString(std::string_view s);
    // index -1 or past the end appends.
    int InsertString(std::string_view s, int index);
    bool DeleteString(int index);
    void ClearList();
    int count() const { return static_cast<int>(lines_.size()); }
    // Empty outside the list.
    std::string String(int index) const;

    // Single selection: the selected line or -1; -1 clears.
    int selIndex() const;
    void SetSelIndex(int index);
    // Multiple selection (kMultiSelect).
    bool selected(int index) const;
    void SetSel(int index, bool on);
    std::vector<int> selIndexes() const;

    int topIndex() const { return top_; }
    void SetTopIndex(int index);
    // Pixels per line; the page length is the height over it.
    int itemHeight() const { return itemHeight_; }
    void SetItemHeight(int h) { itemHeight_ = h > 0 ? h : 1; }

    // The user clicks a line: selects it (toggles it with kMultiSelect).
    void UserClick(int index);
    void UserDoubleClick(int index);

private:
    struct Line {
        std::string text;
        bool selected = false;
    };
    std::vector<Line> lines_;
    int top_ = 0;
    int itemHeight_ = 13;
};

class ComboBox : public ListBox {
public:
    using ListBox::ListBox;
    // The edit part follows the selection; typing sets the text alone.
    void UserSetText(std::string_view text);
};

enum class ScrollAction { LineUp, LineDown, PageUp, PageDown, Thumb, Top, Bottom };

// Scroll bars and sliders.
class ScrollBar : public Control {
public:
    using Control::Control;
    void SetRange(int min, int max);
    int minimum() const { return min_; }
    int maximum() const { return max_; }
    int position() const { return pos_; }
    // Clamped to the range.
    void SetPosition(int pos);
    void SetPageSize(int page) { page_ = page > 0 ? page : 1; }
    int pageSize() const { return page_; }
    void SetTicGap(int gap) { ticGap_ = gap; }
    int ticGap() const { return ticGap_; }
    // Moves as the user asked, then tells the parent.
    void UserScroll(ScrollAction action, int thumb = 0);

private:
    int min_ = 0;
    int max_ = 100;
    int pos_ = 0;
    int page_ = 10;
    int ticGap_ = 0;
};

class UpDown : public Control {
public:
    using Control::Control;
    void SetRange(int low, int high) { low_ = low, high_ = high; }
    int low() const { return low_; }
    int high() const { return high_; }
    int position() const { return pos_; }
    // Taken as given, even outside the range.
    void SetPosition(int pos);
    // The parent hears of the step first; unless it refuses, the position
    // moves by it within the range.
    void UserSpin(int delta);

private:
    int low_ = 0;
    int high_ = 100;
    int pos_ = 0;
};

class DateTimePicker : public Control {
public:
    using Control::Control;
    void SetFormat(std::string format);
    const std::string& format() const { return format_; }
    const CivilTime& time() const { return time_; }
    void SetTime(const CivilTime& t);
    void UserSetTime(const CivilTime& t);

private:
    std::string format_ = "yyyy/MM/dd HH:mm:ss";
    CivilTime time_{};
};

}  // namespace platform::ui
