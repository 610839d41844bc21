#include "app/buttons.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sstream>
#include <string>
#include <vector>

#include "core/config.h"
#include "tests/app/app_fixture.h"
#include "map/draw.h"
#include "platform/gfx/image.h"
#include "platform/sys/clock.h"
#include "platform/sys/files.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/window.h"
#include "tests/support/face_sheet.h"

namespace gfx = platform::gfx;

namespace ui = platform::ui;
namespace hl = platform::headless;
using gfx::Point;
using gfx::Rect;
using ui::MouseAction;

namespace {

// A parent that writes "ms:id" for each command and "ms:hl(tag,id)" for each
// highlight report, ms from the test's start; on a report it unhighlights its
// other buttons as the panels do.
class Owner : public ui::Window {
public:
    Owner() : Window(nullptr) { MoveWindow({0, 0, 400, 200}); }
    KESTRUNE_RESPONSE_TABLE(Owner);

    void Cm(int id) { Note(std::to_string(id)); }
    ui::Result Highlighted(ui::WParam tag, ui::LParam id) {
        Note("hl(" + std::to_string(tag) + "," + std::to_string(id) + ")");
        for (textButton* b : texts) {
            if (b->id() != id) UnhighlightTextButton(this, b);
        }
        for (myButton* b : bitmaps) {
            if (b->id() != id) UnhighlightMyButton(this, b);
        }
        return 0;
    }
    void Note(const std::string& what) {
        if (!seq.empty()) seq += ' ';
        seq += std::to_string(platform::Clock().TickCount() - start) + ":" + what;
    }

    std::string seq;
    std::uint32_t start = platform::Clock().TickCount();
    std::vector<textButton*> texts;
    std::vector<myButton*> bitmaps;
};

const ui::ResponseTable& Owner::Table() {
    using R = ui::ResponseTableOf<Owner, ui::Window>;
    static const ui::ResponseTable table = R::Build({
        R::CommandRange(1, 99999, &Owner::Cm),
        R::Message(WmButtonHighlighted, &Owner::Highlighted),
    });
    return table;
}

// A script of mouse actions: "D x y" press, "U x y" release, "C x y" double
// click, "M x y" move, "A ms" advance the virtual clock.
void Play(ui::Window& target, const std::string& script) {
    std::istringstream in(script);
    std::string op;
    while (in >> op) {
        if (op == "A") {
            int ms = 0;
            in >> ms;
            hl::Advance(ms);
            continue;
        }
        Point p;
        in >> p.x >> p.y;
        const MouseAction a = op == "D"   ? MouseAction::LeftDown
                              : op == "U" ? MouseAction::LeftUp
                              : op == "C" ? MouseAction::LeftDoubleClick
                                          : MouseAction::Move;
        hl::Mouse(target, a, p);
    }
}

gfx::Color At(const ui::Window& w, int x, int y) { return w.backBuffer().At(x, y); }

const gfx::Color kLight{255, 255, 255};
const gfx::Color kDark{128, 128, 128};
const gfx::Color kFace{192, 192, 192};
const gfx::Color kCaption{255, 0, 0};

class Buttons : public testing::Test {
protected:
    Buttons() {
        ResetConfigValues();
        owner.Create();
    }
    ~Buttons() override { ResetConfigValues(); }
    Owner owner;
};

}  // namespace

// ---- presses and the commands they send ----------------------------------------

struct PressCase {
    const char* name;
    int kind;  // 0 myButton, 1 myOnOffButton (on 804, off 815), 2 textButton
    int mode;
    const char* script;
    const char* expected;
};

