// Peers of dialogs and their modal runs, message boxes and the bell.
#include <algorithm>

#include "platform/ui/dialog.h"
#include "platform/ui/wx/wx_internal.h"

namespace platform::ui {
using namespace wxbackend;
namespace {

class DialogPeer final : public WxPeer {
public:
    explicit DialogPeer(Dialog& d) : WxPeer(d), dialog_model_(d) {
        const Rect r = d.rect();
        const long style = (d.style() & style::kCaption) ? wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX : wxBORDER_SIMPLE;
        dialog_ = new wxDialog(ParentTopLevel(d), wxID_ANY, Text(d.caption()), wxPoint(r.left, r.top),
                               wxDefaultSize, style);
        dialog_->SetClientSize(std::max(r.width(), 1), std::max(r.height(), 1));
        dialog_->Bind(wxEVT_CLOSE_WINDOW, Guard<wxCloseEvent>([this](wxCloseEvent& e) {
            if (e.CanVeto()) e.Veto();
            Message m;
            m.target = &model_;
            m.kind = MessageKind::Close;
            Post(m);
        }));
        // Escape cancels through the dialog's own table, not around it.
        dialog_->Bind(wxEVT_CHAR_HOOK, Guard<wxKeyEvent>([this](wxKeyEvent& e) {
            if (e.GetKeyCode() != WXK_ESCAPE) {
                e.Skip();
                return;
            }
            Later([this] { model_.SendCommand(IdCancel); });
        }));
    }
    ~DialogPeer() override {
        if (dialog_->IsModal()) dialog_->EndModal(wxID_CANCEL);
        dialog_->Hide();
        dialog_->Destroy();
    }

    wxWindow* container() override { return dialog_; }
    wxWindow* native() override { return dialog_; }
    void Show(bool visible) override {
        if (visible && dialog_model_.modal()) return;  // ShowModal shows it
        if (!visible && dialog_->IsModal()) return;
        dialog_->Show(visible);
    }
    void Move(const Rect& r) override {
        dialog_->SetPosition(wxPoint(r.left, r.top));
        dialog_->SetClientSize(std::max(r.width(), 1), std::max(r.height(), 1));
    }
    void SetCaption(std::string_view text) override { dialog_->SetTitle(Text(text)); }

    wxDialog* dialog() const { return dialog_; }

private:
    Dialog& dialog_model_;
    wxDialog* dialog_;
};
}  // namespace

std::unique_ptr<WxPeer> wxbackend::MakeDialogPeer(Dialog& d) { return std::make_unique<DialogPeer>(d); }

int MessageBox(Window* owner, std::string_view text, std::string_view caption, Buttons buttons, Icon icon) {
    EnsureStarted();
    if (!Started()) return buttons == Buttons::Ok ? IdOk : IdCancel;
    long style = 0;
    switch (buttons) {
        case Buttons::Ok: style = wxOK; break;
        case Buttons::OkCancel:
        case Buttons::RetryCancel: style = wxOK | wxCANCEL; break;
        case Buttons::AbortRetryIgnore:
        case Buttons::YesNoCancel: style = wxYES_NO | wxCANCEL; break;
        case Buttons::YesNo: style = wxYES_NO; break;
    }
    switch (icon) {
        case Icon::None: style |= wxICON_NONE; break;
        case Icon::Stop: style |= wxICON_ERROR; break;
        case Icon::Question: style |= wxICON_QUESTION; break;
        case Icon::Exclamation: style |= wxICON_WARNING; break;
        case Icon::Information: style |= wxICON_INFORMATION; break;
    }
    WxPeer* p = PeerOf(owner);
    wxWindow* parent = p ? wxGetTopLevelParent(p->container()) : nullptr;
    wxMessageDialog box(parent, Text(text), Text(caption), style);
    if (buttons == Buttons::AbortRetryIgnore) box.SetYesNoCancelLabels("&Abort", "&Retry", "&Ignore");
    if (buttons == Buttons::RetryCancel) box.SetOKCancelLabels("&Retry", "Cancel");
    const int r = box.ShowModal();
    switch (buttons) {
        case Buttons::AbortRetryIgnore: return r == wxID_YES ? IdAbort : r == wxID_NO ? IdRetry : IdIgnore;
        case Buttons::RetryCancel: return r == wxID_OK ? IdRetry : IdCancel;
        case Buttons::Ok: return IdOk;
        default: return r == wxID_OK ? IdOk : r == wxID_YES ? IdYes : r == wxID_NO ? IdNo : IdCancel;
    }
}

void Beep(BeepKind) {
    EnsureStarted();
    if (Started()) wxBell();
}

namespace backend {

int RunModal(Dialog& d) {
    auto* p = dynamic_cast<DialogPeer*>(d.peer());
    if (!p) return d.result();
    p->dialog()->ShowModal();
    return d.result();
}

void EndModal(Dialog& d, int result) {
    auto* p = dynamic_cast<DialogPeer*>(d.peer());
    if (p && p->dialog()->IsModal()) p->dialog()->EndModal(result);
}

Size DialogBaseUnits(std::string_view face, int pointSize) {
    EnsureStarted();
    if (!Started()) return {6, 13};
    wxFont font(wxFontInfo(pointSize > 0 ? pointSize : 8).FaceName(Text(face)));
    wxScreenDC dc;
    dc.SetFont(font);
    wxCoord w = 0, h = 0;
    dc.GetTextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", &w, &h);
    return {std::max(static_cast<int>((w / 26 + 1) / 2), 1), std::max(static_cast<int>(h), 1)};
}

}  // namespace backend
}  // namespace platform::ui
