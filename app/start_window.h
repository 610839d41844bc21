#pragma once
// The kiosk's start screen: the picture of "START.BMP" over a bottom row of
// Go, Information and Exit. Go (or INIT TIMEOUT at its first showing) leads
// to the button menu. The frame makes it once and shows it again later.
#include <cstdint>
#include <memory>

#include "platform/gfx/surface.h"
#include "platform/ui/window.h"

class textButton;

inline constexpr int kStartTimer = 1;
inline constexpr int kCmStartInformation = 1058;
inline constexpr int kCmStartExit = 1059;
inline constexpr const char* kStartPictureFile = "START.BMP";
inline constexpr const char* kStartTextFile = "START.TXT";

class startWindow : public platform::ui::Window {
public:
    explicit startWindow(platform::ui::Window* parent) : Window(parent) {}
    ~startWindow() override;
    KESTRUNE_RESPONSE_TABLE(startWindow);

    void CmGo();
    void CmInformation();
    void CmExit();

    textButton* goButton() const { return go_; }
    textButton* informationButton() const { return information_; }
    textButton* exitButton() const { return exit_; }
    platform::ui::Window* textWindow() const { return textWindow_; }
    const platform::gfx::Surface* picture() const { return picture_.get(); }
    // Timer 1 runs: the screen will go on by itself.
    bool timeoutRunning() const { return timeoutRunning_; }
    // The part the picture is stretched over, at the last paint.
    const platform::gfx::Rect& pictureArea() const { return pictureArea_; }

protected:
    void SetupWindow() override;
    void Paint(platform::ui::BackBuffer& buffer, const platform::ui::Rect& damaged) override;
    void EvTimer(int id) override;
    void EvMouseMove(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvShowWindow(bool shown) override;
    void ChildRemoved(platform::ui::Window* child) override;

private:
    void CloseTextWindow();
    void StopTimeout();
    void MakeButtons(int left, int right, int bottom, int buttonHeight, int charWidth);

    textButton* go_ = nullptr;
    textButton* information_ = nullptr;
    textButton* exit_ = nullptr;
    platform::ui::Window* textWindow_ = nullptr;
    std::unique_ptr<platform::gfx::Surface> picture_;
    bool timeoutRunning_ = false;
    platform::gfx::Rect pictureArea_{};
};
