// Native menus built from the layer's menus, and popup menus.
#include <optional>

#include "platform/ui/menu.h"
#include "platform/ui/native_ids.h"
#include "platform/ui/wx/wx_internal.h"

namespace platform::ui {
using namespace wxbackend;
namespace {

// The toolkit takes what follows a tab for a shortcut to bind and drops a
// text it cannot read as one ("&0\tStop" would show "0"). The text joins the
// label instead, and the keys stay the frame's accelerators, which ask the
// enablers first.
wxString MenuLabel(const std::string& text) {
    const std::size_t tab = text.find('\t');
    if (tab == std::string::npos) return Text(text);
    return Text(text.substr(0, tab)) + wxString("   ") + Text(text.substr(tab + 1));
}

}  // namespace

namespace wxbackend {

wxMenu* BuildMenu(const Menu& m) {
    auto* menu = new wxMenu;
    for (int i = 0; i < m.count(); ++i) {
        const MenuItem& it = m.item(i);
        if (it.separator) {
            menu->AppendSeparator();
        } else if (it.popup) {
            menu->AppendSubMenu(BuildMenu(*it.popup), MenuLabel(it.text));
        } else {
            // An id the toolkit cannot take leaves the item out rather than
            // stopping the program.
            const std::optional<int> native = MenuNativeIds().ToNative(it.id);
            if (!native) continue;
            // Only items that carry a check mark get its box.
            wxMenuItem* item = it.checkable ? menu->AppendCheckItem(*native, MenuLabel(it.text))
                                            : menu->Append(*native, MenuLabel(it.text));
            if (it.checkable) item->Check(it.checked);
            item->Enable(it.enabled);
        }
    }
    return menu;
}

void ApplyStates(const Menu& m, wxMenuBar& bar) {
    for (int i = 0; i < m.count(); ++i) {
        const MenuItem& it = m.item(i);
        if (it.popup) {
            ApplyStates(*it.popup, bar);
        } else if (const std::optional<int> native = it.separator ? std::nullopt : MenuNativeIds().ToNative(it.id);
                   native && bar.FindItem(*native)) {
            bar.Enable(*native, it.enabled);
            if (it.checkable) bar.Check(*native, it.checked);
        }
    }
}

}  // namespace wxbackend

namespace backend {

int TrackPopup(Window& owner, const Menu& menu, Point screen) {
    WxPeer* p = PeerOf(&owner);
    if (!p) return 0;
    wxWindow* w = p->container();
    std::unique_ptr<wxMenu> m(BuildMenu(menu));
    const int native = w->GetPopupMenuSelectionFromUser(*m, w->ScreenToClient(wxPoint(screen.x, screen.y)));
    if (native == wxID_NONE) return 0;
    return MenuNativeIds().FromNative(native).value_or(0);
}

}  // namespace backend
}  // namespace platform::ui
