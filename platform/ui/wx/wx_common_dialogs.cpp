// The common dialogs of the real backend: the toolkit's own file chooser,
// driven directly so that its filters can be ours (letters in either case,
// names without an extension), and its font chooser.
#include <gtk/gtk.h>
#include <wx/wx.h>

#include <wx/dcscreen.h>
#include <wx/fontdata.h>
#include <wx/fontdlg.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/gfx/font.h"
#include "platform/sys/files.h"
#include "platform/ui/backend.h"
#include "platform/ui/wx/wx_internal.h"

namespace platform::ui::backend {
namespace {

using wxbackend::Ansi;
using wxbackend::Text;

std::string Utf8(std::string_view s) { return std::string(Text(s).utf8_str().data()); }

// The top-level window of the owner; without one the active window, else the program's first.
wxWindow* OwnerWindow(Window* owner) {
    if (!wxTheApp) return nullptr;
    if (wxbackend::WxPeer* p = wxbackend::PeerOf(owner)) return wxGetTopLevelParent(p->container());
    wxWindow* w = wxGetActiveWindow();
    if (!w) w = wxTheApp->GetTopWindow();
    return w ? wxGetTopLevelParent(w) : nullptr;
}

gboolean MatchesOurFilter(const GtkFileFilterInfo* info, gpointer data) {
    const auto* filter = static_cast<const FileFilter*>(data);
    return info->display_name && FilterMatches(*filter, info->display_name);
}

std::string Absolute(std::string path) {
    if (!path.empty() && path.front() == '/') return path;
    std::string dir = CurrentDir();
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir + path;
}

void AddFilters(GtkFileChooser* chooser, const std::string& filter, int index) {
    const auto filters = ParseFileFilter(filter);
    GtkFileFilter* selected = nullptr;
    for (std::size_t i = 0; i < filters.size(); ++i) {
        GtkFileFilter* g = gtk_file_filter_new();
        gtk_file_filter_set_name(g, Utf8(filters[i].description).c_str());
        gtk_file_filter_add_custom(g, GTK_FILE_FILTER_DISPLAY_NAME, MatchesOurFilter, new FileFilter(filters[i]),
                                   [](gpointer p) { delete static_cast<FileFilter*>(p); });
        gtk_file_chooser_add_filter(chooser, g);
        if (static_cast<int>(i) + 1 == index || !selected) selected = g;
    }
    if (selected) gtk_file_chooser_set_filter(chooser, selected);
}

// Where the dialog opens, and with which name: a folder in the initial name
// wins over the initial folder, as the system's own dialog has it.
void PlaceInitialName(GtkFileChooser* chooser, FileDialogKind kind, const FileDialogData& data) {
    std::string name = NativePath(data.fileName);
    std::string folder = data.initialDir.empty() ? CurrentDir() : NativePath(data.initialDir);
    if (const std::size_t slash = name.rfind('/'); slash != std::string::npos) {
        const std::string part = name.substr(0, slash);
        folder = part.empty() ? "/" : part.front() == '/' ? part : Absolute(folder + "/" + part);
        name = name.substr(slash + 1);
    }
    folder = Absolute(folder);
    gtk_file_chooser_set_current_folder(chooser, folder.c_str());
    if (name.empty()) return;
    if (kind == FileDialogKind::Save) {
        if (g_utf8_validate(name.c_str(), -1, nullptr)) gtk_file_chooser_set_current_name(chooser, name.c_str());
    } else if (const auto found = FindPath(folder + "/" + name)) {
        gtk_file_chooser_set_filename(chooser, found->c_str());
    }
}

// Sized to the screen it shows on and centred there: the chooser's own size,
// which it sets when it maps, is taller than a 720-line screen.
void FitToScreen(GtkWidget* widget, gpointer) {
    GtkWindow* dialog = GTK_WINDOW(widget);
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return;
    GdkMonitor* monitor = gtk_widget_get_window(widget)
                              ? gdk_display_get_monitor_at_window(display, gtk_widget_get_window(widget))
                              : nullptr;
    if (!monitor) monitor = gdk_display_get_primary_monitor(display);
    if (!monitor) monitor = gdk_display_get_monitor(display, 0);
    if (!monitor) return;
    GdkRectangle area;
    gdk_monitor_get_workarea(monitor, &area);
    int width = 0, height = 0;
    gtk_window_get_size(dialog, &width, &height);
    width = std::min(width, area.width * 9 / 10);
    height = std::min(height, area.height * 85 / 100);
    gtk_window_resize(dialog, width, height);
    gtk_window_move(dialog, area.x + (area.width - width) / 2, area.y + (area.height - height) / 2);
}

int FilterIndex(GtkFileChooser* chooser) {
    GSList* list = gtk_file_chooser_list_filters(chooser);
    const int i = g_slist_index(list, gtk_file_chooser_get_filter(chooser));
    g_slist_free(list);
    return i < 0 ? 1 : i + 1;
}

}  // namespace

bool RunFileDialog(Window* ownerWindow, FileDialogKind kind, FileDialogData& data) {
    wxbackend::EnsureStarted();
    if (!wxbackend::Started()) return false;
    wxWindow* owner = OwnerWindow(ownerWindow);
    const bool save = kind == FileDialogKind::Save;
    const std::string title = data.title.empty() ? (save ? "Save As" : "Open") : Utf8(data.title);
    GtkWindow* parent = owner ? GTK_WINDOW(owner->GetHandle()) : nullptr;
    GtkWidget* dialog = gtk_file_chooser_dialog_new(title.c_str(), parent,
                                                    save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN,
                                                    "_Cancel", GTK_RESPONSE_CANCEL, save ? "_Save" : "_Open",
                                                    GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    gtk_file_chooser_set_local_only(chooser, TRUE);
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, (data.flags & file_dialog::kOverwritePrompt) != 0);
    AddFilters(chooser, data.filter, data.filterIndex);
    PlaceInitialName(chooser, kind, data);
    g_signal_connect_after(dialog, "map", G_CALLBACK(FitToScreen), nullptr);

    bool ok = false;
    while (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        gchar* chosen = gtk_file_chooser_get_filename(chooser);
        if (!chosen) continue;
        std::string path = chosen;
        g_free(chosen);
        if ((data.flags & file_dialog::kMustExist) && !PathExists(path)) {
            GtkWidget* box = gtk_message_dialog_new(GTK_WINDOW(dialog), GTK_DIALOG_MODAL, GTK_MESSAGE_WARNING,
                                                    GTK_BUTTONS_OK, "%s\nFile not found.", path.c_str());
            gtk_dialog_run(GTK_DIALOG(box));
            gtk_widget_destroy(box);
            continue;
        }
        data.fileName = path;
        data.filterIndex = FilterIndex(chooser);
        ok = true;
        break;
    }
    gtk_widget_destroy(dialog);
    // Let the toolkit take the dialog off the screen before the caller draws.
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    return ok;
}

bool RunFontDialog(Window* ownerWindow, std::string_view title, FontDescription& font) {
    wxbackend::EnsureStarted();
    if (!wxbackend::Started()) return false;
    wxWindow* owner = OwnerWindow(ownerWindow);
    const wxSize ppi = wxScreenDC().GetPPI();
    const double dpi = ppi.y > 0 ? ppi.y : 96.0;
    // Negative heights are the character height, positive ones the cell's; both near enough to points.
    const double points = font.height == 0 ? 9.0 : std::abs(font.height) * 72.0 / dpi;
    wxFontInfo info(points);
    // The chooser lists installed families: it starts on the one the map draws with.
    if (!font.face.empty()) info.FaceName(Text(gfx::DrawingFamily(font.face)));
    info.Italic(font.italic);
    wxFont initial(info);
    initial.SetNumericWeight(font.weight > 0 ? font.weight : 400);
    wxFontData data;
    data.SetInitialFont(initial);
    data.EnableEffects(false);
    wxFontDialog dialog(owner, data);
    dialog.SetTitle(Text(title));
    if (dialog.ShowModal() != wxID_OK) return false;
    const wxFont chosen = dialog.GetFontData().GetChosenFont();
    if (!chosen.IsOk()) return false;
    font.face = Ansi(chosen.GetFaceName());
    font.height = -static_cast<int>(std::lround(chosen.GetFractionalPointSize() * dpi / 72.0));
    font.weight = chosen.GetNumericWeight();
    font.italic = chosen.GetStyle() != wxFONTSTYLE_NORMAL;
    return true;
}

}  // namespace platform::ui::backend
