#include <gtest/gtest.h>

#include <memory>
#include <type_traits>

#include "platform/gfx/draw_context.h"
#include "platform/ui/dialog.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/recent_files.h"
#include "tests/platform/ui_fixture.h"

namespace ui = platform::ui;
namespace gfx = platform::gfx;
namespace hl = platform::headless;
using uitest::Join;
using uitest::Log;
using uitest::Pane;

namespace {

// A base pane with a command, a range and an enabler; a derived pane that
// overrides one entry and adds its own.
class BasePane : public Pane {
public:
    using Pane::Pane;
    KESTRUNE_RESPONSE_TABLE(BasePane);
    void CmZoom() { log_.push_back(name_ + ".zoom"); }
    void CmSpeed(int id) { log_.push_back(name_ + ".speed" + std::to_string(id)); }
    void CeZoom(ui::CommandEnabler& ce) {
        log_.push_back(name_ + ".ceZoom");
        ce.Enable(zoomable);
    }
    bool zoomable = false;
};

const ui::ResponseTable& BasePane::Table() {
    using R = ui::ResponseTableOf<BasePane, ui::Window>;
    static const ui::ResponseTable table = R::Build({
        R::Command(149, &BasePane::CmZoom),
        R::CommandRange(300, 324, &BasePane::CmSpeed),
        R::Enabler(149, &BasePane::CeZoom),
    });
    return table;
}

class DerivedPane : public BasePane {
public:
    using BasePane::BasePane;
    KESTRUNE_RESPONSE_TABLE(DerivedPane);
    void CmOwnZoom() { log_.push_back(name_ + ".ownZoom"); }
    void CmNext() { log_.push_back(name_ + ".next"); }
    void CmSelfDestruct() {
        Destroy();
        log_.push_back(name_ + ".stillHere");  // the window lives until the handler returns
    }
    void CmDropParent() {
        parent()->Destroy();
        log_.push_back(name_ + ".parentStillHere");
    }
    ui::Result EvHighlighted(ui::WParam tag, ui::LParam id) {
        log_.push_back(name_ + ".highlight" + std::to_string(tag) + "/" + std::to_string(id));
        return 42;
    }
};

const ui::ResponseTable& DerivedPane::Table() {
    using R = ui::ResponseTableOf<DerivedPane, BasePane>;
    static const ui::ResponseTable table = R::Build({
        R::Command(149, &DerivedPane::CmOwnZoom),
        R::Command(1037, &DerivedPane::CmNext),
        R::Command(822, &DerivedPane::CmSelfDestruct),
        R::Command(823, &DerivedPane::CmDropParent),
        R::Message(1069, &DerivedPane::EvHighlighted),
    });
    return table;
}

// A wrong handler signature must not make an entry: the factories take member
// pointers of exactly the handler's type.
using R = ui::ResponseTableOf<DerivedPane, BasePane>;
static_assert(std::is_invocable_v<decltype(&R::Command), int, void (DerivedPane::*)()>);
static_assert(!std::is_invocable_v<decltype(&R::Command), int, void (DerivedPane::*)(int)>);
static_assert(!std::is_invocable_v<decltype(&R::CommandRange), int, int, void (DerivedPane::*)()>);
static_assert(!std::is_invocable_v<decltype(&R::Enabler), int, void (DerivedPane::*)()>);
static_assert(!std::is_invocable_v<decltype(&R::Message), ui::MessageId, void (DerivedPane::*)(ui::WParam, ui::LParam)>);
static_assert(!std::is_invocable_v<decltype(&R::Command), int, void (uitest::TestApp::*)()>);  // another class

class TestFrame : public ui::Frame {
public:
    TestFrame(Log& log, ui::Window* client = nullptr) : Frame(nullptr, "Kestrune", client), log_(log) {}
    ~TestFrame() override { log_.push_back("~frame"); }
    KESTRUNE_RESPONSE_TABLE(TestFrame);
    void CmExit() { log_.push_back("frame.exit"); }
    void CmRepeat() {
        log_.push_back("frame.repeat{");
        if (pane) pane->SendCommand(1037);  // runs before this handler goes on
        log_.push_back("}");
    }
    void CeViewOpen(ui::CommandEnabler& ce) { ce.Enable(viewOpen); }
    void CmTemplate(int id) { log_.push_back("frame.template" + std::to_string(id)); }
    void CmRedraw() { log_.push_back("frame.redraw"); }
    bool CanClose() override { return mayClose; }

