#pragma once
// The program's own push buttons, drawn by us on the window layer: a text
// button, a bitmap button that can repeat its command while held, and an
// on/off bitmap button with a second command for the release. Each sends its
// command id to its parent and reports the mouse's first arrival with
// WmButtonHighlighted so that the parent can unhighlight its other buttons.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/gfx/draw_context.h"
#include "platform/gfx/surface.h"
#include "platform/ui/window.h"

inline constexpr platform::ui::MessageId WmButtonHighlighted = 1069;  // wparam tag, lparam command id
inline constexpr int ButtonRepeatTimer = 2;
inline constexpr int kButtonRepeatMs = 350;

inline constexpr std::size_t kTextButtonCaptionMax = 38;
inline constexpr std::size_t kMyButtonCaptionMax = 14;

// The program's bitmap resources, drawn by us; nullptr for an unknown id.
std::unique_ptr<platform::gfx::Surface> LoadBitmapResource(int id);

class textButton : public platform::ui::Window {
public:
    textButton(platform::ui::Window* parent, int id, std::string_view caption, int x, int y, int width, int height,
               int tag);

    static const char* GetClassName() { return "BUTTON"; }
    int tag() const { return tag_; }
    const std::string& text() const { return text_; }
    // Set by a press or a release that fires, kept until the next whole drawing
    // of the button: the button menu reads it to find the chosen button.
    bool pressed() const { return pressed_; }
    void SetPressed(bool on) { pressed_ = on; }
    bool highlighted() const { return highlighted_; }
    // The look while the mouse is held on it.
    bool down() const { return down_; }

    // The whole item again into the button's own buffer.
    void DrawItem();

protected:
    void SetupWindow() override;
    void Paint(platform::ui::BackBuffer& buffer, const platform::ui::Rect& damaged) override;
    void EvLButtonDown(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvLButtonUp(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvLButtonDblClk(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvMouseMove(platform::ui::Point p, std::uint32_t modifiers) override;

private:
    friend void UnhighlightTextButton(platform::ui::Window* owner, textButton* button);
    void SetDown(bool on);

    std::string text_;
    int tag_;
    bool pressed_ = false;
    bool highlighted_ = false;
    bool down_ = false;
    bool tracking_ = false;  // a press began here and the button is not yet released
};

class myButton : public platform::ui::Window {
public:
    // repeatMode: 0 plain, 1 repeats every 350 ms while held, 2 also sends on release.
    myButton(platform::ui::Window* parent, int id, int bitmapId, std::string_view caption, int repeatMode, int x,
             int y, int width, int height);

    static const char* GetClassName() { return "BUTTON"; }
    int repeatMode() const { return repeatMode_; }
    const std::string& text() const { return text_; }
    const platform::gfx::Surface* bitmap() const { return bitmap_.get(); }
    bool pressed() const { return pressed_; }
    bool hovered() const { return hovered_; }
    bool focused() const { return focus_; }

    void DrawItem();

protected:
    void Paint(platform::ui::BackBuffer& buffer, const platform::ui::Rect& damaged) override;
    void EvLButtonDown(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvLButtonUp(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvLButtonDblClk(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvMouseMove(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvTimer(int id) override;

    // What a native button does by itself: capture and the pressed look.
    void DefaultDown();
    void DefaultUp();
    void SendToParent(int id);
    // A press began here and has not been released.
    bool tracking() const { return tracking_; }

private:
    friend void UnhighlightMyButton(platform::ui::Window* owner, myButton* button);

    std::unique_ptr<platform::gfx::Surface> bitmap_;
    std::string text_;
    int repeatMode_;
    bool pressed_ = false;
    bool focus_ = false;
    bool hovered_ = false;
    bool tracking_ = false;
};

class myOnOffButton : public myButton {
public:
    myOnOffButton(platform::ui::Window* parent, int onId, int offId, int bitmapId, int repeatMode, int x, int y,
                  int width, int height);
    int offId() const { return offId_; }

protected:
    void EvLButtonUp(platform::ui::Point p, std::uint32_t modifiers) override;

private:
    int offId_;
};

// The hover highlight off one button, drawn again at once; nothing for an
// absent button or one that is not highlighted. The owner is the button's parent.
void UnhighlightTextButton(platform::ui::Window* owner, textButton* button);
void UnhighlightMyButton(platform::ui::Window* owner, myButton* button);

// The faces, for windows that draw a button's look themselves.
void DrawButtonBevel(platform::gfx::DrawContext& dc, const platform::gfx::Rect& r, bool pressed, int depth);
void DrawTextButtonFace(platform::gfx::DrawContext& dc, const platform::gfx::Rect& r, bool pressed);
// The dotted highlight frame is drawn when `highlighted` and HIGHLIGHT BUTTONS are on.
void DrawButtonCaption(platform::gfx::DrawContext& dc, const platform::gfx::Rect& r, std::string_view text,
                       bool pressed, bool highlighted);
void DrawBitmapButtonFace(platform::gfx::DrawContext& dc, const platform::gfx::Rect& r,
                          const platform::gfx::Surface* bitmap, bool pressed, bool hovered);
