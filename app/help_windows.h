#pragma once
// The popup text windows: myHelp pages through a chain of help files with
// "More..." and "Back"; myInfo shows a view's introduction with "Start".
// Each sizes itself to its text and stays until closed.
#include <functional>
#include <string>
#include <string_view>

#include "platform/gfx/geometry.h"
#include "platform/ui/window.h"

class textButton;

inline constexpr int kHelpBackButton = 1051;
inline constexpr int kHelpMoreButton = 1052;
inline constexpr int kInfoStartButton = 1056;
inline constexpr std::size_t kHelpContinuationMax = 16;

struct HelpText {
    std::string text;          // lines end with "\n"
    std::string continuation;  // the file "More..." opens; empty when none
};

// A help file's text: lines whose first "<" begins "PRE" are dropped, "/PRE"
// lines become empty ones; a first tag "<more ...>" names the next page
// between its double quotes (16 characters at most) and is taken out.
HelpText ParseHelpText(std::string_view content);
// The file's text, or "File <name> not found".
HelpText ReadHelpText(const std::string& fileName);

struct HelpLayout {
    platform::gfx::Rect panel;  // the sunken text panel, window coordinates
    platform::gfx::Rect box;    // the window on the screen
    bool largeFont = false;     // the text is drawn in the large-screen font
};
// The window's size for a text. measure(box, large) wraps the text into the
// box's width and gives the lines' extent; largeAvailable says whether a
// large font exists; textHeight(large) is the chosen font's line height.
HelpLayout LayoutHelpWindow(const std::function<platform::gfx::Rect(const platform::gfx::Rect&, bool large)>& measure,
                            bool largeAvailable, const std::function<int(bool large)>& textHeight,
                            platform::gfx::Size screen);

class myHelpBase : public platform::ui::Window {
public:
    myHelpBase(platform::ui::Window* parent, std::string fileName);
    ~myHelpBase() override;

    const std::string& fileName() const { return fileName_; }
    const std::string& text() const { return text_; }
    const std::string& continuation() const { return continuation_; }
    const HelpLayout& layout() const { return layout_; }
    // Set when the window's own Back or Start closed it.
    bool closed() const { return closed_; }
    // Told once, when the window goes (its owner forgets it then).
    void SetGoneHandler(std::function<void()> gone) { gone_ = std::move(gone); }

protected:
    void SetupWindow() override;
    void Paint(platform::ui::BackBuffer& buffer, const platform::ui::Rect& damaged) override;
    void MarkClosed() { closed_ = true; }
    // Window's default font metrics: the buttons are sized by them.
    int charWidth() const;
    int buttonTextHeight() const;

private:
    std::string fileName_;
    std::string text_;
    std::string continuation_;
    HelpLayout layout_;
    bool closed_ = false;
    std::function<void()> gone_;
};

class myHelp : public myHelpBase {
public:
    myHelp(platform::ui::Window* parent, std::string fileName);
    KESTRUNE_RESPONSE_TABLE(myHelp);

    void CmBack();
    void CmMore();
    myHelp* followOn() const { return followOn_; }
    textButton* backButton() const { return back_; }
    textButton* moreButton() const { return more_; }

protected:
    void SetupWindow() override;
    void EvLButtonDown(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvRButtonDown(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvMouseMove(platform::ui::Point p, std::uint32_t modifiers) override;
    void ChildRemoved(platform::ui::Window* child) override;

private:
    textButton* back_ = nullptr;
    textButton* more_ = nullptr;
    myHelp* followOn_ = nullptr;  // a child: it goes with this page
};

class myInfo : public myHelpBase {
public:
    myInfo(platform::ui::Window* parent, std::string fileName);
    KESTRUNE_RESPONSE_TABLE(myInfo);

    void CmStart();
    textButton* startButton() const { return start_; }
    // Told when Start closed the window (the view then plays on).
    void SetStartHandler(std::function<void()> started) { started_ = std::move(started); }

protected:
    void SetupWindow() override;
    void EvLButtonDown(platform::ui::Point p, std::uint32_t modifiers) override;
    void EvRButtonDown(platform::ui::Point p, std::uint32_t modifiers) override;

private:
    textButton* start_ = nullptr;
    std::function<void()> started_;
};

// A help page on the file, created, as the kiosk screens open them.
myHelp* OpenHelpWindow(platform::ui::Window& parent, const std::string& fileName);
