#include "app/application.h"

#include <cstdlib>
#include <memory>

#include "app/frame.h"
#include "app/globals.h"
#include "app/menus.h"
#include "app/sound.h"
#include "app/startup.h"
#include "app/welcome.h"
#include "core/config.h"
#include "core/helpers.h"
#include "platform/sys/files.h"

namespace ui = platform::ui;

namespace {

// Sends Exit to the frame once, after the time that KESTRUNE_EXIT_AFTER_MS gives.
class ExitAfter : public ui::Window {
public:
    ExitAfter(ui::Window* frame, int ms) : Window(frame), ms_(ms) {}

protected:
    void SetupWindow() override {
        Window::SetupWindow();
        SetTimer(1, ms_);
    }
    void EvTimer(int) override {
        KillTimer(1);
        if (ui::Window* p = parent()) p->SendCommand(kCmExit);
    }

private:
    int ms_;
};

void ArmExitAfter(myFrame& frame) {
    const char* text = std::getenv(kExitAfterVariable);
    long long ms = 0;
    if (!text || !ScanLeadingInteger(text, 10, &ms) || ms <= 0 || ms > 3'600'000) return;
    new ExitAfter(&frame, static_cast<int>(ms));
}

}  // namespace

// Each working folder has views of its own, so each keeps its own list.
quorvelApp::quorvelApp()
    : Application("Kestrune"),
      recent_("Kestrune.ini", kRecentViews, kRecentChars,
              std::string(ui::RecentFiles::kSection) + " " + platform::CurrentDir()) {
    gApplication = this;
}

quorvelApp::~quorvelApp() {
    // The frame goes first, while the application it reaches is still whole.
    SetMainWindow(nullptr);
    if (gApplication == this) gApplication = nullptr;
}

void quorvelApp::InitMainWindow() {
    RegisterQuorviewResources();
    SetShowCommand(ui::ShowCommand::Maximize);
    auto frame = std::make_unique<myFrame>(nullptr, "Kestrune", new welcomeWindow());
    myFrame* f = frame.get();
    gMainFrame = f;
    SetMainWindow(std::move(frame));
    // The window manager supplies the frame's icons.
    if (gControls[kControlMenuBar]) f->AssignMenu(kMenuBarResource);
    if (auto table = ui::LoadAccelerators(kAcceleratorTable)) f->SetAccelerators(std::move(*table));
    f->SetRecentFiles(&recent_);
    if (gControls[kControlWelcomeScreen]) PlayMidiFile(f, "QUORVEL.MID");
    ArmExitAfter(*f);
}
