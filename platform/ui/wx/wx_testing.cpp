// What the smoke tests of the real backend read from and type into the toolkit.
#include "platform/ui/wx/testing.h"
#include "platform/ui/wx/wx_internal.h"

namespace platform::ui::wxtest {

using wxbackend::PeerOf;
using wxbackend::WxPeer;

std::string NativeText(const Window& w) {
    WxPeer* p = PeerOf(&w);
    wxWindow* n = p ? p->native() : nullptr;
    if (!n) return {};
    wxString text;
    if (auto* top = dynamic_cast<wxTopLevelWindow*>(n)) text = top->GetTitle();
    else if (auto* t = dynamic_cast<wxTextCtrl*>(n)) text = t->GetValue();
    else if (auto* b = dynamic_cast<wxComboBox*>(n)) text = b->GetValue();
    else text = n->GetLabel();
    return std::string(text.utf8_str());
}

bool TypeNative(Window& control, std::string_view utf8) {
    WxPeer* p = PeerOf(&control);
    auto* t = p ? dynamic_cast<wxTextCtrl*>(p->native()) : nullptr;
    if (!t) return false;
    t->SetValue(wxString::FromUTF8(utf8.data(), utf8.size()));  // sends the text event a user's typing would
    return true;
}

}  // namespace platform::ui::wxtest
