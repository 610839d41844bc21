// Native controls that mirror the layer's control models.
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/spinbutt.h>
#include <wx/timectrl.h>

#include <algorithm>

#include "platform/ui/controls.h"
#include "platform/ui/wx/wx_internal.h"

namespace platform::ui {
using namespace wxbackend;
namespace {

wxDateTime ToWxTime(const CivilTime& t) {
    if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1) return wxDateTime::Now();
    return wxDateTime(static_cast<wxDateTime::wxDateTime_t>(t.day), static_cast<wxDateTime::Month>(t.month - 1),
                      t.year, static_cast<wxDateTime::wxDateTime_t>(t.hour),
                      static_cast<wxDateTime::wxDateTime_t>(t.minute), static_cast<wxDateTime::wxDateTime_t>(t.second));
}

// A native control showing the state of its control model.
class ControlPeer final : public WxPeer {
public:
    ControlPeer(Control& c, wxWindow* parent) : WxPeer(c), control_(c) {
        const wxRect r = ToWx(c.rect());
        const wxPoint pos = r.GetPosition();
        const wxSize size = r.GetSize();
        const std::uint32_t cs = c.controlStyle();
        switch (c.kind()) {
            case ControlKind::Button:
            case ControlKind::DefaultButton: {
                auto* b = new wxButton(parent, wxID_ANY, Text(c.text()), pos, size);
                if (c.kind() == ControlKind::DefaultButton) b->SetDefault();
                b->Bind(wxEVT_BUTTON, Guard<wxCommandEvent>([this](wxCommandEvent&) {
                    PullSelections();
                    Later([this] { static_cast<Button&>(control_).Click(); });
                }));
                native_ = b;
                break;
            }
            case ControlKind::CheckBox: {
                auto* b = new wxCheckBox(parent, wxID_ANY, Text(c.text()), pos, size);
                b->Bind(wxEVT_CHECKBOX, Guard<wxCommandEvent>([this](wxCommandEvent&) {
                    Later([this] { static_cast<CheckBox&>(control_).Click(); });
                }));
                native_ = b;
                break;
            }
            case ControlKind::RadioButton: {
                auto* b = new wxRadioButton(parent, wxID_ANY, Text(c.text()), pos, size,
                                            (cs & ctl::kGroup) ? wxRB_GROUP : 0);
                b->Bind(wxEVT_RADIOBUTTON, Guard<wxCommandEvent>([this](wxCommandEvent&) {
                    Later([this] { static_cast<CheckBox&>(control_).Click(); });
                }));
                native_ = b;
                break;
            }
            case ControlKind::GroupBox: native_ = new wxStaticBox(parent, wxID_ANY, Text(c.text()), pos, size); break;
            case ControlKind::Static: native_ = new wxStaticText(parent, wxID_ANY, Text(c.text()), pos, size); break;
            case ControlKind::Edit: {
                long style = 0;
                if (cs & ctl::kMultiLine) style |= wxTE_MULTILINE;
                if (cs & ctl::kReadOnly) style |= wxTE_READONLY;
                if (cs & ctl::kPassword) style |= wxTE_PASSWORD;
                auto* t = new wxTextCtrl(parent, wxID_ANY, Text(c.text()), pos, size, style);
                if (cs & ctl::kUpperCase) t->ForceUpper();
                t->Bind(wxEVT_TEXT, Guard<wxCommandEvent>([this, t](wxCommandEvent&) {
                    if (!syncing_)
                        static_cast<Edit&>(control_).UserSetText(Ansi(t->GetValue()),
                                                                 static_cast<std::size_t>(t->GetInsertionPoint()));
                }));
                native_ = t;
                break;
            }
            case ControlKind::ListBox: {
                auto* l = new wxListBox(parent, wxID_ANY, pos, size, 0, nullptr,
                                        (cs & ctl::kMultiSelect) ? wxLB_MULTIPLE : wxLB_SINGLE);
                l->Bind(wxEVT_LISTBOX, Guard<wxCommandEvent>([this](wxCommandEvent& e) {
                    const int i = e.GetSelection();
                    if (!syncing_) Later([this, i] { static_cast<ListBox&>(control_).UserClick(i); });
                }));
                l->Bind(wxEVT_LISTBOX_DCLICK, Guard<wxCommandEvent>([this](wxCommandEvent& e) {
                    const int i = e.GetSelection();
                    Later([this, i] { static_cast<ListBox&>(control_).UserDoubleClick(i); });
                }));
                native_ = l;
                break;
            }
            case ControlKind::ComboBox: {
                auto* b = new wxComboBox(parent, wxID_ANY, Text(c.text()), pos, size, 0, nullptr,
                                         (cs & ctl::kDropDownList) ? wxCB_READONLY : wxCB_DROPDOWN);
                b->Bind(wxEVT_COMBOBOX, Guard<wxCommandEvent>([this](wxCommandEvent& e) {
                    const int i = e.GetSelection();
                    Later([this, i] { static_cast<ListBox&>(control_).UserClick(i); });
                }));
                b->Bind(wxEVT_TEXT, Guard<wxCommandEvent>([this, b](wxCommandEvent&) {
                    if (!syncing_) static_cast<ComboBox&>(control_).UserSetText(Ansi(b->GetValue()));
                }));
                native_ = b;
                break;
            }
            case ControlKind::ScrollBar: {
                auto* s = new wxScrollBar(parent, wxID_ANY, pos, size, (cs & ctl::kVertical) ? wxSB_VERTICAL : wxSB_HORIZONTAL);
                auto scroll = [this, s](ScrollAction a) {
                    return Guard<wxScrollEvent>([this, s, a](wxScrollEvent&) {
                        const int thumb = s->GetThumbPosition();
                        Later([this, a, thumb] {
                            auto& bar = static_cast<ScrollBar&>(control_);
                            bar.UserScroll(a, thumb + bar.minimum());
                        });
                    });
                };
                s->Bind(wxEVT_SCROLL_LINEUP, scroll(ScrollAction::LineUp));
                s->Bind(wxEVT_SCROLL_LINEDOWN, scroll(ScrollAction::LineDown));
                s->Bind(wxEVT_SCROLL_PAGEUP, scroll(ScrollAction::PageUp));
                s->Bind(wxEVT_SCROLL_PAGEDOWN, scroll(ScrollAction::PageDown));
                s->Bind(wxEVT_SCROLL_THUMBRELEASE, scroll(ScrollAction::Thumb));
                s->Bind(wxEVT_SCROLL_TOP, scroll(ScrollAction::Top));
                s->Bind(wxEVT_SCROLL_BOTTOM, scroll(ScrollAction::Bottom));
                native_ = s;
                break;
            }
            case ControlKind::Slider: {
                auto* s = new wxSlider(parent, wxID_ANY, 0, 0, 100, pos, size, wxSL_HORIZONTAL);
                s->Bind(wxEVT_SLIDER, Guard<wxCommandEvent>([this, s](wxCommandEvent&) {
                    const int v = s->GetValue();
                    if (!syncing_) Later([this, v] { static_cast<ScrollBar&>(control_).UserScroll(ScrollAction::Thumb, v); });
                }));
                native_ = s;
                break;
            }
            case ControlKind::UpDown: {
                auto* s = new wxSpinButton(parent, wxID_ANY, pos, wxDefaultSize, wxSP_VERTICAL | wxSP_ARROW_KEYS);
                s->SetSize(wxSize(std::max(size.x, s->GetBestSize().x), std::max(size.y, s->GetBestSize().y)));
                auto spin = [this](int delta) {
                    return Guard<wxSpinEvent>([this, delta](wxSpinEvent& e) {
                        e.Veto();  // the model moves; the native follows it
                        Later([this, delta] { static_cast<UpDown&>(control_).UserSpin(delta); });
                    });
                };
                s->Bind(wxEVT_SPIN_UP, spin(+1));
                s->Bind(wxEVT_SPIN_DOWN, spin(-1));
                native_ = s;
                break;
            }
            case ControlKind::DateTimePicker: {
                date_ = new wxDatePickerCtrl(parent, wxID_ANY, wxDefaultDateTime, pos, wxDefaultSize);
                time_ = new wxTimePickerCtrl(parent, wxID_ANY, wxDefaultDateTime, pos, wxDefaultSize);
                PlacePicker(pos.x, pos.y, size.x, size.y);
                auto changed = [this] {
                    return Guard<wxDateEvent>([this](wxDateEvent&) {
                        if (syncing_) return;
                        const wxDateTime d = date_->GetValue(), t = time_->GetValue();
                        CivilTime ct{d.GetYear(), static_cast<int>(d.GetMonth()) + 1, d.GetDay(),
                                     t.GetHour(), t.GetMinute(), t.GetSecond(), 0};
                        Later([this, ct] { static_cast<DateTimePicker&>(control_).UserSetTime(ct); });
                    });
                };
                date_->Bind(wxEVT_DATE_CHANGED, changed());
                time_->Bind(wxEVT_TIME_CHANGED, changed());
                native_ = date_;
                break;
            }
        }
        if (cs & ctl::kFixedPitch) {
            native_->SetFont(wxFont(wxFontInfo(10).Family(wxFONTFAMILY_TELETYPE)));
            // The model's page length follows the rows the native list really has.
            if (c.kind() == ControlKind::ListBox) static_cast<ListBox&>(c).SetItemHeight(native_->GetCharHeight() + 8);
        }
        native_->Hide();
        if (time_) time_->Hide();
        Sync();
    }
    ~ControlPeer() override {
        Retire(native_);
        if (time_) Retire(time_);
    }

