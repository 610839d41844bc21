#pragma once
// The Controls dialog of quorkeeper: one check box per kiosk setting of
// "QUORVEL.INI", checked at set-up and stored at OK.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "app/dialog_conventions.h"

inline constexpr int kControlDialogTemplate = 202;

// What a box stands for: a plain flag, MODE (LOOP when checked), or LEGEND
// (stored inverted, as "no legend").
enum class BoxSetting { Flag, ModeLoop, Legend };

struct ControlBox {
    int id;
    const char* text;
    BoxSetting kind;
    std::uint8_t* flag;  // Flag only
};
// In the order the boxes are created.
std::span<const ControlBox> ControlBoxes();
// A box's text as a control caption, where "&" marks the mnemonic: "&&" shows one.
std::string CaptionOf(std::string_view text);

// Registers template 202; again is harmless.
void RegisterControlDialogTemplate();

// Its Help button opens the settings' page of the manual.
class controlDialog : public HelpDialog {
public:
    explicit controlDialog(platform::ui::Window* parent);

    void CmOk() override;

protected:
    void SetupWindow() override;

private:
    // Auto Restart as set-up showed it: MODE changes only when the box does.
    bool loopShown_ = false;
};
