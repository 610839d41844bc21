#pragma once
// Small windows for the window-layer tests: each writes what ran into a log.
#include <ostream>
#include <string>
#include <vector>

#include "platform/ui/app.h"
#include "platform/ui/frame.h"
#include "platform/ui/window.h"

namespace platform::ui {
inline void PrintTo(const Rect& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}
inline void PrintTo(Point p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
}  // namespace platform::ui

namespace uitest {

using Log = std::vector<std::string>;

inline std::string Join(const Log& log) {
    std::string out;
    for (const std::string& s : log) out += (out.empty() ? "" : " ") + s;
    return out;
}

// A pane that logs its mouse, key and size messages and its deletion.
class Pane : public platform::ui::Window {
public:
    Pane(platform::ui::Window* parent, std::string name, Log& log)
        : Window(parent, name), name_(std::move(name)), log_(log) {}
    ~Pane() override { log_.push_back("~" + name_); }

    const std::string& name() const { return name_; }

protected:
    void EvLButtonDown(platform::ui::Point p, std::uint32_t) override {
        log_.push_back(name_ + ".down(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")");
    }
    void EvMouseMove(platform::ui::Point p, std::uint32_t) override {
        log_.push_back(name_ + ".move(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")");
    }
    void EvKeyDown(int key, std::uint32_t) override { log_.push_back(name_ + ".key" + std::to_string(key)); }
    void EvChar(int ch) override { log_.push_back(name_ + ".char" + std::to_string(ch)); }
    void EvSize(platform::ui::Size s) override {
        log_.push_back(name_ + ".size" + std::to_string(s.width) + "x" + std::to_string(s.height));
    }

    std::string name_;
    Log& log_;
};

// An application whose table handles one command and the recent-file message.
class TestApp : public platform::ui::Application {
public:
    explicit TestApp(Log& log) : Application("Kestrune"), log_(log) {}
    KESTRUNE_RESPONSE_TABLE(TestApp);
    void CmAbout() { log_.push_back("app.about"); }
    platform::ui::Result CmOpenRecent(platform::ui::WParam index, platform::ui::LParam) {
        log_.push_back("app.recent" + std::to_string(index));
        return 0;
    }

private:
    Log& log_;
};

inline const platform::ui::ResponseTable& TestApp::Table() {
    using R = platform::ui::ResponseTableOf<TestApp, platform::ui::Application>;
    static const platform::ui::ResponseTable table = R::Build({
        R::Command(2009, &TestApp::CmAbout),
        R::Registered("MRUFILEMESSAGE", &TestApp::CmOpenRecent),
    });
    return table;
}

}  // namespace uitest
