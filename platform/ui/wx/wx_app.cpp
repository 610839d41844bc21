// Start-up of the toolkit, and what the layer asks of the display itself.
#include <wx/display.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/ui/wx/wx_internal.h"

namespace platform::ui {
using namespace wxbackend;
namespace {

class QuorApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

bool gStarted = false;

#ifdef NDEBUG
// A release build logs a toolkit assertion and goes on: its dialog would stop
// a kiosk, and its Stop button would end the program without saving.
void LogToolkitAssertion(const wxString& file, int line, const wxString& func, const wxString& cond,
                         const wxString& msg) {
    std::fprintf(stderr, "Toolkit assertion \"%s\" failed in %s (%s:%d): %s\n", cond.utf8_str().data(),
                 func.utf8_str().data(), file.utf8_str().data(), line, msg.utf8_str().data());
}
#endif

}  // namespace

namespace wxbackend {

void EnsureStarted() {
    if (gStarted) return;
#ifdef NDEBUG
    wxSetAssertHandler(LogToolkitAssertion);
#endif
    static int argc = 1;
    // The toolkit names the program after argv[0]: each program its own.
    static std::string name = program_invocation_short_name;
    static char* argv[] = {name.data(), nullptr};
    wxApp::SetInstance(new QuorApp);
    if (!wxEntryStart(argc, argv)) {
        wxApp::SetInstance(nullptr);
        return;  // no display: every window stays invisible
    }
    wxTheApp->CallOnInit();
    // The toolkit adopts the user's locale; numbers in every file we read and
    // write use a point, so number formatting stays the C locale's.
    std::setlocale(LC_NUMERIC, "C");
    wxLog::SetLogLevel(wxLOG_Warning);
    wxTheApp->SetExitOnFrameDelete(false);  // the loop ends with the main window, not the last frame
    wxTheApp->Bind(wxEVT_IDLE, [](wxIdleEvent& e) {
        Drain();
        e.Skip();
    });
    gStarted = true;
}

bool Started() { return gStarted; }

}  // namespace wxbackend

bool DisplayAvailable(std::string* why) {
    EnsureStarted();
    if (gStarted) return true;
    if (why) {
        const char* display = std::getenv("DISPLAY");
        *why = display && *display ? std::string("cannot open display ") + display
                                   : std::string("no display: DISPLAY is not set");
    }
    return false;
}

Size ScreenSize() {
    EnsureStarted();
    if (!gStarted) return {1920, 1080};
    const wxRect r = wxDisplay(0u).GetGeometry();
    return {r.width, r.height};
}

namespace backend {

void NoteCommand(const Window&, int, bool) {}

}  // namespace backend
}  // namespace platform::ui