    ui::Window* pane = nullptr;
    bool viewOpen = false;
    bool mayClose = true;

private:
    Log& log_;
};

const ui::ResponseTable& TestFrame::Table() {
    using R = ui::ResponseTableOf<TestFrame, ui::Frame>;
    static const ui::ResponseTable table = R::Build({
        R::Command(138, &TestFrame::CmExit),
        R::Command(150, &TestFrame::CmRepeat),
        R::CommandRange(1001, 1009, &TestFrame::CmTemplate),
        R::Enabler(24339, &TestFrame::CeViewOpen),
        R::Enabler(365, &TestFrame::CeViewOpen),
        R::Command(1014, &TestFrame::CmRedraw),
        R::Enabler(1014, &TestFrame::CeViewOpen),
        R::Enabler(24500, &TestFrame::CeViewOpen),
    });
    return table;
}

// frame > client pane (DerivedPane "map") > child pane "button"
struct Tree {
    Log log;
    uitest::TestApp app{log};
    TestFrame* frame;
    DerivedPane* map;
    Pane* button;

    Tree() {
        auto owned = std::make_unique<TestFrame>(log);
        frame = owned.get();
        map = new DerivedPane(nullptr, "map", log);
        frame->SetClient(map);
        frame->pane = map;
        button = new Pane(map, "button", log);
        button->MoveWindow(ui::Rect::FromSize(10, 20, 30, 30));
        frame->MoveWindow({0, 0, 800, 600});
        app.SetMainWindow(std::move(owned));
        EXPECT_TRUE(frame->Create());
        log.clear();
    }
};

}  // namespace

TEST(ResponseTable, DerivedEntriesComeFirstAndRangesGetTheId) {
    Log log;
    DerivedPane pane(nullptr, "p", log);
    BasePane base(nullptr, "b", log);
    struct Case {
        ui::Window* target;
        int id;
        bool handled;
        const char* log;
    } cases[] = {
        {&pane, 149, true, "p.ownZoom"},   // overridden in the derived table
        {&base, 149, true, "b.zoom"},
        {&pane, 305, true, "p.speed305"},  // inherited range, handler sees the id
        {&pane, 324, true, "p.speed324"},
        {&pane, 325, false, ""},
        {&pane, 1037, true, "p.next"},
        {&base, 1037, false, ""},
    };
    for (const Case& c : cases) {
        log.clear();
        EXPECT_EQ(c.target->SendCommand(c.id), c.handled) << c.id;
        EXPECT_EQ(Join(log), c.log) << c.id;
    }
}

TEST(ResponseTable, MessagesByIdAndByRegisteredName) {
    Log log;
    DerivedPane pane(nullptr, "p", log);
    EXPECT_EQ(pane.SendMessage(1069, 3, 801), 42);
    EXPECT_EQ(Join(log), "p.highlight3/801");
    EXPECT_EQ(pane.SendMessage(1070), 0);  // nobody handles it

    const ui::MessageId mru = ui::RegisterMessage("MRUFILEMESSAGE");
    EXPECT_GE(mru, ui::kFirstRegisteredMessage);
    EXPECT_EQ(ui::RegisterMessage("MRUFILEMESSAGE"), mru);
    EXPECT_NE(ui::RegisterMessage("ANOTHERMESSAGE"), mru);
    uitest::TestApp app(log);
    log.clear();
    EXPECT_EQ(app.RunMessage(mru, 4, 0), std::optional<ui::Result>(0));
    EXPECT_EQ(Join(log), "app.recent4");
}

TEST(CommandRoute, UnhandledCommandsClimbToTheFrameAndTheApplication) {
    Tree t;
    EXPECT_TRUE(t.button->SendCommand(1037));  // the map pane, the button's parent
    EXPECT_TRUE(t.button->SendCommand(138));   // the frame
    EXPECT_TRUE(t.button->SendCommand(2009));  // the application
    EXPECT_FALSE(t.button->SendCommand(4242));
    EXPECT_EQ(Join(t.log), "map.next frame.exit app.about");
    ASSERT_EQ(hl::Commands().size(), 4u);
    EXPECT_FALSE(hl::Commands()[3].handled);
    EXPECT_EQ(hl::Commands()[3].id, 4242);
}

TEST(CommandRoute, SendRunsTheHandlerBeforeReturning) {
    Tree t;
    t.frame->SendCommand(150);
    EXPECT_EQ(Join(t.log), "frame.repeat{ map.next }");
}