TEST_F(Buttons, PressesSendTheseCommandsInThisOrder) {
    const PressCase cases[] = {
        {"plain", 0, 0, "D 5 5 A 1000 U 5 5", "0:801"},
        {"repeat while held", 0, 1, "D 5 5 A 1000 U 5 5 A 1000", "0:801 350:801 700:801"},
        {"repeat held off the button", 0, 1, "D 5 5 M 90 90 A 400 U 90 90 A 400", "0:801 350:801"},
        {"mode 2 on press and release", 0, 2, "D 5 5 A 1000 U 5 5", "0:801 1000:801"},
        {"last column sends nothing", 0, 1, "D 34 5 A 400 U 34 5", ""},
        {"last row sends nothing", 0, 0, "D 5 34 U 5 34", ""},
        {"left and top edges count", 0, 0, "D 0 0 U 0 0", "0:801"},
        {"a new press restarts the repeat", 0, 1, "D 5 5 A 200 U 5 5 D 5 5 A 200 U 5 5", "0:801 200:801"},
        {"double click, mode 1", 0, 1, "D 5 5 U 5 5 C 5 5 A 800 U 5 5", "0:801 0:801 350:801 700:801"},
        {"double click, mode 2", 0, 2, "D 5 5 U 5 5 C 5 5 U 5 5", "0:801 0:801 0:801 0:801 0:801"},
        {"stray release, mode 2", 0, 2, "U 5 5", ""},
        {"on and off", 1, 2, "D 5 5 A 500 U 5 5", "0:804 500:815"},
        {"on/off double click", 1, 2, "D 5 5 U 5 5 C 5 5 U 5 5", "0:804 0:815 0:804 0:804 0:815"},
        {"on/off repeating stops at release", 1, 1, "D 5 5 A 400 U 5 5 A 1000", "0:804 350:804 400:815"},
        {"on/off stray release", 1, 2, "U 5 5", ""},
        {"text button on release", 2, 0, "D 5 5 A 100 U 5 5", "100:828"},
        {"text button dragged off", 2, 0, "D 5 5 M 150 5 U 150 5", ""},
        {"text button dragged off and back", 2, 0, "D 5 5 M 150 5 M 6 6 U 6 6", "0:828"},
        {"text button stray release", 2, 0, "U 5 5", ""},
        {"text button double click", 2, 0, "D 5 5 U 5 5 C 5 5 U 5 5", "0:828 0:828"},
    };
    for (const PressCase& c : cases) {
        ui::Window* b = nullptr;
        if (c.kind == 0) b = new myButton(&owner, 801, 7001, "", c.mode, 4, 4, 34, 34);
        if (c.kind == 1) b = new myOnOffButton(&owner, 804, 815, 7003, c.mode, 4, 4, 34, 34);
        if (c.kind == 2) b = new textButton(&owner, 828, "Set Date", 4, 4, 100, 34, 0);
        ASSERT_TRUE(b->Create());
        owner.seq.clear();
        owner.start = platform::Clock().TickCount();
        Play(*b, c.script);
        EXPECT_EQ(owner.seq, c.expected) << c.name << ": " << c.script;
        b->Destroy();
        EXPECT_TRUE(hl::Timers().empty()) << c.name;
    }
}

TEST_F(Buttons, ADisabledButtonIgnoresTheMouse) {
    auto* t = new textButton(&owner, 828, "Set Date", 4, 4, 100, 34, 0);
    auto* m = new myButton(&owner, 801, 7001, "", 1, 120, 4, 34, 34);
    t->Create();
    m->Create();
    t->EnableWindow(false);
    m->EnableWindow(false);
    Play(*t, "D 5 5 U 5 5");
    Play(*m, "D 5 5 A 400 U 5 5");
    EXPECT_EQ(owner.seq, "");
    EXPECT_FALSE(m->pressed());
}

TEST_F(Buttons, TextButtonPressedFlagStaysUntilTheNextWholeDrawing) {
    auto* t = new textButton(&owner, 1044, "Europe", 4, 4, 100, 34, 3);
    t->Create();
    EXPECT_FALSE(t->pressed());
    Play(*t, "D 5 5 U 5 5");
    EXPECT_TRUE(t->pressed()) << "the button menu finds the chosen button by it";
    EXPECT_FALSE(t->down());
    t->Invalidate();
    t->Update();
    EXPECT_FALSE(t->pressed());
    Play(*t, "D 5 5 M 150 5 U 150 5");
    EXPECT_FALSE(t->pressed()) << "a press dragged off chooses nothing";
}

TEST_F(Buttons, CaptionsAreCut) {
    const std::string long40(40, 'x');
    textButton t(&owner, 1, long40, 0, 0, 10, 10, 0);
    myButton m(&owner, 2, 0, long40, 0, 0, 0, 10, 10);
    EXPECT_EQ(t.text(), std::string(38, 'x'));
    EXPECT_EQ(m.text(), std::string(14, 'x'));
    EXPECT_STREQ(textButton::GetClassName(), "BUTTON");
    EXPECT_STREQ(myButton::GetClassName(), "BUTTON");
    EXPECT_EQ(m.bitmap(), nullptr) << "no resource 0: a plain face";
}

// ---- highlight reports -----------------------------------------------------------

