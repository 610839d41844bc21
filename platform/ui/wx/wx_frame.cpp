// Peers of frames and popup windows.
#include <optional>

#include "platform/ui/frame.h"
#include "platform/ui/menu.h"
#include "platform/ui/native_ids.h"
#include "platform/ui/recent_files.h"
#include "platform/ui/wx/wx_internal.h"

namespace platform::ui {
using namespace wxbackend;
namespace {

long FrameStyle(std::uint32_t s, bool owned) {
    long style = 0;
    if (s & style::kCaption) style |= wxCAPTION;
    if (s & style::kSysMenu) style |= wxSYSTEM_MENU | wxCLOSE_BOX;
    if (s & style::kMinimizeBox) style |= wxMINIMIZE_BOX;
    if (s & style::kMaximizeBox) style |= wxMAXIMIZE_BOX;
    if (s & style::kThickFrame) style |= wxRESIZE_BORDER;
    if (!(s & (style::kCaption | style::kThickFrame))) style |= (s & style::kBorder) ? wxBORDER_SIMPLE : wxBORDER_NONE;
    if (owned) style |= wxFRAME_FLOAT_ON_PARENT | wxFRAME_NO_TASKBAR;
    return style;
}

// Frames and popup windows: a native frame around a canvas, with the frame's
// menu bar (real menus when every bar item is a popup, else a strip of
// buttons, since a native bar cannot hold plain commands).
class TopLevelPeer final : public CanvasPeer {
public:
    explicit TopLevelPeer(Window& w) : CanvasPeer(w) {
        const Rect r = w.rect();
        wxWindow* owner = ParentTopLevel(w);
        frame_ = new wxFrame(owner, wxID_ANY, Text(w.caption()), wxPoint(r.left, r.top), wxDefaultSize,
                             FrameStyle(w.style(), owner != nullptr));
        sizer_ = new wxBoxSizer(wxVERTICAL);
        auto* c = new Canvas(frame_, Rect::FromSize(0, 0, r.width(), r.height()));
        sizer_->Add(c, 1, wxEXPAND);
        frame_->SetSizer(sizer_);
        BindCanvas(c, true);
        frame_->Bind(wxEVT_CLOSE_WINDOW, Guard<wxCloseEvent>([this](wxCloseEvent& e) {
            if (e.CanVeto()) e.Veto();
            Message m;
            m.target = &model_;
            m.kind = MessageKind::Close;
            Post(m);
        }));
        frame_->Bind(wxEVT_ACTIVATE, Guard<wxActivateEvent>([this](wxActivateEvent& e) {
            Message m;
            m.target = &model_;
            m.kind = MessageKind::Activate;
            m.code = e.GetActive() ? 1u : 0u;
            Post(m);
            e.Skip();
        }));
        frame_->Bind(wxEVT_MENU, Guard<wxCommandEvent>([this](wxCommandEvent& e) {
            if (const std::optional<int> id = MenuNativeIds().FromNative(e.GetId())) PostCommand(*id);
        }));
        frame_->Bind(wxEVT_MENU_OPEN, Guard<wxMenuEvent>([this](wxMenuEvent& e) {
            auto* f = dynamic_cast<Frame*>(&model_);
            if (f && f->menu() && frame_->GetMenuBar()) {
                rebuilding_ = true;
                f->RunMenuEnablers(*f->menu());
                rebuilding_ = false;
                ApplyStates(*f->menu(), *frame_->GetMenuBar());
            }
            e.Skip();
        }));
        frame_->SetClientSize(std::max(r.width(), 1), std::max(r.height(), 1));
        RebuildBar();
    }
    ~TopLevelPeer() override {
        if (frame_) {
            frame_->Hide();
            frame_->Destroy();  // wx deletes top-level windows at idle time
        }
    }

