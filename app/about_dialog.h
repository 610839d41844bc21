#pragma once
// "About Kestrune": the product name, version and legal notice of the
// compiled version table.
#include "platform/ui/dialog.h"

inline constexpr int kAboutTemplate = 22000;
inline constexpr int kAboutVersionLine = 22001;
inline constexpr int kAboutLegalLine = 22002;
inline constexpr int kAboutSpecialBuild = 22003;

class quorvelAboutDlg : public platform::ui::Dialog {
public:
    quorvelAboutDlg(platform::ui::Window* parent, int templateId = kAboutTemplate);

protected:
    void SetupWindow() override;
};

// Registers template 22000; again is harmless.
void RegisterAboutTemplate();
