#pragma once
// The kiosk's button menu: one group of the list of views as buttons laid
// over a map of the group's region, a bottom row (Information, Back, Exit)
// and an idle countdown that opens the first entry by itself.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "app/commands.h"  // the frame commands the menu sends
#include "map/proj.h"
#include "platform/gfx/draw_context.h"
#include "platform/gfx/geometry.h"
#include "platform/ui/window.h"

class textButton;

inline constexpr int kCmSelectButton = 1044;       // every menu button
inline constexpr int kCmSelectInformation = 1058;
inline constexpr int kCmSelectExit = 1059;
inline constexpr int kCmSelectBack = 1063;
inline constexpr int SelectIdleTimer = 6;
inline constexpr int kSelectIdleMs = 1000;
inline constexpr const char* kSelectTextFile = "SELECT.TXT";

// ---- the layout's arithmetic, apart from the window

// A menu button's rectangle held inside the map area with a 5-pixel margin,
// then moved up by whole button heights and 10 pixels right off every button
// placed before it.
platform::gfx::Rect FitMenuButton(platform::gfx::Rect r, const platform::gfx::Rect& mapArea,
                                  std::span<const platform::gfx::Rect> placed, int buttonHeight);
// FORCE 9:16 ASPECT RATIO on the client below the title bar: the bottom comes
// up, or both sides come in.
platform::gfx::Rect ForceAspect916(platform::gfx::Rect r);

class selectWindow : public platform::ui::Window, public Proj {
public:
    // The menu of entry groupIndex of gViewList; reads that entry's view file
    // and fills gGroupViewList with the group's direct children.
    selectWindow(int groupIndex, platform::ui::Window* parent);
    ~selectWindow() override;
    KESTRUNE_RESPONSE_TABLE(selectWindow);

    int buttonCount() const { return buttonCount_; }
    int groupIndex() const { return groupIndex_; }
    const std::string& groupTitle() const { return groupTitle_; }
    int idleCountdown() const { return idleCountdown_; }
    const std::vector<textButton*>& menuButtons() const { return menuButtons_; }
    textButton* informationButton() const { return information_; }
    textButton* exitButton() const { return exit_; }
    textButton* backButton() const { return back_; }
    platform::ui::Window* textWindow() const { return textWindow_; }
    // The part of the fitted map on the screen at the last paint, client pixels.
    const platform::gfx::Rect& mapArea() const { return mapArea_; }

    void CmInformation();
    void CmExit();
    void CmBack();
    void CmSelectButton();
    platform::ui::Result EvButtonHighlighted(platform::ui::WParam tag, platform::ui::LParam);

protected:
    void SetupWindow() override;
    void Paint(platform::ui::BackBuffer& buffer, const platform::ui::Rect& damaged) override;
    // The buttons are placed for the size painted: a new size places them again.
    void EvSize(platform::ui::Size client) override;
    void EvTimer(int id) override;
    void EvMouseMove(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvLButtonDown(platform::ui::Point p, std::uint32_t modifiers) override;
    void ChildRemoved(platform::ui::Window* child) override;

private:
    void CloseTextWindow();
    // Steps 3 and 4 of a press: a group shows its menu, a view opens.
    void ActOn(int position);
    void MakeMenuButtons(platform::gfx::DrawContext& dc, int buttonHeight, int charWidth);
    void DrawMap(platform::gfx::DrawContext& dc);
    void MakeBottomRow(int left, int right, int bottom, int buttonHeight, int charWidth);

    int buttonCount_ = 0;
    std::string groupTitle_;
    std::string groupImage_;
    int groupIndex_ = 0;
    textButton* information_ = nullptr;
    textButton* exit_ = nullptr;
    textButton* back_ = nullptr;
    std::vector<textButton*> menuButtons_;
    bool buttonsMade_ = false;
    platform::ui::Window* textWindow_ = nullptr;
    platform::gfx::Rect client_{};
    platform::gfx::Rect projected_{};  // the map fitted to the region, maybe beyond the room
    platform::gfx::Rect mapArea_{};    // the part of it on the screen
    double south_ = 0, north_ = 0, west_ = 0, east_ = 0;
    int idleCountdown_ = 0;  // s
    bool hasGroup_ = false;
    bool actedAlone_ = false;  // a one-entry group has acted on its entry
};