TEST_F(Buttons, HighlightIsReportedOncePerEntry) {
    gControls[kControlHighlightButtons] = 1;
    auto* t = new textButton(&owner, 1044, "Europe", 4, 4, 100, 34, 7);
    auto* m = new myButton(&owner, 801, 7001, "", 0, 120, 4, 34, 34);
    owner.texts = {t};
    owner.bitmaps = {m};
    t->Create();
    m->Create();
    Play(*t, "M 5 5 M 6 6 M 7 7");
    Play(*m, "M 5 5 M 6 6");
    EXPECT_EQ(owner.seq, "0:hl(7,1044) 0:hl(0,801)");
    EXPECT_FALSE(t->highlighted()) << "the bitmap button's report took it off the text button";
    EXPECT_TRUE(m->hovered());
    owner.seq.clear();
    Play(*t, "M 5 5");
    EXPECT_EQ(owner.seq, "0:hl(7,1044)");
    EXPECT_FALSE(m->hovered());
    EXPECT_TRUE(t->highlighted());
}

TEST_F(Buttons, WithoutHighlightButtonsOnlyBitmapButtonsReport) {
    auto* t = new textButton(&owner, 1044, "Europe", 4, 4, 100, 34, 7);
    auto* m = new myButton(&owner, 801, 7001, "", 0, 120, 4, 34, 34);
    t->Create();
    m->Create();
    Play(*t, "M 5 5");
    Play(*m, "M 5 5");
    EXPECT_EQ(owner.seq, "0:hl(0,801)");
    EXPECT_FALSE(t->highlighted());
}

TEST_F(Buttons, UnhighlightSkipsAbsentAndPlainButtons) {
    UnhighlightTextButton(&owner, nullptr);
    UnhighlightMyButton(&owner, nullptr);
    auto* m = new myButton(&owner, 801, 7001, "", 0, 4, 4, 34, 34);
    m->Create();
    m->backBuffer().ClearDamage();
    UnhighlightMyButton(&owner, m);
    EXPECT_TRUE(m->backBuffer().damage().empty()) << "not hovered: not drawn again";
}

// ---- drawn states -----------------------------------------------------------------

TEST_F(Buttons, TextButtonFaces) {
    gControls[kControlHighlightButtons] = 1;
    auto* t = new textButton(&owner, 828, "Set Date", 0, 0, 100, 34, 0);
    t->Create();
    t->Update();
    // Up: black outline, white upper-left bevel, grey lower-right, grey face.
    EXPECT_EQ(At(*t, 0, 0), gfx::kBlack);
    EXPECT_EQ(At(*t, 99, 33), gfx::kBlack);
    EXPECT_EQ(At(*t, 1, 1), kLight);
    EXPECT_EQ(At(*t, 2, 16), kLight);
    EXPECT_EQ(At(*t, 97, 31), kDark);
    EXPECT_EQ(At(*t, 50, 32), kDark);
    EXPECT_EQ(At(*t, 6, 6), kFace);
    int caption = 0;
    for (int y = 4; y < 30; ++y) {
        for (int x = 4; x < 96; ++x) caption += At(*t, x, y) == kCaption;
    }
    EXPECT_GT(caption, 10) << "the caption in light red";

    // Down: the bevel's colours swap.
    Play(*t, "D 5 5");
    EXPECT_EQ(At(*t, 1, 1), kDark);
    EXPECT_EQ(At(*t, 97, 31), kLight);
    Play(*t, "U 5 5");
    EXPECT_EQ(At(*t, 1, 1), kLight);

    // Highlighted: a dotted frame in the caption colour around the caption.
    gfx::DrawContext measure(t->backBuffer());
    const gfx::Size extent = measure.TextExtent("Set Date");
    const int left = 50 - (extent.width + 8) / 2;
    const int top = 17 - (extent.height + 4) / 2;
    auto frameDots = [&] {
        int n = 0;
        for (int y = top; y < top + extent.height + 4; ++y) n += At(*t, left, y) == kCaption;
        return n;
    };
    EXPECT_EQ(frameDots(), 0);
    Play(*t, "M 5 5");
    EXPECT_GT(frameDots(), extent.height / 3);
    UnhighlightTextButton(&owner, t);
    EXPECT_EQ(frameDots(), 0);
}