    wxWindow* container() override { return native_; }
    wxWindow* native() override { return native_; }
    void Show(bool visible) override {
        native_->Show(visible);
        if (time_) time_->Show(visible);
    }
    void Move(const Rect& r) override {
        if (!time_) {
            native_->SetSize(ToWx(r));
            return;
        }
        PlacePicker(r.left, r.top, r.width(), r.height());
    }
    // The time part's spin buttons take much of its width: it gets what it
    // needs to show its text, the date the rest.
    void PlacePicker(int x, int y, int width, int height) {
        const int timeWidth = std::clamp(time_->GetBestSize().x, width * 3 / 5, width * 2 / 3);
        date_->SetSize(x, y, width - timeWidth, height);
        time_->SetSize(x + width - timeWidth, y, timeWidth, height);
    }
    void Enable(bool on) override {
        native_->Enable(on);
        if (time_) time_->Enable(on);
    }
    void SetCaption(std::string_view) override { Sync(); }
    void ControlChanged() override { Sync(); }

    Control& control() const { return control_; }
    // Selections change without events: read them before a button acts.
    void PullSelection() {
        if (control_.kind() != ControlKind::Edit) return;
        long from = 0, to = 0;
        static_cast<wxTextCtrl*>(native_)->GetSelection(&from, &to);
        syncing_ = true;
        static_cast<Edit&>(control_).SetSelection(static_cast<std::size_t>(from), static_cast<std::size_t>(to));
        syncing_ = false;
    }

private:
    void PullSelections();