TEST(CommandRoute, MenuCommandsStartAtTheFocusWindow) {
    Tree t;
    auto* side = new DerivedPane(t.frame, "side", t.log);  // a second child of the frame
    ASSERT_TRUE(side->Create());
    EXPECT_TRUE(t.frame->RouteCommand(1037));  // no focus: from the client
    side->SetFocus();
    EXPECT_TRUE(t.frame->RouteCommand(1037));  // from the focus
    t.button->SetFocus();
    EXPECT_TRUE(t.frame->RouteCommand(1037));  // from the focus up through the map pane
    EXPECT_TRUE(t.frame->RouteCommand(1005));
    ui::Window elsewhere(nullptr);
    elsewhere.SetFocus();                      // outside this frame: from the client again
    EXPECT_TRUE(t.frame->RouteCommand(1037));
    EXPECT_EQ(Join(t.log), "map.next side.next map.next frame.template1005 map.next");
}

TEST(CommandRoute, PostedCommandsWaitForTheLoop) {
    Tree t;
    t.map->PostCommand(1037);
    EXPECT_EQ(Join(t.log), "");
    ui::Message m;
    ASSERT_TRUE(ui::PeekMessage(m));
    ui::DispatchMessage(m);
    EXPECT_EQ(Join(t.log), "map.next");
}

TEST(Enablers, ComputedApartFromTheCommand) {
    Tree t;
    t.button->SetFocus();
    // Enabler only (365 has no handler): follows the frame's flag.
    EXPECT_FALSE(t.button->QueryCommand(365).enabled());
    t.frame->viewOpen = true;
    EXPECT_TRUE(t.button->QueryCommand(365).enabled());
    // Handler without enabler: always enabled. Neither: greyed.
    EXPECT_TRUE(t.button->QueryCommand(138).enabled());
    EXPECT_TRUE(t.button->QueryCommand(2009).enabled());
    EXPECT_FALSE(t.button->QueryCommand(4242).enabled());
    // The pane's own enabler wins over its handler, and never runs the command.
    EXPECT_FALSE(t.map->QueryCommand(149).enabled());
    t.map->zoomable = true;
    EXPECT_TRUE(t.map->QueryCommand(149).enabled());
    EXPECT_EQ(Join(t.log), "map.ceZoom map.ceZoom");
}

TEST(DeferredDeletion, AHandlerMayDestroyItsOwnWindow) {
    Tree t;
    t.map->PostCommand(1037);
    t.map->SetTimer(1, 50);
    EXPECT_TRUE(t.map->SendCommand(822));
    // After the handler's last line; a window's own destructor runs before its children go.
    EXPECT_EQ(Join(t.log), "map.stillHere ~map ~button");
    EXPECT_EQ(t.frame->client(), nullptr);
    EXPECT_EQ(hl::PendingMessageCount(), 0u);  // its queued command went with it
    EXPECT_TRUE(hl::Timers().empty());
    hl::Advance(100);
    EXPECT_EQ(t.frame->children().size(), 0u);
}

TEST(DeferredDeletion, AChildMayDestroyItsParent) {
    Tree t;
    auto* child = new DerivedPane(t.map, "child", t.log);
    child->Create();
    child->SendCommand(823);
    EXPECT_EQ(Join(t.log), "child.parentStillHere ~map ~child ~button");
    EXPECT_EQ(t.frame->client(), nullptr);
}

TEST(DeferredDeletion, WindowsNotBusyGoAtOnce) {
    Tree t;
    t.button->Destroy();
    EXPECT_EQ(Join(t.log), "~button");
    EXPECT_TRUE(t.map->children().empty());
}

TEST(Frame, ClientIsReplacedAndFollowsTheFrame) {
    Tree t;
    EXPECT_EQ(t.map->rect(), (ui::Rect{0, 0, 800, 600}));
    EXPECT_TRUE(t.map->visible());
    auto* start = new Pane(nullptr, "start", t.log);
    EXPECT_EQ(t.frame->SetClient(start), t.map);
    EXPECT_EQ(t.frame->client(), start);
    EXPECT_EQ(start->parent(), t.frame);
    EXPECT_TRUE(start->created());
    EXPECT_TRUE(start->visible());
    EXPECT_FALSE(t.map->visible());  // kept, hidden
    t.log.clear();
    t.frame->MoveWindow({0, 0, 1024, 768});
    EXPECT_EQ(start->rect(), (ui::Rect{0, 0, 1024, 768}));
    EXPECT_EQ(Join(t.log), "start.size1024x768");
    EXPECT_EQ(t.frame->SetClient(t.map), start);
    EXPECT_EQ(t.map->rect(), (ui::Rect{0, 0, 1024, 768}));
}