TEST_F(Buttons, DoviredezurTextButtonColours) {
    gControls[kControlDoviredezur] = 1;
    auto* t = new textButton(&owner, 828, "Set Date", 0, 0, 100, 34, 0);
    t->Create();
    t->Update();
    EXPECT_EQ(At(*t, 6, 6), ColorOf(18));
    int red = 0;
    for (int y = 0; y < 34; ++y) {
        for (int x = 0; x < 100; ++x) red += At(*t, x, y) == kCaption;
    }
    EXPECT_EQ(red, 0) << "black captions";
}

TEST_F(Buttons, BitmapButtonFaces) {
    gControls[kControlHighlightButtons] = 1;
    auto* m = new myOnOffButton(&owner, 804, 815, 7003, 2, 0, 0, 34, 34);
    m->Create();
    m->Update();
    const gfx::Surface& bmp = *m->bitmap();
    ASSERT_EQ(bmp.size(), (gfx::Size{32, 32}));
    // Off (up): the picture centred, one pixel in; raised bevel.
    auto picture = [&](int shift) {
        int wrong = 0;
        for (int y = 6; y < 28; ++y) {
            for (int x = 6; x < 28; ++x) wrong += At(*m, x, y) != bmp.At(x - shift, y - shift);
        }
        return wrong;
    };
    EXPECT_EQ(picture(1), 0);
    EXPECT_EQ(At(*m, 1, 1), kLight);
    EXPECT_EQ(At(*m, 32, 32), kDark);
    EXPECT_EQ(At(*m, 0, 0), gfx::kBlack);
    // On (held): the picture moves down and right by one, the bevel is sunken.
    Play(*m, "D 5 5");
    EXPECT_EQ(picture(2), 0);
    EXPECT_EQ(At(*m, 1, 1), kDark);
    EXPECT_EQ(At(*m, 32, 32), kLight);
    Play(*m, "U 5 5");
    EXPECT_EQ(picture(1), 0);
    // Hovered with HIGHLIGHT BUTTONS: a dotted black frame 4 pixels in.
    auto dots = [&] {
        int n = 0;
        for (int x = 4; x < 30; ++x) n += At(*m, x, 4) == gfx::kBlack;
        return n;
    };
    const int before = dots();
    Play(*m, "M 10 10");
    EXPECT_GE(dots() - before, 8);
    UnhighlightMyButton(&owner, m);
    EXPECT_EQ(dots(), before);
}

TEST_F(Buttons, HoverFrameNeedsHighlightButtons) {
    auto* m = new myButton(&owner, 801, 7001, "", 0, 0, 0, 34, 34);
    m->Create();
    m->Update();
    std::vector<std::uint32_t> before(m->backBuffer().row(0), m->backBuffer().row(0) + 34 * 34);
    Play(*m, "M 10 10");
    EXPECT_TRUE(m->hovered());
    std::vector<std::uint32_t> after(m->backBuffer().row(0), m->backBuffer().row(0) + 34 * 34);
    EXPECT_EQ(before, after);
}

TEST_F(Buttons, EveryResourceHasItsSize) {
    const struct {
        int id;
        int w, h;
    } sizes[] = {{600, 16, 16}, {601, 16, 16}, {7001, 32, 32}, {7002, 32, 32}, {7003, 32, 32}, {7004, 32, 32},
                 {7005, 32, 32}, {7006, 32, 32}, {7007, 32, 32}, {7008, 32, 32}, {7010, 32, 32}, {32555, 18, 20}};
    for (const auto& s : sizes) {
        auto b = LoadBitmapResource(s.id);
        ASSERT_NE(b, nullptr) << s.id;
        EXPECT_EQ(b->size(), (gfx::Size{s.w, s.h})) << s.id;
    }
    EXPECT_EQ(LoadBitmapResource(7009), nullptr);
    // The arrows point the way their ids say: the down arrow is wide near the top.
    EXPECT_EQ(LoadBitmapResource(600)->At(4, 5), ColorOf(kLightGrayColor));
    EXPECT_EQ(LoadBitmapResource(601)->At(4, 5), gfx::kBlack);
    EXPECT_EQ(LoadBitmapResource(600)->At(4, 10), gfx::kBlack);
}

