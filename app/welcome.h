#pragma once
// The welcome screen, the frame's first client in a kiosk: the program's name,
// version and credits on a blue gradient, the welcome text of "QUORVEL.TXT"
// and a Start button; after INIT TIMEOUT seconds it starts by itself.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/welcome_text.h"
#include "platform/gfx/draw_context.h"
#include "platform/ui/window.h"

class textButton;

inline constexpr int WelcomeTimer = 4;
inline constexpr int kCmStart = 1049;      // Start here, Go on the start screen
inline constexpr int kCmEnterKey = 1010;   // the frame's Enter accelerator

// String-table entries 142 and 145, and the credit lines in the order drawn.
inline constexpr const char* kWelcomeDescription = "Earthquakes and volcanic eruptions of the past century, replayed";
inline constexpr const char* kWelcomePrompt = "Press the Start button to begin";
inline constexpr const char* kWelcomeCredits[6] = {
    "Earthquakes: U.S. Geological Survey, ANSS Comprehensive Earthquake Catalog",
    "Eruptions: Global Volcanism Program, Smithsonian Institution",
    "Plate boundaries: P. Bird (2003); maps made with Natural Earth",
    "Cities: GeoNames (geonames.org)",
    "Nuclear power plants: GeoNuclearData",
    "Sound: FluidSynth with a General MIDI sound font",
};
inline constexpr const char* kLowResolutionWarning =
    "Your resolution is less than 1024x768. You will have better looking maps if you run at 1024x768 or better.";

// ---- the screen's arithmetic, apart from the window

// Blue of gradient stripe k (8 pixels apart from the top) on a client whose
// bottom is `bottom`; nullopt once the stripe lies below it, and for every
// stripe of an empty client.
std::optional<int> WelcomeStripeBlue(int k, int bottom);

enum class WelcomeFont { Product, Large, Default };
struct WelcomeLine {
    int y;  // top of the text
    WelcomeFont font;
    std::string text;
};
// The version strings the screen shows; an absent one leaves its line out.
struct WelcomeVersion {
    std::optional<std::string> product, version, legal;
};
struct WelcomeLayout {
    std::vector<WelcomeLine> lines;
    int promptY = 0;  // "Press the Start button to begin"
    int buttonY = 0;  // the Start button's top
};
// Lines from `top` down: e the large font's height, th the default font's,
// productHeight the product name font's text height.
WelcomeLayout LayoutWelcome(int top, int e, int th, int productHeight, const WelcomeVersion& version);

class welcomeWindow : public platform::ui::Window {
public:
    welcomeWindow() : Window(nullptr) {}
    ~welcomeWindow() override;
    KESTRUNE_RESPONSE_TABLE(welcomeWindow);

    void CmStart();
    // Command 1050: the countdown stops for good; the screen waits for Start.
    void CmCancelTimeout();
    textButton* startButton() const { return start_; }
    bool timeoutRunning() const { return timeoutRunning_; }

protected:
    void Paint(platform::ui::BackBuffer& buffer, const platform::ui::Rect& damaged) override;
    void EvTimer(int id) override;
    void EvMouseMove(platform::ui::Point p, std::uint32_t modifiers) override;

private:
    void DrawWelcomeText(platform::gfx::DrawContext& dc, const platform::gfx::Rect& area);
    void DrawResolutionWarning(platform::gfx::DrawContext& dc, const platform::gfx::Rect& client, int e, int bh,
                               int cw);
    void StopTimeout();

    textButton* start_ = nullptr;
    bool timeoutRunning_ = false;
    bool timeoutCancelled_ = false;
};