TEST(Frame, ClosingTheMainWindowEndsTheApplicationLoop) {
    Tree t;
    t.frame->mayClose = false;
    hl::CloseBox(*t.frame);
    EXPECT_EQ(t.app.mainWindow(), t.frame);
    t.frame->mayClose = true;
    ui::Message close;
    close.target = t.frame;
    close.kind = ui::MessageKind::Close;
    ui::PostMessage(close);
    EXPECT_EQ(t.app.Run(), 0);
    EXPECT_EQ(t.app.mainWindow(), nullptr);
    EXPECT_EQ(Join(t.log), "~frame ~map ~button");
}

TEST(Frame, MaximisedFrameTakesTheScreen) {
    Log log;
    hl::SetScreenSize({1024, 768});
    EXPECT_EQ(ui::ScreenSize(), (ui::Size{1024, 768}));
    TestFrame frame(log, new Pane(nullptr, "client", log));
    frame.ModifyStyle(0, ui::style::kMaximize);
    ASSERT_TRUE(frame.Create());
    EXPECT_EQ(frame.rect(), (ui::Rect{0, 0, 1024, 768}));
    EXPECT_EQ(frame.client()->rect(), (ui::Rect{0, 0, 1024, 768}));
}

TEST(Accelerators, AKeyWhoseCommandIsGreyedSendsNothing) {
    Tree t;
    ui::AcceleratorTable table;
    table.AddChar(18, 1014).AddKey(ui::key::kF1, 24500).AddChar(20, 1016);
    t.frame->SetAccelerators(table);
    t.button->SetFocus();
    hl::Char(*t.button, 18);
    hl::KeyDown(*t.button, ui::key::kF1);  // greyed: never sent
    hl::Char(*t.button, 20);               // no handler anywhere
    EXPECT_EQ(Join(t.log), "");
    t.frame->viewOpen = true;
    hl::Char(*t.button, 18);
    hl::KeyDown(*t.button, ui::key::kF1);
    EXPECT_EQ(Join(t.log), "frame.redraw");
}

TEST(Frame, TheExitCommandClosesThroughCanClose) {
    Tree t;
    t.frame->mayClose = false;
    EXPECT_TRUE(t.frame->SendCommand(ui::kExitCommand));
    EXPECT_EQ(t.app.mainWindow(), t.frame);
    t.frame->mayClose = true;
    EXPECT_TRUE(t.frame->SendCommand(ui::kExitCommand));
    EXPECT_EQ(t.app.mainWindow(), nullptr);
}

TEST(Accelerators, KeysAndCharactersBecomeFrameCommands) {
    Tree t;
    ui::AcceleratorTable table;
    table.AddKey(ui::key::kPageDown, 1101).AddKey(ui::key::kF1 + 4, 1005).AddChar(19, 138).AddKey('S', 150, ui::kControl);
    t.frame->SetAccelerators(table);
    t.button->SetFocus();
    hl::KeyDown(*t.button, ui::key::kF1 + 4);  // F5
    hl::Char(*t.button, 19);                     // Ctrl+S as a character
    hl::KeyDown(*t.button, 'S');                 // no Ctrl: the window's own key
    hl::KeyDown(*t.button, 'S', ui::kControl);
    hl::Char(*t.button, 'a');
    EXPECT_EQ(Join(t.log), "frame.template1005 frame.exit button.key83 frame.repeat{ map.next } button.char97");
    // Keys in a dialog or a popup owned by the frame are theirs.
    t.log.clear();
    auto* dialog = new ui::Dialog(t.frame, 4711);
    auto* popup = new Pane(t.frame, "popup", t.log);
    popup->ModifyStyle(ui::style::kChild, ui::style::kPopup);
    dialog->Create();
    popup->Create();
    hl::Char(*dialog, 19);
    hl::KeyDown(*popup, ui::key::kPageDown);
    EXPECT_EQ(Join(t.log), "popup.key34");
}

