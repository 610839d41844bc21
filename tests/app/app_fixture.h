#pragma once
// A clean start for the application tests: a temporary working folder, the
// settings folder inside it, the configuration reset and no frame left over.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/event_step.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/startup.h"
#include "app/view_open.h"
#include "core/config.h"
#include "core/missing_seam.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/quake_symbols.h"
#include "platform/ui/headless/headless.h"
#include "tests/support/network_link.h"
#include "tests/support/temp_dir.h"
#include "tests/support/text_lines.h"

namespace apptest {

// The texts of "Debug.txt" without their time stamps.
inline std::vector<std::string> DebugLines(const std::string& path = "Debug.txt") {
    std::vector<std::string> lines;
    for (const std::string& line : testsupport::TextLines(TempDir::Read(path))) {
        const std::size_t stamp = line.find(": ");
        if (!line.empty()) lines.push_back(stamp == std::string::npos ? line : line.substr(stamp + 2));
    }
    return lines;
}

// The bundled WORLD view's legend settings: depth colours, and the magnitude,
// dot and depth ranges. The dots are scaled apart, after a test's own changes.
inline void WorldLegendSettings() {
    const int depthColors[kDepthColorCount] = {4, 12, 5, 13, 3, 1, 9, 11, 10, 14, 15};
    for (int i = 0; i < kDepthColorCount; ++i) gDepthColors[i] = depthColors[i];
    gMinMagnitude = 5;
    gMaxMagnitude = 9;
    gMinDotSize = 1;
    gMaxDotSize = 8;
    gMinDepth = 0;
    gMaxDepth = 700;
    gMagnitudeCutoff = 6;
}

// The dot radii of the magnitude and dot ranges on a screen that many rows high.
inline void ScaleDots(int screenRows) {
    const DotScale dots = ComputeDotScale(gMinMagnitude, gMaxMagnitude, gMinDotSize, gMaxDotSize, screenRows);
    gDotSlope = dots.slope;
    gDotIntercept = dots.intercept;
}

inline bool Contains(const std::vector<std::string>& lines, const std::string& text) {
    for (const auto& l : lines) {
        if (l == text) return true;
    }
    return false;
}

class AppTest : public testing::Test {
protected:
    AppTest() {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        hadConfigHome_ = old != nullptr;
        if (old) oldConfigHome_ = old;
        ::setenv("XDG_CONFIG_HOME", (dir_.path() + "/config").c_str(), 1);
        ResetConfigValues();
        // The settings belong to the folder the test starts in, as at a real start.
        SetConfigurationFolder(dir_.path());
        gControls[kControlMenuBar] = 1;
        gControls[kControlCanExit] = 1;
        gControls[kControlCanRedraw] = 1;
        gControls[kControlTitleBar] = 1;
        gControls[kControlDebug] = 1;
        gCanClose = true;
        gPaused = false;
        // The start shows the button menu, which reads this list: empty, so it shows no box.
        TempDir::Write("WORLD.VUS", "");
        // The map pane's up-calls go to the application's layer, as in the
        // program; one reached with nothing installed fails the test.
        InstallEventStepping();
        SetMissingSeamHandler([](const std::string& step) { ADD_FAILURE() << "missing seam: " << step; });
    }
    ~AppTest() override {
        app_.reset();
        gMainFrame = nullptr;
        SetMissingSeamHandler(nullptr);
        InstallMapPaneSeams(nullptr);  // a test may have installed the program's wiring
        if (hadConfigHome_) ::setenv("XDG_CONFIG_HOME", oldConfigHome_.c_str(), 1);
        else ::unsetenv("XDG_CONFIG_HOME");
        SetConfigurationFolder("");
        ResetConfigValues();
        gLargeFont.reset();  // a test that measured the screen must not size the next one's panel
    }

    // The application as OwlMain runs it; the headless loop returns once
    // nothing is waiting, leaving the frame up.
    myFrame* Start() {
        app_ = std::make_unique<quorvelApp>();
        EXPECT_EQ(app_->Run(), 0);
        return gMainFrame;
    }

    TempDir dir_;
    // No network library here: each step answers as a program without a network would.
    testsupport::TestNetworkLink network_;
    testsupport::ScopedNetworkLink networkInstalled_{network_};
    std::unique_ptr<quorvelApp> app_;

private:
    bool hadConfigHome_ = false;
    std::string oldConfigHome_;
};

}  // namespace apptest
