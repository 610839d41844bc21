#pragma once
// The two strips that adjust a view while it is watched: the 3-D camera and
// the cross-section box. A spin changes its value at once; half a second
// after the last spin the picture is drawn again.
#include <functional>

#include "platform/ui/dialog.h"

inline constexpr int kInteractiveTemplate = 13;
inline constexpr int kCrossSectionTemplate = 14;
inline constexpr int kAdjusterTimer = 3;
inline constexpr int kAdjusterDelayMs = 500;

// Into -180..180, as many turns as it takes.
double WrapAzimuth(double degrees);

// What a value typed into an adjuster may become: the strips' own spin
// ranges are narrower than the views that ship, so the limits here are
// those of a picture that can still be drawn.
struct AdjusterRange {
    double low, high;
    double Clamp(double v) const;
};
inline constexpr AdjusterRange kDipRange{-90, 90};
inline constexpr AdjusterRange kDistanceRange{1, 20000};
inline constexpr AdjusterRange kMagnificationRange{0.1, 50};
inline constexpr AdjusterRange kSectionLengthRange{1, 20000};
inline constexpr AdjusterRange kSectionWidthRange{1, 2000};

// A modeless strip without a caption: shown and hidden, never ended. Its
// opener gives it what a redraw and the final reopening of the view do.
class AdjusterStrip : public platform::ui::Dialog {
public:
    AdjusterStrip(platform::ui::Window* parent, int templateId, std::function<void()> redraw,
                  std::function<void()> reopen);
    KESTRUNE_RESPONSE_TABLE(AdjusterStrip);

    // Saves the settings for Cancel and shows them.
    virtual void LoadValues() = 0;

protected:
    // Its controls' ids may be commands of the frame behind it: they end here.
    bool EvCommand(int id) override;
    void EvTimer(int id) override;
    // A hidden strip must not redraw behind the view that replaced it.
    void EvShowWindow(bool shown) override;
    void CmOk() override;
    void CmCancel() override;
    // Reads every field into the settings (clamped) and shows what was stored.
    virtual void ReadValues() = 0;
    virtual void RestoreValues() = 0;
    virtual int helpTopic() const = 0;

    // The up-down takes its position plus the step, unlimited, and its edit
    // shows it (tenths: as "%5.1f" of a tenth of it); the redraw waits.
    void Spin(platform::ui::Notification& n, int spinId, int editId, bool tenths);
    // The edit's first 7 characters as a number; 0 when they are none.
    double ReadEdit(int editId) const;
    void ShowWhole(int spinId, int editId, double value);
    void ShowTenths(int spinId, int editId, double value);
    void SetSpinRange(int spinId, double low, double high);
    void ApplyAndRedraw();

private:
    void CmRedraw();
    void CmHelp();

    std::function<void()> redraw_, reopen_;
};

class interDialog : public AdjusterStrip {
public:
    static constexpr int kTemplate = kInteractiveTemplate;
    interDialog(platform::ui::Window* parent, int templateId, std::function<void()> redraw,
                std::function<void()> reopen);
    KESTRUNE_RESPONSE_TABLE(interDialog);

    void LoadValues() override;
    // Reads the fields and redraws the 3-D view.
    void ApplyValues() { ApplyAndRedraw(); }

protected:
    void SetupWindow() override;
    void ReadValues() override;
    void RestoreValues() override;
    int helpTopic() const override { return 1020; }

private:
    void EvSpinAzimuth(platform::ui::Notification& n) { Spin(n, 102, 101, false); }
    void EvSpinDip(platform::ui::Notification& n) { Spin(n, 104, 105, false); }
    void EvSpinDistance(platform::ui::Notification& n) { Spin(n, 106, 107, false); }
    void EvSpinMagnification(platform::ui::Notification& n) { Spin(n, 108, 103, true); }

    double azimuth_ = 0, dip_ = 0, distance_ = 0, magnification_ = 0;
};

class XSDialog : public AdjusterStrip {
public:
    static constexpr int kTemplate = kCrossSectionTemplate;
    XSDialog(platform::ui::Window* parent, int templateId, std::function<void()> redraw,
             std::function<void()> reopen);
    KESTRUNE_RESPONSE_TABLE(XSDialog);

    void LoadValues() override;
    // A centre was picked on the map: the fields go in and the outline is drawn there.
    void UpdateOutline() { ApplyAndRedraw(); }

protected:
    void SetupWindow() override;
    void ReadValues() override;
    void RestoreValues() override;
    int helpTopic() const override { return 1047; }

private:
    void EvSpinAzimuth(platform::ui::Notification& n) { Spin(n, 106, 105, false); }
    void EvSpinLength(platform::ui::Notification& n) { Spin(n, 108, 107, false); }
    void EvSpinWidth(platform::ui::Notification& n) { Spin(n, 110, 109, false); }

    double azimuth_ = 0, width_ = 0, nearPlane_ = 0, farPlane_ = 0;
};

// Registers templates 13 and 14; again is harmless.
void RegisterAdjusterTemplates();