    void Sync() {
        if (syncing_) return;
        syncing_ = true;
        switch (control_.kind()) {
            case ControlKind::Button:
            case ControlKind::DefaultButton:
            case ControlKind::GroupBox:
            case ControlKind::Static: native_->SetLabel(Text(control_.text())); break;
            case ControlKind::CheckBox: {
                auto* b = static_cast<wxCheckBox*>(native_);
                b->SetLabel(Text(control_.text()));
                b->SetValue(static_cast<CheckBox&>(control_).checked());
                break;
            }
            case ControlKind::RadioButton: {
                auto* b = static_cast<wxRadioButton*>(native_);
                b->SetLabel(Text(control_.text()));
                if (static_cast<CheckBox&>(control_).checked()) b->SetValue(true);
                break;
            }
            case ControlKind::Edit: {
                auto* t = static_cast<wxTextCtrl*>(native_);
                auto& e = static_cast<Edit&>(control_);
                if (Ansi(t->GetValue()) != e.text()) t->ChangeValue(Text(e.text()));
                if (e.textLimit()) t->SetMaxLength(static_cast<unsigned long>(e.textLimit()));
                t->SetSelection(static_cast<long>(e.selectionStart()), static_cast<long>(e.selectionEnd()));
                break;
            }
            case ControlKind::ListBox:
            case ControlKind::ComboBox: {
                auto* items = dynamic_cast<wxItemContainer*>(native_);
                auto& l = static_cast<ListBox&>(control_);
                wxArrayString lines;
                for (int i = 0; i < l.count(); ++i) lines.Add(Text(l.String(i)));
                bool same = static_cast<int>(items->GetCount()) == l.count();
                for (int i = 0; same && i < l.count(); ++i) same = items->GetString(static_cast<unsigned>(i)) == lines[static_cast<std::size_t>(i)];
                if (!same) items->Set(lines);
                if (auto* list = dynamic_cast<wxListBox*>(native_)) {
                    for (int i = 0; i < l.count(); ++i) {
                        if (list->IsSelected(i) != l.selected(i)) {
                            if (l.selected(i)) list->SetSelection(i);
                            else list->Deselect(i);
                        }
                    }
                    if (l.count() > 0) list->SetFirstItem(std::min(l.topIndex(), l.count() - 1));
                } else if (auto* combo = dynamic_cast<wxComboBox*>(native_)) {
                    if (l.selIndex() >= 0) combo->SetSelection(l.selIndex());
                    if (!(l.controlStyle() & ctl::kDropDownList)) combo->ChangeValue(Text(l.text()));
                }
                break;
            }
            case ControlKind::ScrollBar: {
                auto& b = static_cast<ScrollBar&>(control_);
                static_cast<wxScrollBar*>(native_)->SetScrollbar(b.position() - b.minimum(), 1,
                                                                  b.maximum() - b.minimum() + 1, b.pageSize());
                break;
            }
            case ControlKind::Slider: {
                auto& b = static_cast<ScrollBar&>(control_);
                auto* s = static_cast<wxSlider*>(native_);
                s->SetRange(b.minimum(), b.maximum());
                s->SetValue(b.position());
                break;
            }
            case ControlKind::UpDown: {
                auto& u = static_cast<UpDown&>(control_);
                auto* s = static_cast<wxSpinButton*>(native_);
                s->SetRange(std::min(u.low(), u.high()), std::max(u.low(), u.high()));
                s->SetValue(std::clamp(u.position(), std::min(u.low(), u.high()), std::max(u.low(), u.high())));
                break;
            }
            case ControlKind::DateTimePicker: {
                const wxDateTime t = ToWxTime(static_cast<DateTimePicker&>(control_).time());
                date_->SetValue(t);
                time_->SetValue(t);
                break;
            }
        }
        syncing_ = false;
    }

