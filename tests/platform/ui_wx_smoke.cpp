// Smoke test of the real backend under a real (virtual) X server: a frame with
// a menu bar, a client that paints its back buffer and animates on a timer, a
// modal dialog from a template that a timer closes, a watched socket whose
// data arrives as a message, Windows-1252 text shown by the toolkit and typed
// text coming back in Windows-1252, then Exit. The exit status
// says whether everything happened; --hold MS keeps the window up for a
// screenshot before leaving.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/gfx/draw_context.h"
#include "platform/ui/app.h"
#include "platform/ui/dialog.h"
#include "platform/ui/frame.h"
#include "platform/ui/menu.h"
#include "platform/ui/wx/testing.h"

namespace ui = platform::ui;
namespace gfx = platform::gfx;

namespace {

int gPaints = 0;
int gTicks = 0;
int gDialogResult = 0;
int gHoldMs = 0;
int gSocketReads = 0;
int gTextFaults = 0;  // texts that did not cross the toolkit boundary intact

void ExpectText(const char* what, const std::string& got, const std::string& want) {
    if (got == want) return;
    ++gTextFaults;
    std::printf("%s: \"%s\", not \"%s\"\n", what, got.c_str(), want.c_str());
}
constexpr ui::MessageId kSocketReady = 0x4321;

constexpr int kTemplate = 10;

// Closes itself through its OK button on its first timer tick.
class AutoDialog : public ui::Dialog {
public:
    explicit AutoDialog(ui::Window* parent) : Dialog(parent, kTemplate) {}

protected:
    void SetupWindow() override {
        Dialog::SetupWindow();
        Item<ui::Edit>(101)->SetText("4.5 \xB1");
        // The program's strings are Windows-1252 both ways; the toolkit shows Unicode.
        ExpectText("dialog title", ui::wxtest::NativeText(*this), "Magnitude \xC2\xB1");
        ExpectText("edit shown", ui::wxtest::NativeText(*Item<ui::Edit>(101)), "4.5 \xC2\xB1");
        if (!ui::wxtest::TypeNative(*Item<ui::Edit>(101), "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC")) ++gTextFaults;
        ExpectText("edit typed", Item<ui::Edit>(101)->text(), "\xE9t\xE9 \x80");
        ExpectText("check box", ui::wxtest::NativeText(*Item<ui::CheckBox>(102)), "Sound \xC3\xA0 la carte");
        Item<ui::ListBox>(103)->AddString("WORLD");
        Item<ui::ListBox>(103)->SetSelIndex(0);
        SetTimer(1, gHoldMs > 0 ? gHoldMs / 2 : 150);  // long enough to be seen when held
    }
    void EvTimer(int) override {
        KillTimer(1);
        Item<ui::Button>(ui::IdOk)->Click();
    }
};

class Client : public ui::Window {
public:
    Client() : Window(nullptr) {}
    ~Client() override {
        ui::UnwatchDescriptor(pair_[0]);
        ::close(pair_[0]);
        ::close(pair_[1]);
    }
    KESTRUNE_RESPONSE_TABLE(Client);
    ui::Result EvSocket(ui::WParam fd, ui::LParam) {
        char c = 0;
        if (::read(static_cast<int>(fd), &c, 1) == 1 && c == 'x') ++gSocketReads;
        return 0;
    }

protected:
    void SetupWindow() override {
        Window::SetupWindow();
        SetTimer(1, 40);
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pair_) == 0)
            ui::WatchDescriptor(pair_[0], *this, kSocketReady, ui::kWatchRead);
    }
    void Paint(ui::BackBuffer& b, const ui::Rect&) override {
        ++gPaints;
        gfx::DrawContext dc(b);
        for (int y = 0; y < b.height(); y += 8) {
            const auto blue = static_cast<std::uint8_t>(255 - 255 * y / std::max(b.height(), 1));
            dc.FillRect({0, y, b.width(), y + 8}, gfx::Brush::Solid(gfx::Color(0, 0, blue)));
        }
        dc.SetPen(gfx::Pen::Solid(gfx::Color(255, 255, 0), 6));
        dc.SetBrush(gfx::Brush::Solid(gfx::Color(192, 0, 0)));
        dc.Rectangle(ui::Rect::FromSize(40, 40, 200, 120));
        dc.SetPen(gfx::Pen::Solid(gfx::kWhite, 2));
        dc.SetBrush(gfx::Brush::Hollow());
        dc.Ellipse(ui::Rect::FromSize(300, 40, 160, 120));
        dc.SetTextColor(gfx::kWhite);
        dc.SetBackMode(gfx::BackMode::Transparent);
        dc.TextOut({40, 260}, "Kestrune window layer smoke test");
    }
    void EvTimer(int) override {
        ++gTicks;
        // Drawing outside Paint: a square that walks to the right, presented
        // by the layer after this handler from the surface's damage.
        gfx::DrawContext dc(backBuffer());
        dc.FillRect(ui::Rect::FromSize(40 + (gTicks % 40) * 12, 200, 24, 24), gfx::Brush::Solid(gfx::Color(0, 255, 0)));
        if (gTicks == 1) ExpectText("frame title", ui::wxtest::NativeText(*frame()), "Kestrune smoke test caf\xC3\xA9");
        if (gTicks == 2 && pair_[1] >= 0) (void)!::write(pair_[1], "x", 1);
        if (gTicks == 3) {
            // The delay pump's pattern: wait while the loop keeps running.
            ui::WaitForMessage(20);
            ui::Message m;
            while (ui::PeekMessage(m)) ui::DispatchMessage(m);
        }
        if (gTicks == 5) {
            AutoDialog dialog(frame());
            gDialogResult = dialog.Execute();
        }
        const int needed = gHoldMs > 0 ? gHoldMs / 40 : 12;
        if ((gTicks >= needed && gPaints > 0 && gSocketReads > 0) || gTicks > 250) frame()->SendCommand(138);
    }

