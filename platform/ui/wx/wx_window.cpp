// Peers of plain windows: the canvas that presents a window's back buffer and
// reports its input, the child window around it, and CreatePeer, which picks
// the kind of peer for a window.
#include <cairo.h>

#include "platform/ui/dialog.h"
#include "platform/ui/frame.h"
#include "platform/ui/wx/wx_internal.h"

namespace platform::ui {
using namespace wxbackend;
namespace {

std::uint32_t Modifiers(const wxKeyboardState& k) {
    return (k.ShiftDown() ? kShift : 0u) | (k.ControlDown() ? kControl : 0u) | (k.AltDown() ? kAlt : 0u);
}

// wx key codes to the virtual keys of KeyDown; 0 when there is none.
int VirtualKey(int code) {
    if (code >= 'a' && code <= 'z') return code - 'a' + 'A';
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) return code;
    if (code >= WXK_F1 && code <= WXK_F24) return key::kF1 + (code - WXK_F1);
    switch (code) {
        case WXK_BACK: return key::kBack;
        case WXK_TAB: return key::kTab;
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER: return key::kReturn;
        case WXK_ESCAPE: return key::kEscape;
        case WXK_SPACE: return key::kSpace;
        case WXK_PAGEUP:
        case WXK_NUMPAD_PAGEUP: return key::kPageUp;
        case WXK_PAGEDOWN:
        case WXK_NUMPAD_PAGEDOWN: return key::kPageDown;
        case WXK_END: return key::kEnd;
        case WXK_HOME: return key::kHome;
        case WXK_LEFT: return key::kLeft;
        case WXK_UP: return key::kUp;
        case WXK_RIGHT: return key::kRight;
        case WXK_DOWN: return key::kDown;
        case WXK_INSERT: return key::kInsert;
        case WXK_DELETE: return key::kDelete;
        case WXK_SHIFT: return 0x10;
        case WXK_CONTROL: return 0x11;
        case WXK_ALT: return 0x12;
        default: return 0;
    }
}

// The back buffer's 0x00RRGGBB words are cairo's RGB24 pixels: it is
// handed over as it lies, and only the damaged rectangles are painted.
bool PaintThroughCairo(cairo_t* cr, const BackBuffer& b, wxWindow& canvas) {
    if (b.width() <= 0 || b.height() <= 0) return true;
    const int stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, b.width());
    if (stride != b.width() * 4) return false;
    // Cairo only reads a source surface.
    auto* pixels = reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(b.row(0)));
    cairo_surface_t* image =
        cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_RGB24, b.width(), b.height(), stride);
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        return false;
    }
    cairo_save(cr);
    bool any = false;
    for (wxRegionIterator it(canvas.GetUpdateRegion()); it; ++it) {
        const Rect r = Rect::FromSize(it.GetX(), it.GetY(), it.GetW(), it.GetH()).intersected(b.bounds());
        if (r.empty()) continue;
        cairo_rectangle(cr, r.left, r.top, r.width(), r.height());
        any = true;
    }
    if (any) {
        cairo_clip(cr);
        cairo_set_source_surface(cr, image, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
    }
    cairo_restore(cr);
    cairo_surface_destroy(image);
    return true;
}

// A plain child window.
class ChildPeer final : public CanvasPeer {
public:
    ChildPeer(Window& w, wxWindow* parent) : CanvasPeer(w) {
        auto* c = new Canvas(parent, w.rect());
        c->Hide();
        BindCanvas(c, false);
    }
    ~ChildPeer() override { Retire(canvas_); }
    wxWindow* container() override { return canvas_; }
    wxWindow* native() override { return canvas_; }
};

}  // namespace

