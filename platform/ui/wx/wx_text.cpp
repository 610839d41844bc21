// The Windows-1252 text of the program to the toolkit's Unicode and back.
#include "platform/gfx/font.h"
#include "platform/ui/wx/wx_internal.h"

namespace platform::ui::wxbackend {

wxString Text(std::string_view s) {
    wxString out;
    out.reserve(s.size());
    for (char c : s) out += wxUniChar(static_cast<wxUint32>(gfx::Windows1252ToUnicode(static_cast<unsigned char>(c))));
    return out;
}
std::string Ansi(const wxString& s) {
    std::string out;
    out.reserve(s.length());
    for (wxUniChar c : s) out += static_cast<char>(gfx::UnicodeToWindows1252(c.GetValue()));
    return out;
}

}  // namespace platform::ui::wxbackend
