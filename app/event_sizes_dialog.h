#pragma once
// "Event Sizes": the magnitude range that scales the dots, the depth range
// that colours them, and the dot sizes at both ends.
#include <array>

#include "platform/ui/dialog.h"

inline constexpr int kEventSizesTemplate = 4;

// The depths (km) the depth spins step through.
inline constexpr std::array<int, 11> kDepthSteps = {-5, -2, 0, 5, 10, 25, 50, 100, 250, 500, 750};
// The first step not below the depth; the last step for a depth beyond it.
int DepthStepIndex(double depthKm);

class dsDialog : public platform::ui::Dialog {
public:
    dsDialog(platform::ui::Window* parent, int templateId);
    KESTRUNE_RESPONSE_TABLE(dsDialog);

protected:
    void SetupWindow() override;
    void CmOk() override;

private:
    void EvSpinMinMagnitude(platform::ui::Notification& n) { Spin(n, 103, 101, false); }
    void EvSpinMaxMagnitude(platform::ui::Notification& n) { Spin(n, 104, 102, false); }
    void EvSpinMinDepth(platform::ui::Notification& n) { Spin(n, 107, 105, true); }
    void EvSpinMaxDepth(platform::ui::Notification& n) { Spin(n, 108, 106, true); }
    void Spin(platform::ui::Notification& n, int spinId, int editId, bool depth);
    void CmHelp();
    int ReadWhole(int editId) const;
    void Refuse(const char* caption);
};