private:
    int pair_[2] = {-1, -1};
};

const ui::ResponseTable& Client::Table() {
    using R = ui::ResponseTableOf<Client, ui::Window>;
    static const ui::ResponseTable table = R::Build({R::Message(kSocketReady, &Client::EvSocket)});
    return table;
}

class SmokeFrame : public ui::Frame {
public:
    SmokeFrame() : Frame(nullptr, "Kestrune smoke test caf\xE9", new Client) {}
    KESTRUNE_RESPONSE_TABLE(SmokeFrame);
    void CmExit() { CloseWindow(); }
    void CmNothing() {}
};

const ui::ResponseTable& SmokeFrame::Table() {
    using R = ui::ResponseTableOf<SmokeFrame, ui::Frame>;
    static const ui::ResponseTable table = R::Build({
        R::Command(138, &SmokeFrame::CmExit),
        R::Command(180, &SmokeFrame::CmNothing),
        R::Command(184, &SmokeFrame::CmNothing),
    });
    return table;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--hold") == 0) gHoldMs = std::atoi(argv[i + 1]);
    }
    using ui::MenuSpec;
    ui::RegisterMenu("COMMANDS", {MenuSpec::Item(180, "&File"), MenuSpec::Item(184, "&Map"),
                                  MenuSpec::Item(186, "&Help"), MenuSpec::Item(138, "E&xit")});
    ui::RegisterDialogTemplate({kTemplate, "Magnitude \xB1", "MS Sans Serif", 8, ui::Rect::FromSize(0, 0, 217, 90), 0, {
        {ui::ControlKind::Static, -1, "Magnitude", 0, ui::Rect::FromSize(7, 9, 40, 8)},
        {ui::ControlKind::Edit, 101, "", 0, ui::Rect::FromSize(50, 7, 40, 12)},
        {ui::ControlKind::CheckBox, 102, "Sound \xE0 la carte", 0, ui::Rect::FromSize(100, 7, 50, 12)},
        {ui::ControlKind::ListBox, 103, "", ui::ctl::kMultiSelect, ui::Rect::FromSize(7, 25, 80, 40)},
        {ui::ControlKind::UpDown, 104, "", 0, ui::Rect::FromSize(100, 25, 10, 14)},
        {ui::ControlKind::DateTimePicker, 105, "", 0, ui::Rect::FromSize(7, 70, 140, 14)},
        {ui::ControlKind::DefaultButton, ui::IdOk, "OK", 0, ui::Rect::FromSize(160, 6, 50, 14)},
        {ui::ControlKind::Button, ui::IdCancel, "Cancel", 0, ui::Rect::FromSize(160, 23, 50, 14)},
    }});

    ui::Application app("Kestrune");
    auto frame = std::make_unique<SmokeFrame>();
    frame->MoveWindow(ui::Rect::FromSize(40, 40, 900, 600));
    if (!frame->AssignMenu("COMMANDS")) return 3;
    app.SetMainWindow(std::move(frame));
    const int rc = app.Run();

    std::printf("loop %d, ticks %d, paints %d, dialog %d, socket reads %d, text faults %d, screen %dx%d\n", rc, gTicks,
                gPaints, gDialogResult, gSocketReads, gTextFaults, ui::ScreenSize().width, ui::ScreenSize().height);
    const bool ok = rc == 0 && gTicks >= 12 && gTicks <= 250 && gPaints > 0 && gDialogResult == ui::IdOk &&
                    gSocketReads == 1 && gTextFaults == 0 && app.mainWindow() == nullptr;
    std::printf("%s\n", ok ? "smoke test passed" : "smoke test FAILED");
    return ok ? 0 : 1;
}