    Control& control_;
    wxWindow* native_ = nullptr;
    wxDatePickerCtrl* date_ = nullptr;
    wxTimePickerCtrl* time_ = nullptr;
    bool syncing_ = false;
};

void ControlPeer::PullSelections() {
    if (!control_.parent()) return;
    for (Window* sibling : control_.parent()->children()) {
        if (auto* p = dynamic_cast<ControlPeer*>(sibling->peer())) p->PullSelection();
    }
}

}  // namespace

std::unique_ptr<WxPeer> wxbackend::MakeControlPeer(Control& c, wxWindow* parent) {
    return std::make_unique<ControlPeer>(c, parent);
}

// Measured on a scratch check box: the toolkit's own idea of what it needs.
Size CheckBoxSize(std::string_view caption) {
    EnsureStarted();
    if (!Started()) return {0, 0};
    wxWindow* owner = wxTheApp->GetTopWindow();
    wxFrame* scratch = owner ? nullptr : new wxFrame(nullptr, wxID_ANY, wxString());
    auto* box = new wxCheckBox(owner ? owner : scratch, wxID_ANY, Text(caption));
    box->Hide();
    const wxSize best = box->GetBestSize();
    delete box;
    if (scratch) scratch->Destroy();
    return {best.x, best.y};
}

}  // namespace platform::ui