namespace wxbackend {

wxWindow* ParentContainer(const Window& w) {
    WxPeer* p = PeerOf(w.parent());
    return p ? p->container() : nullptr;
}

wxWindow* ParentTopLevel(const Window& w) {
    wxWindow* c = ParentContainer(w);
    return c ? wxGetTopLevelParent(c) : nullptr;
}

void CanvasPeer::BindCanvas(Canvas* c, bool topLevel) {
    canvas_ = c;
    c->Bind(wxEVT_PAINT, Guard<wxPaintEvent>([this](wxPaintEvent&) { Paint(); }));
    c->Bind(wxEVT_SIZE, Guard<wxSizeEvent>([this, topLevel](wxSizeEvent& e) {
        const wxSize s = canvas_->GetClientSize();
        wxPoint p = canvas_->GetPosition();
        if (topLevel) {
            // Unshown frames have no place on the screen yet: keep the model's.
            p = wxGetTopLevelParent(canvas_)->IsShown() ? canvas_->GetScreenPosition()
                                                        : wxPoint(model_.rect().left, model_.rect().top);
        }
        model_.NativeMoved(Rect::FromSize(p.x, p.y, s.x, s.y));
        e.Skip();
    }));
    c->Bind(wxEVT_SET_FOCUS, Guard<wxFocusEvent>([this](wxFocusEvent& e) {
        model_.NativeFocused();
        e.Skip();
    }));
    auto mouse = [this](MouseAction a) {
        return Guard<wxMouseEvent>([this, a](wxMouseEvent& e) {
            if (a == MouseAction::LeftDown || a == MouseAction::RightDown) canvas_->SetFocus();
            Message m;
            m.target = &model_;
            m.kind = MessageKind::Mouse;
            m.code = static_cast<std::uint32_t>(a);
            m.param = Modifiers(e);
            m.point = {e.GetX(), e.GetY()};
            Post(m);
            e.Skip();
        });
    };
    c->Bind(wxEVT_LEFT_DOWN, mouse(MouseAction::LeftDown));
    c->Bind(wxEVT_LEFT_UP, mouse(MouseAction::LeftUp));
    c->Bind(wxEVT_LEFT_DCLICK, mouse(MouseAction::LeftDoubleClick));
    c->Bind(wxEVT_RIGHT_DOWN, mouse(MouseAction::RightDown));
    c->Bind(wxEVT_RIGHT_UP, mouse(MouseAction::RightUp));
    c->Bind(wxEVT_RIGHT_DCLICK, mouse(MouseAction::RightDoubleClick));
    c->Bind(wxEVT_MOTION, mouse(MouseAction::Move));
    // The desktop took the mouse mid-drag: the drag ends as a release would end it.
    c->Bind(wxEVT_MOUSE_CAPTURE_LOST, Guard<wxMouseCaptureLostEvent>([this](wxMouseCaptureLostEvent&) {
        if (Window::CaptureWindow() != &model_) return;
        Message m;
        m.target = &model_;
        m.kind = MessageKind::Mouse;
        m.code = static_cast<std::uint32_t>(MouseAction::LeftUp);
        const wxPoint p = canvas_->ScreenToClient(wxGetMousePosition());
        m.point = {p.x, p.y};
        Post(m);
    }));
    c->Bind(wxEVT_KEY_DOWN, Guard<wxKeyEvent>([this](wxKeyEvent& e) {
        const int vk = VirtualKey(e.GetKeyCode());
        if (!vk) {
            e.Skip();
            return;
        }
        Message m;
        m.target = &model_;
        m.kind = MessageKind::KeyDown;
        m.code = static_cast<std::uint32_t>(vk);
        m.param = Modifiers(e);
        Post(m);
        // A key that an accelerator takes makes no character.
        Frame* f = model_.AcceleratorFrame();
        if (!f || !f->accelerators().Match(m)) e.Skip();
    }));
    c->Bind(wxEVT_KEY_UP, Guard<wxKeyEvent>([this](wxKeyEvent& e) {
        if (const int vk = VirtualKey(e.GetKeyCode())) {
            Message m;
            m.target = &model_;
            m.kind = MessageKind::KeyUp;
            m.code = static_cast<std::uint32_t>(vk);
            m.param = Modifiers(e);
            Post(m);
        }
        e.Skip();
    }));
    c->Bind(wxEVT_CHAR, Guard<wxKeyEvent>([this](wxKeyEvent& e) {
        int ch = e.GetUnicodeKey() != WXK_NONE ? static_cast<int>(e.GetUnicodeKey()) : e.GetKeyCode();
        if (e.ControlDown() && ch >= 'a' && ch <= 'z') ch = ch - 'a' + 1;
        if (e.ControlDown() && ch >= 'A' && ch <= 'Z') ch = ch - 'A' + 1;
        if (ch <= 0 || ch > 0xFFFF) return;
        Message m;
        m.target = &model_;
        m.kind = MessageKind::Char;
        m.code = static_cast<std::uint32_t>(ch);
        Post(m);
    }));
}

void CanvasPeer::Paint() {
    wxPaintDC dc(canvas_);
    model_.PaintPending();
    const BackBuffer& b = model_.backBuffer();
    // Under GTK 3 the paint context is cairo's.
    if (auto* cr = static_cast<cairo_t*>(dc.GetHandle()); cr && PaintThroughCairo(cr, b, *canvas_)) return;
    for (wxRegionIterator it(canvas_->GetUpdateRegion()); it; ++it) {
        const Rect r = Rect::FromSize(it.GetX(), it.GetY(), it.GetW(), it.GetH()).intersected(b.bounds());
        if (r.empty()) continue;
        wxImage img(r.width(), r.height(), false);
        unsigned char* p = img.GetData();
        for (int y = r.top; y < r.bottom; ++y) {
            const std::uint32_t* row = b.row(y) + r.left;
            for (int x = 0; x < r.width(); ++x) {
                *p++ = static_cast<unsigned char>(row[x] >> 16);
                *p++ = static_cast<unsigned char>(row[x] >> 8);
                *p++ = static_cast<unsigned char>(row[x]);
            }
        }
        dc.DrawBitmap(wxBitmap(img), r.left, r.top);
    }
}

}  // namespace wxbackend

namespace backend {

std::unique_ptr<Peer> CreatePeer(Window& w) {
    EnsureStarted();
    if (!Started()) return nullptr;
    if (auto* c = dynamic_cast<Control*>(&w)) {
        wxWindow* parent = ParentContainer(w);
        if (!parent) return nullptr;
        return MakeControlPeer(*c, parent);
    }
    if (auto* d = dynamic_cast<Dialog*>(&w)) return MakeDialogPeer(*d);
    if (!w.parent() || (w.style() & style::kPopup) || dynamic_cast<Frame*>(&w)) return MakeTopLevelPeer(w);
    wxWindow* parent = ParentContainer(w);
    if (!parent) return nullptr;
    return std::make_unique<ChildPeer>(w, parent);
}

}  // namespace backend
}  // namespace platform::ui
