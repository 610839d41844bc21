#include "platform/ui/controls.h"

#include <algorithm>
#include <cctype>

#include "platform/ui/backend.h"

namespace platform::ui {

Control::Control(Window* parent, ControlKind kind, int id, std::string text, std::uint32_t controlStyle, const Rect& r)
    : Window(parent, std::move(text)), kind_(kind), controlStyle_(controlStyle) {
    SetId(id);
    MoveWindow(r);
    if (controlStyle & ctl::kHidden) ModifyStyle(style::kVisible, 0);
    if (controlStyle & ctl::kDisabled) ModifyStyle(0, style::kDisabled);
}

void Control::SetText(std::string_view text) {
    SetCaption(text);
    Changed();
}

void Control::Changed() {
    if (peer()) peer()->ControlChanged();
}

Notification Control::NotifyParent(NotifyCode code, int delta) {
    Notification n{id(), code, delta, false};
    if (parent()) parent()->Notify(n);
    return n;
}

void Control::CommandParent() {
    if (parent() && enabled()) parent()->SendCommand(id());
}

void Button::Click() { CommandParent(); }

void CheckBox::SetCheck(bool on) {
    checked_ = on;
    Changed();
}

std::vector<CheckBox*> CheckBox::Group() {
    std::vector<CheckBox*> group;
    if (!parent()) return {this};
    for (Window* w : parent()->children()) {
        auto* box = dynamic_cast<CheckBox*>(w);
        if (!box || box->kind() != ControlKind::RadioButton) continue;
        if (box->controlStyle() & ctl::kGroup) {
            if (std::find(group.begin(), group.end(), this) != group.end()) break;
            group.clear();
        }
        group.push_back(box);
    }
    return group;
}

void CheckBox::Click() {
    if (!enabled()) return;
    if (kind() == ControlKind::RadioButton) {
        for (CheckBox* other : Group()) {
            if (other != this && other->checked_) other->SetCheck(false);
        }
        SetCheck(true);
    } else {
        SetCheck(!checked_);
    }
    CommandParent();
}

void Edit::SetSelection(std::size_t start, std::size_t end) {
    const std::size_t n = text().size();
    selStart_ = std::min(start, n);
    selEnd_ = std::clamp(end, selStart_, n);
    Changed();
}

std::string Edit::SelectedText() const {
    const std::size_t n = text().size();
    const std::size_t s = std::min(selStart_, n), e = std::clamp(selEnd_, s, n);
    return text().substr(s, e - s);
}

void Edit::UserType(std::string_view typed) {
    std::string add(typed);
    if (controlStyle() & ctl::kUpperCase) {
        for (char& c : add) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    std::string t = text();
    const std::size_t s = std::min(selStart_, t.size()), e = std::clamp(selEnd_, s, t.size());
    t.replace(s, e - s, add);
    if (limit_ && t.size() > limit_) t.resize(limit_);
    SetCaption(t);
    selStart_ = selEnd_ = std::min(s + add.size(), t.size());
    Changed();
    NotifyParent(NotifyCode::TextChanged);
}

void Edit::UserSetText(std::string_view text) { UserSetText(text, selEnd_); }

void Edit::UserSetText(std::string_view text, std::size_t caret) {
    // Before the caption: its change shows the model's caret on the display.
    selStart_ = selEnd_ = std::min(caret, text.size());
    SetCaption(text);
    NotifyParent(NotifyCode::TextChanged);
}

int ListBox::AddString(std::string_view s) {
    if (controlStyle() & ctl::kSorted) {
        auto it = std::upper_bound(lines_.begin(), lines_.end(), s,
                                   [](std::string_view v, const Line& l) { return v < l.text; });
        return InsertString(s, static_cast<int>(it - lines_.begin()));
    }
    return InsertString(s, -1);
}

int ListBox::InsertString(std::string_view s, int index) {
    if (index < 0 || index > count()) index = count();
    lines_.insert(lines_.begin() + index, Line{std::string(s), false});
    Changed();
    return index;
}

bool ListBox::DeleteString(int index) {
    if (index < 0 || index >= count()) return false;
    lines_.erase(lines_.begin() + index);
    Changed();
    return true;
}

void ListBox::ClearList() {
    lines_.clear();
    top_ = 0;
    Changed();
}

std::string ListBox::String(int index) const {
    return index >= 0 && index < count() ? lines_[static_cast<std::size_t>(index)].text : std::string();
}

int ListBox::selIndex() const {
    for (int i = 0; i < count(); ++i) {
        if (lines_[static_cast<std::size_t>(i)].selected) return i;
    }
    return -1;
}

void ListBox::SetSelIndex(int index) {
    for (int i = 0; i < count(); ++i) lines_[static_cast<std::size_t>(i)].selected = i == index;
    if (kind() == ControlKind::ComboBox && index >= 0 && index < count()) SetCaption(String(index));
    Changed();
}

bool ListBox::selected(int index) const {
    return index >= 0 && index < count() && lines_[static_cast<std::size_t>(index)].selected;
}

void ListBox::SetSel(int index, bool on) {
    if (index < 0 || index >= count()) return;
    if (!(controlStyle() & ctl::kMultiSelect)) {
        SetSelIndex(on ? index : -1);
        return;
    }
    lines_[static_cast<std::size_t>(index)].selected = on;
    Changed();
}

std::vector<int> ListBox::selIndexes() const {
    std::vector<int> out;
    for (int i = 0; i < count(); ++i) {
        if (lines_[static_cast<std::size_t>(i)].selected) out.push_back(i);
    }
    return out;
}

void ListBox::SetTopIndex(int index) {
    top_ = std::clamp(index, 0, std::max(count() - 1, 0));
    Changed();
}

void ListBox::UserClick(int index) {
    if (index < 0 || index >= count() || !enabled()) return;
    if (controlStyle() & ctl::kMultiSelect) SetSel(index, !selected(index));
    else SetSelIndex(index);
    NotifyParent(NotifyCode::SelectionChanged);
}

void ListBox::UserDoubleClick(int index) {
    UserClick(index);
    if (controlStyle() & ctl::kNotify || kind() == ControlKind::ComboBox) NotifyParent(NotifyCode::DoubleClicked);
}

void ComboBox::UserSetText(std::string_view text) {
    SetCaption(text);
    NotifyParent(NotifyCode::TextChanged);
}

void ScrollBar::SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    pos_ = std::clamp(pos_, min_, max_);
    Changed();
}

void ScrollBar::SetPosition(int pos) {
    pos_ = std::clamp(pos, min_, max_);
    Changed();
}

void ScrollBar::UserScroll(ScrollAction action, int thumb) {
    switch (action) {
        case ScrollAction::LineUp: SetPosition(pos_ - 1); break;
        case ScrollAction::LineDown: SetPosition(pos_ + 1); break;
        case ScrollAction::PageUp: SetPosition(pos_ - page_); break;
        case ScrollAction::PageDown: SetPosition(pos_ + page_); break;
        case ScrollAction::Thumb: SetPosition(thumb); break;
        case ScrollAction::Top: SetPosition(min_); break;
        case ScrollAction::Bottom: SetPosition(max_); break;
    }
    NotifyParent(NotifyCode::Scrolled);
}

void UpDown::SetPosition(int pos) {
    pos_ = pos;
    Changed();
}

void UpDown::UserSpin(int delta) {
    if (!enabled()) return;
    if (NotifyParent(NotifyCode::Spin, delta).refuse) return;
    SetPosition(std::clamp(pos_ + delta, std::min(low_, high_), std::max(low_, high_)));
}

void DateTimePicker::SetFormat(std::string format) {
    format_ = std::move(format);
    Changed();
}

void DateTimePicker::SetTime(const CivilTime& t) {
    time_ = t;
    Changed();
}

void DateTimePicker::UserSetTime(const CivilTime& t) {
    time_ = t;
    NotifyParent(NotifyCode::DateChanged);
}

}  // namespace platform::ui