// The word over each transport symbol is set in a real face, as large as the
// face allows: at least 7 rows high, whole inside what the button's 3-pixel
// bevel leaves of the face (it sits 1 pixel in), clear of the symbol.
TEST_F(Buttons, TransportWordsAreWholeAndReadable) {
    for (int id : {7001, 7002, 7003, 7004, 7005, 7006, 7007, 7008, 7010}) {
        SCOPED_TRACE(id);
        auto face = LoadBitmapResource(id);
        ASSERT_NE(face, nullptr);
        int top = 32, bottom = -1, left = 32, right = -1;
        for (int y = 0; y < 14; ++y) {
            for (int x = 0; x < 32; ++x) {
                if (face->At(x, y) != gfx::kBlack) continue;
                top = std::min(top, y), bottom = std::max(bottom, y);
                left = std::min(left, x), right = std::max(right, x);
            }
        }
        ASSERT_GE(bottom, 0) << "no word";
        EXPECT_GE(bottom - top + 1, 7);
        EXPECT_GE(right - left + 1, 10);
        EXPECT_GE(left, 2);
        EXPECT_LE(right, 29);
        EXPECT_GE(top, 2);
        EXPECT_LT(bottom, 14);
    }
}

// A picture of the faces, enlarged three times, for a person to look at.
TEST_F(Buttons, WritesAPictureOfTheStates) {
    gControls[kControlHighlightButtons] = 1;
    testsupport::FaceSheet sheet(400, 130, ColorOf(kLightGrayColor));
    // Row 1: text button up, down, highlighted.
    auto* up = new textButton(&owner, 1, "Plates", 0, 0, 80, 30, 0);
    auto* down = new textButton(&owner, 2, "Plates", 0, 0, 80, 30, 0);
    auto* lit = new textButton(&owner, 3, "Plates", 0, 0, 80, 30, 0);
    for (auto* b : {up, down, lit}) b->Create();
    Play(*lit, "M 5 5");  // before the press, which captures the mouse
    Play(*down, "D 5 5");
    sheet.Put(*up, 4, 4);
    sheet.Put(*down, 90, 4);
    sheet.Put(*lit, 176, 4);
    down->ReleaseCapture();  // so that the hover below reaches its button
    // Row 2: every transport face; row 3: pressed, hovered, the arrows.
    int x = 4;
    for (int id : {7001, 7003, 7004, 7005, 7006, 7007, 7008, 7010}) {
        auto* b = new myButton(&owner, id, id, "", 0, 0, 0, 34, 34);
        b->Create();
        sheet.Put(*b, x, 40);
        x += 38;
    }
    auto* held = new myOnOffButton(&owner, 804, 815, 7003, 2, 0, 0, 34, 34);
    auto* hover = new myButton(&owner, 801, 7001, "", 0, 0, 0, 34, 34);
    auto* upArrow = new myButton(&owner, 811, 600, "", 1, 0, 0, 18, 18);
    auto* downArrow = new myButton(&owner, 812, 601, "", 1, 0, 0, 18, 18);
    for (auto* b : {static_cast<myButton*>(held), hover, upArrow, downArrow}) b->Create();
    Play(*hover, "M 5 5");
    Play(*held, "D 5 5");
    sheet.Put(*held, 4, 80);
    sheet.Put(*hover, 42, 80);
    sheet.Put(*downArrow, 80, 88);
    sheet.Put(*upArrow, 100, 88);
    auto thumb = LoadBitmapResource(32555);
    sheet.dc().Blit(Rect::FromSize(124, 86, 18, 20), *thumb, {0, 0}, gfx::RasterOp::Copy);
    EXPECT_TRUE(sheet.SaveEnlarged("button_states.png"));
}

// ---- activity -----------------------------------------------------------------------

class ButtonActivity : public apptest::AppTest {};

TEST_F(ButtonActivity, APressedFaceRestartsTheInactivityCountdown) {
    for (const bool popup : {false, true}) {
        gInactivePopup = popup;
        gTimeout = 90;
        myFrame* frame = Start();
        ASSERT_NE(frame, nullptr);
        frame->SetInactivityCountdown(0);  // the button menu of the start set it
        auto* m = new myButton(frame, 801, 7001, "", 0, 4, 4, 34, 34);
        auto* t = new textButton(frame, 828, "Set Date", 40, 4, 100, 34, 0);
        m->Create();
        t->Create();
        Play(*m, "M 5 5");
        EXPECT_EQ(frame->inactivityCountdown(), 0u) << "a face drawn up is no activity";
        Play(*m, "D 5 5 U 5 5");
        EXPECT_EQ(frame->inactivityCountdown(), popup ? 90u : 0u);
        app_.reset();
        gMainFrame = nullptr;
    }
}
