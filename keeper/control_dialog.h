#pragma once
// The Controls dialog of quorkeeper: one check box per kiosk setting of
// "QUORVEL.INI", checked at set-up and stored at OK.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/ui/dialog.h"

inline constexpr int kControlDialogTemplate = 202;
inline constexpr int kControlDialogHelpButton = 9;

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

class controlDialog : public platform::ui::Dialog {
public:
    explicit controlDialog(platform::ui::Window* parent);
    KESTRUNE_RESPONSE_TABLE(controlDialog);

    void CmOk() override;

protected:
    void SetupWindow() override;

private:
    void CmHelp();
    // Auto Restart as set-up showed it: MODE changes only when the box does.
    bool loopShown_ = false;
};