TEST(Mouse, CaptureRedirectsToTheCapturingWindow) {
    Tree t;
    hl::Mouse(*t.button, ui::MouseAction::LeftDown, {5, 6});
    t.map->SetCapture();
    hl::Mouse(*t.button, ui::MouseAction::Move, {5, 6});  // the button lies at (10, 20) in the map
    t.map->ReleaseCapture();
    hl::Mouse(*t.button, ui::MouseAction::Move, {1, 1});
    EXPECT_EQ(Join(t.log), "button.down(5,6) map.move(15,26) button.move(1,1)");
}

TEST(Paint, InvalidPartsArePaintedOnUpdate) {
    const gfx::Color teal(0x33, 0x66, 0x99);
    struct Painter : ui::Window {
        using Window::Window;
        std::vector<ui::Rect> damaged;
        gfx::Color colour;
        void Paint(ui::BackBuffer& buffer, const ui::Rect& r) override {
            damaged.push_back(r);
            gfx::DrawContext dc(buffer);
            dc.FillRect(r, gfx::Brush::Solid(colour));
        }
    };
    Painter w(nullptr);
    w.colour = teal;
    w.MoveWindow({0, 0, 40, 30});
    ASSERT_TRUE(w.Create());
    w.Update();  // created invalid as a whole
    w.Invalidate(ui::Rect::FromSize(5, 5, 4, 4));
    w.Invalidate(ui::Rect::FromSize(20, 10, 100, 100));  // cut to the client
    hl::PaintAll();  // hidden windows wait
    w.Show(ui::ShowCommand::Show);
    hl::PaintAll();
    hl::PaintAll();  // nothing left to paint
    ASSERT_EQ(w.damaged.size(), 2u);
    EXPECT_EQ(w.damaged[0], (ui::Rect{0, 0, 40, 30}));
    EXPECT_EQ(w.damaged[1], (ui::Rect{5, 5, 40, 30}));
    EXPECT_EQ(w.backBuffer().At(39, 29), teal);
}

// What a handler drew far apart reaches the screen as separate rectangles,
// and the screen then shows what the back buffer holds.
TEST(Paint, DamageFarApartIsPresentedRectangleByRectangle) {
    struct Dots : ui::Window {
        using Window::Window;
        void EvTimer(int) override {
            gfx::DrawContext dc(backBuffer());
            dc.FillRect(ui::Rect::FromSize(2, 3, 4, 4), gfx::Brush::Solid(gfx::kWhite));
            dc.FillRect(ui::Rect::FromSize(150, 90, 5, 5), gfx::Brush::Solid(gfx::Color{200, 0, 0}));
        }
    };
    hl::KeepScreenImages(true);
    Dots w(nullptr);
    w.MoveWindow({0, 0, 160, 100});
    ASSERT_TRUE(w.Create());
    w.Update();
    hl::TakePresentedRects(w);
    w.SetTimer(1, 50);
    hl::Advance(50);
    EXPECT_EQ(hl::TakePresentedRects(w),
              (std::vector<ui::Rect>{ui::Rect::FromSize(2, 3, 4, 4), ui::Rect::FromSize(150, 90, 5, 5)}));
    const gfx::Surface* screen = hl::ScreenImage(w);
    ASSERT_NE(screen, nullptr);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 160; ++x) ASSERT_EQ(screen->At(x, y), w.backBuffer().At(x, y)) << x << "," << y;
}

TEST(Paint, DrawingOutsidePaintIsPresentedAfterTheHandler) {
    struct Animated : ui::Window {
        using Window::Window;
        void EvTimer(int) override {
            gfx::DrawContext dc(backBuffer());
            dc.FillRect(ui::Rect::FromSize(3, 4, 5, 6), gfx::Brush::Solid(gfx::kWhite));
        }
    };
    Animated w(nullptr);
    w.MoveWindow({0, 0, 50, 50});
    ASSERT_TRUE(w.Create());
    w.Update();
    hl::TakePresented(w);
    w.SetTimer(1, 50);
    hl::Advance(50);
    EXPECT_EQ(hl::TakePresented(w), ui::Rect::FromSize(3, 4, 5, 6));
    EXPECT_EQ(w.backBuffer().damage(), ui::Rect{});  // taken by the layer
    w.MoveWindow({0, 0, 20, 20});
    EXPECT_EQ(w.backBuffer().size(), (ui::Size{20, 20}));
    EXPECT_EQ(w.backBuffer().At(3, 4), gfx::kWhite);  // the overlap survives a resize
}
