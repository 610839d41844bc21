#include <gtest/gtest.h>

#include <string>

#include "platform/sys/clock.h"
#include "platform/ui/headless/headless.h"
#include "platform/ui/window.h"

namespace ui = platform::ui;
namespace hl = platform::headless;

namespace {

// Writes "ms:window.id" for every tick, ms counted from the test's start, so a
// failure prints the whole expected and actual sequence.
std::string gSeq;
std::uint32_t gStart = 0;

void Note(const std::string& who, int id) {
    if (!gSeq.empty()) gSeq += ' ';
    gSeq += std::to_string(platform::Clock().TickCount() - gStart) + ":" + who + "." + std::to_string(id);
}

class Ticker : public ui::Window {
public:
    explicit Ticker(std::string name) : Window(nullptr), name_(std::move(name)) { Create(); }
    KESTRUNE_RESPONSE_TABLE(Ticker);
    std::function<void(Ticker&, int)> onTick;

protected:
    void EvTimer(int id) override {
        Note(name_, id);
        if (onTick) onTick(*this, id);
    }

private:
    void TickTwo() { Note(name_ + "/table", 2); }
    std::string name_;
};

const ui::ResponseTable& Ticker::Table() {
    using R = ui::ResponseTableOf<Ticker, ui::Window>;
    static const ui::ResponseTable table = R::Build({R::Timer(2, &Ticker::TickTwo)});
    return table;
}

class Timers : public testing::Test {
protected:
    void SetUp() override {
        gSeq.clear();
        gStart = platform::Clock().TickCount();
    }
};

}  // namespace

TEST_F(Timers, DueTimersFireInTimeOrder) {
    Ticker frame("frame"), welcome("welcome");
    ASSERT_TRUE(frame.SetTimer(5, 1000));
    ASSERT_TRUE(frame.SetTimer(1, 400));
    ASSERT_TRUE(welcome.SetTimer(4, 1000));
    hl::Advance(999);
    hl::Advance(1001);
    // At 1000 ms and 2000 ms the frame's timer 5 was set first; it goes first.
    EXPECT_EQ(gSeq,
              "400:frame.1 800:frame.1 1000:frame.5 1000:welcome.4 1200:frame.1 1600:frame.1 "
              "2000:frame.5 2000:frame.1 2000:welcome.4");
}

TEST_F(Timers, HandlersChangeTheSchedule) {
    Ticker a("a"), b("b");
    a.SetTimer(3, 500);   // a one-shot: kills itself at its first tick
    b.SetTimer(1, 100);
    b.onTick = [&](Ticker& self, int id) {
        if (id == 1 && gSeq.find("b.1") == gSeq.rfind("b.1")) {
            a.SetTimer(3, 500);  // restarts a's countdown from 100 ms
            self.SetTimer(1, 250);
        }
    };
    a.onTick = [](Ticker& self, int id) { self.KillTimer(id); };
    hl::Advance(1000);
    EXPECT_EQ(gSeq, "100:b.1 350:b.1 600:a.3 600:b.1 850:b.1");
    ASSERT_EQ(hl::Timers().size(), 1u);
    EXPECT_EQ(hl::Timers()[0].window, &b);
    EXPECT_EQ(hl::Timers()[0].dueInMs, 100);
}

TEST_F(Timers, ATableEntryTakesItsIdFromEvTimer) {
    Ticker w("w");
    w.SetTimer(2, 30);
    w.SetTimer(7, 50);
    hl::Advance(60);
    EXPECT_EQ(gSeq, "30:w/table.2 50:w.7 60:w/table.2");
}

TEST_F(Timers, AWaitInsideAHandlerFiresTheOthersButNotItself) {
    Ticker frame("frame");
    frame.SetTimer(1, 50);
    frame.SetTimer(5, 120);
    int waits = 0;
    frame.onTick = [&waits](Ticker&, int id) {
        if (id == 1 && waits++ == 0) {
            // The handler waits 200 ms the way the delay pump does.
            const std::uint32_t t0 = platform::Clock().TickCount();
            while (platform::Clock().TickCount() - t0 < 200) ui::WaitForMessage(200 - (platform::Clock().TickCount() - t0));
        }
    };
    hl::Advance(300);
    // Timer 5 ticks twice inside the first tick's wait; timer 1 is overdue when it ends.
    EXPECT_EQ(gSeq, "50:frame.1 120:frame.5 240:frame.5 250:frame.1 300:frame.1");
}

TEST_F(Timers, DestroyingAWindowStopsItsTimers) {
    auto* w = new Ticker("w");
    ui::Window* parentless = w;
    auto* child = new ui::Window(w);
    ASSERT_TRUE(child->Create());
    w->SetTimer(1, 10);
    w->onTick = [](Ticker& self, int) { self.Destroy(); };
    hl::Advance(100);
    EXPECT_EQ(gSeq, "10:w.1");
    EXPECT_TRUE(hl::Timers().empty());
    // Nothing in the tree owns it: it and its child lose their native side and
    // stay for their owner to delete.
    EXPECT_FALSE(w->SetTimer(1, 10));
    EXPECT_FALSE(child->created());
    EXPECT_EQ(w->children().size(), 1u);
    delete parentless;
}

TEST_F(Timers, NeedACreatedWindow) {
    ui::Window w(nullptr);
    EXPECT_FALSE(w.SetTimer(1, 10));
    hl::Advance(50);
    EXPECT_EQ(gSeq, "");
}