    wxWindow* container() override { return canvas_; }
    wxWindow* native() override { return frame_; }
    void Show(bool visible) override {
        frame_->Show(visible);
        if (visible) canvas_->SetFocus();
    }
    void Maximize() override {
        frame_->Maximize(true);
        // Without a window manager nothing maximises: fill the work area ourselves.
        frame_->SetSize(wxGetClientDisplayRect());
    }
    void Move(const Rect& r) override {
        frame_->SetPosition(wxPoint(r.left, r.top));
        frame_->SetClientSize(std::max(r.width(), 1), std::max(r.height(), 1) + StripHeight());
    }
    void SetCaption(std::string_view text) override { frame_->SetTitle(Text(text)); }
    void FrameChanged() override {
        if (rebuilding_ || rebuildQueued_) return;
        rebuildQueued_ = true;
        Later([this] {
            rebuildQueued_ = false;
            RebuildBar();
        });
    }

private:
    int StripHeight() const { return strip_ ? strip_->GetSize().y : 0; }

    void PostCommand(int id) {
        Message m;
        m.target = &model_;
        m.kind = MessageKind::Command;
        m.code = static_cast<std::uint32_t>(id);
        Post(m);
    }

    void RebuildBar() {
        auto* f = dynamic_cast<Frame*>(&model_);
        Menu* bar = f ? f->menu() : nullptr;
        rebuilding_ = true;
        if (bar && f->recentFiles()) f->recentFiles()->UpdateMenu(*bar);
        rebuilding_ = false;
        bool allPopups = bar && bar->count() > 0;
        for (int i = 0; bar && i < bar->count(); ++i) allPopups = allPopups && bar->item(i).popup;
        const wxSize client = canvas_->GetClientSize();
        if (strip_) {
            sizer_->Detach(strip_);
            strip_->Destroy();
            strip_ = nullptr;
        }
        wxMenuBar* old = frame_->GetMenuBar();
        frame_->SetMenuBar(nullptr);
        delete old;
        if (bar && allPopups) {
            auto* mb = new wxMenuBar;
            for (int i = 0; i < bar->count(); ++i) mb->Append(BuildMenu(*bar->subMenu(i)), Text(bar->item(i).text));
            frame_->SetMenuBar(mb);
        } else if (bar && bar->count() > 0) {
            strip_ = new wxPanel(frame_);
            auto* row = new wxBoxSizer(wxHORIZONTAL);
            for (int i = 0; i < bar->count(); ++i) {
                const MenuItem& it = bar->item(i);
                if (it.separator) continue;
                auto* b = new wxButton(strip_, wxID_ANY, Text(it.text), wxDefaultPosition, wxDefaultSize,
                                       wxBU_EXACTFIT | wxBORDER_NONE);
                b->Enable(it.enabled);
                const int id = it.id;
                const int pos = i;
                b->Bind(wxEVT_BUTTON, Guard<wxCommandEvent>([this, id, pos, b](wxCommandEvent&) {
                    auto* fr = dynamic_cast<Frame*>(&model_);
                    Menu* popup = fr && fr->menu() ? fr->menu()->subMenu(pos) : nullptr;
                    if (!popup) {
                        PostCommand(id);
                        return;
                    }
                    const wxPoint at = b->GetScreenPosition() + wxPoint(0, b->GetSize().y);
                    if (const int chosen = fr->TrackPopupMenu(*popup, {at.x, at.y})) PostCommand(chosen);
                }));
                row->Add(b, 0, wxALL, 1);
            }
            strip_->SetSizer(row);
            sizer_->Insert(0, strip_, 0, wxEXPAND);
        }
        sizer_->Layout();
        if (frame_->IsShown() && !frame_->IsMaximized()) {
            frame_->SetClientSize(client.x, client.y + StripHeight());
        }
        frame_->Layout();
    }

    wxFrame* frame_ = nullptr;
    wxBoxSizer* sizer_ = nullptr;
    wxPanel* strip_ = nullptr;
    bool rebuilding_ = false;
    bool rebuildQueued_ = false;
};
}  // namespace

std::unique_ptr<WxPeer> wxbackend::MakeTopLevelPeer(Window& w) { return std::make_unique<TopLevelPeer>(w); }

}  // namespace platform::ui
