#include "platform/ui/dialog.h"

#include <map>
#include <memory>

#include "platform/ui/backend.h"

namespace platform::ui {
namespace {

std::map<int, DialogTemplate>& Templates() {
    static std::map<int, DialogTemplate> t;
    return t;
}

Control* MakeControl(Window* parent, const DialogItem& item, const Rect& r) {
    switch (item.kind) {
        case ControlKind::Button:
        case ControlKind::DefaultButton: return new Button(parent, item.kind, item.id, item.text, item.style, r);
        case ControlKind::CheckBox:
        case ControlKind::RadioButton: return new CheckBox(parent, item.kind, item.id, item.text, item.style, r);
        case ControlKind::GroupBox:
        case ControlKind::Static: return new Static(parent, item.kind, item.id, item.text, item.style, r);
        case ControlKind::Edit: return new Edit(parent, item.kind, item.id, item.text, item.style, r);
        case ControlKind::ListBox: return new ListBox(parent, item.kind, item.id, item.text, item.style, r);
        case ControlKind::ComboBox: return new ComboBox(parent, item.kind, item.id, item.text, item.style, r);
        case ControlKind::ScrollBar:
        case ControlKind::Slider: return new ScrollBar(parent, item.kind, item.id, item.text, item.style, r);
        case ControlKind::UpDown: return new UpDown(parent, item.kind, item.id, item.text, item.style, r);
        case ControlKind::DateTimePicker:
            return new DateTimePicker(parent, item.kind, item.id, item.text, item.style, r);
    }
    return nullptr;
}

}  // namespace

void RegisterDialogTemplate(DialogTemplate t) {
    const int id = t.id;
    Templates()[id] = std::move(t);
}

const DialogTemplate* FindDialogTemplate(int id) {
    auto it = Templates().find(id);
    return it == Templates().end() ? nullptr : &it->second;
}

void ClearDialogTemplates() { Templates().clear(); }

const ResponseTable& Dialog::Table() {
    using R = ResponseTableOf<Dialog, Window>;
    static const ResponseTable table = R::Build({
        R::Command(IdOk, &Dialog::CmOkEntry),
        R::Command(IdCancel, &Dialog::CmCancelEntry),
    });
    return table;
}

Dialog::Dialog(Window* parent, int templateId) : Window(parent), templateId_(templateId) {
    if (const DialogTemplate* t = FindDialogTemplate(templateId)) template_ = *t;
    SetStyle(style::kPopup | style::kBorder |
             ((template_.style & dlg::kNoCaption) ? 0u : style::kCaption | style::kSysMenu));
    SetCaption(template_.caption);
    baseUnits_ = backend::DialogBaseUnits(template_.fontFace, template_.fontSize);
    Rect r = MapDialogRect(template_.rect);
    if (template_.style & dlg::kCenter || !parent) {
        const Size s = ScreenSize();
        r = Rect::FromSize((s.width - r.width()) / 2, (s.height - r.height()) / 2, r.width(), r.height());
    } else {
        r = r.translated(parent->ClientToScreen({0, 0}));
    }
    MoveWindow(r);
    for (const DialogItem& item : template_.items) MakeControl(this, item, MapDialogRect(item.rect));
}

Dialog::~Dialog() = default;

Rect Dialog::MapDialogRect(const Rect& du) const {
    auto x = [&](int v) { return v * baseUnits_.width / 4; };
    auto y = [&](int v) { return v * baseUnits_.height / 8; };
    return {x(du.left), y(du.top), x(du.right), y(du.bottom)};
}

Control* Dialog::control(int id) const { return dynamic_cast<Control*>(ChildWithId(id)); }

int Dialog::Execute() {
    modal_ = true;
    result_ = IdCancel;
    ended_ = false;
    if (!created() && !Create()) return -1;
    if (ended_) return result_;
    Show(ShowCommand::Show);
    running_ = true;
    const int r = backend::RunModal(*this);
    running_ = false;
    Show(ShowCommand::Hide);
    return r;
}

void Dialog::EndDialog(int result) {
    result_ = result;
    if (modal_) {
        if (running_) backend::EndModal(*this, result);
        else ended_ = true;
        running_ = false;
    } else {
        Destroy();
    }
}

bool Dialog::CloseWindow(int result) {
    if (!modal_) return Window::CloseWindow(result);
    if (!CanClose()) return false;
    EndDialog(result);
    return true;
}

void Dialog::CmOk() { CloseWindow(IdOk); }
void Dialog::CmCancel() { EndDialog(IdCancel); }

}  // namespace platform::ui
