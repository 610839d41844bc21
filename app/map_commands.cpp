// The frame's commands that change what a view's map is drawn from: fonts,
// colours, the map and template boxes, titles, the scale bar, the overlays,
// the terrain models, the catalogue files, and an image of the window.
#include "app/map_commands.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/display_commands.h"
#include "app/display_dialogs.h"
#include "app/control_panel.h"
#include "app/dialog_conventions.h"
#include "app/frame.h"
#include "app/globals.h"
#include "app/layout.h"
#include "app/prompt_dialogs.h"
#include "app/region_dialogs.h"
#include "core/config.h"
#include "core/eruption.h"
#include "core/helpers.h"
#include "core/quake.h"
#include "core/view.h"
#include "map/eruption_symbols.h"
#include "map/window_helpers.h"
#include "platform/gfx/draw_context.h"
#include "platform/gfx/font.h"
#include "platform/ui/controls.h"
#include "platform/gfx/image.h"
#include "platform/sys/files.h"

namespace fs = std::filesystem;
namespace ui = platform::ui;
namespace gfx = platform::gfx;

namespace {

constexpr std::size_t kTitleRoom = 144;  // characters
constexpr std::size_t kLogoRoom = 47;  // characters

struct FontCommand {
    int id, slot;
    const char* title;
};
constexpr FontCommand kFontCommands[] = {
    {kCmFontTitle, kFontTitle, "Title Font"},       {kCmFontLogo, kFontLogo, "Logo Font"},
    {kCmFontText, kFontInfo, "Information Font"},   {kCmFontCity, kFontCity, "City Font"},
    {kCmFontState, kFontState, "State Font"},       {kCmFontCountry, kFontCountry, "Country Font"},
    {kCmFontOcean, kFontOcean, "Ocean Font"},
};

}  // namespace

// ---- the steps, apart from the frame

const ColorCommand* FindColorCommand(int id) {
    static constexpr ColorCommand kColors[] = {
        {kCmColorCoast, 1, "Coast", 5},      {kCmColorCountry, 2, "Country", 0},
        {kCmColorRiver, 7, "River", 6},      {kCmColorState, 4, "State", 0},
        {kCmColorHighway, 8, "Highway", 0},  {kCmColorRidge, 9, "Ridge", 0},
        {kCmColorConvergent, 10, "Convergent", 0}, {kCmColorTransform, 11, "Transform", 0},
        {kCmColorDiffuse, 12, "Diffuse", 0},
    };
    for (const ColorCommand& c : kColors)
        if (c.id == id) return &c;
    return nullptr;
}

std::string CatalogueNameToKeep(const std::string& chosen, const std::string& currentDir, const std::string& programDir) {
    const fs::path path(chosen);
    std::error_code ec;
    const fs::path folder = fs::weakly_canonical(path.parent_path().empty() ? fs::path(".") : path.parent_path(), ec);
    auto same = [&](const std::string& dir) {
        if (dir.empty()) return false;
        std::error_code e;
        return fs::weakly_canonical(dir, e) == folder && !e;
    };
    // Found where the catalogues are looked for: its name alone, as views hold it.
    if (!ec && (same(currentDir) || same(programDir) || same(fs::current_path(ec).string())))
        return path.filename().string();
    return fs::absolute(path, ec).lexically_normal().string();
}

std::string ScreenImageFolder() {
    const char* home = std::getenv("HOME");
    if (const char* desktop = std::getenv("XDG_DESKTOP_DIR"); desktop && *desktop && fs::is_directory(desktop))
        return desktop;
    if (!home || !*home) return {};
    std::error_code ec;
    if (fs::is_directory(fs::path(home) / "Desktop", ec)) return (fs::path(home) / "Desktop").string();
    return home;
}

namespace {

// The toolkit draws check boxes, edits and labels itself, out of our reach:
// the image gets a plain drawing of each in its place instead.
bool DrawNativeControl(gfx::DrawContext& dc, const ui::Control& c, ui::Point at) {
    using K = ui::ControlKind;
    if (c.kind() != K::CheckBox && c.kind() != K::RadioButton && c.kind() != K::Edit && c.kind() != K::Static)
        return false;
    const ui::Rect r = ui::Rect::FromSize(at.x, at.y, c.rect().width(), c.rect().height());
    const gfx::Color dark{96, 96, 96};
    gfx::StateSaver keep(dc);
    dc.IntersectClip(r);
    // The toolkit's label font is smaller than the system font of the panes.
    static const auto font = gfx::Font::Create("MS Sans Serif", -12);
    dc.SetFont(font ? font : gfx::Font::System());
    dc.SetBackMode(gfx::BackMode::Transparent);
    dc.SetTextColor(c.enabled() ? gfx::kBlack : dark);
    const int textHeight = dc.textMetrics().height;
    const int middle = r.top + (r.height() - textHeight) / 2;
    switch (c.kind()) {
        case ui::ControlKind::CheckBox:
        case ui::ControlKind::RadioButton: {
            const int side = std::min(13, r.height());
            const ui::Rect box = ui::Rect::FromSize(r.left + 1, r.top + (r.height() - side) / 2, side, side);
            dc.FillRect(box, gfx::Brush::Solid(gfx::kWhite));
            dc.SetPen(gfx::Pen::Solid(dark));
            dc.SetBrush(gfx::Brush::Hollow());
            dc.Rectangle(box);
            if (static_cast<const ui::CheckBox&>(c).checked()) {
                dc.SetPen(gfx::Pen::Solid(gfx::kBlack, 2));
                const ui::Point tick[] = {{box.left + 3, box.top + side / 2}, {box.left + side / 2 - 1, box.bottom - 4},
                                          {box.right - 3, box.top + 3}};
                dc.Polyline(tick);
            }
            dc.TextOut({box.right + 4, middle}, c.text());
            break;
        }
        case ui::ControlKind::Edit:
            dc.FillRect(r, gfx::Brush::Solid(gfx::kWhite));
            dc.SetPen(gfx::Pen::Solid(dark));
            dc.SetBrush(gfx::Brush::Hollow());
            dc.Rectangle(r);
            dc.TextOut({r.left + 3, middle}, c.text());
            break;
        default: dc.TextOut({r.left, r.top}, c.text()); break;
    }
    return true;
}

}  // namespace

std::unique_ptr<gfx::Surface> WindowImage(const ui::Window& window) {
    const ui::Rect client = window.clientRect();
    auto image = gfx::Surface::Create(client.width(), client.height(), gfx::kBlack);
    if (!image) return nullptr;
    gfx::DrawContext dc(*image);
    // Each window's own pixels, then its visible children over them.
    auto paint = [&dc](auto& self, const ui::Window& w, ui::Point at) -> void {
        if (const auto* control = dynamic_cast<const ui::Control*>(&w); control && DrawNativeControl(dc, *control, at))
            return;
        const ui::BackBuffer& b = w.backBuffer();
        dc.Blit(ui::Rect::FromSize(at.x, at.y, b.width(), b.height()), b, {0, 0}, gfx::RasterOp::Copy);
        for (const ui::Window* c : w.children()) {
            if (!c->visible() || (c->style() & (ui::style::kPopup)) != 0) continue;
            self(self, *c, {at.x + c->rect().left, at.y + c->rect().top});
        }
    };
    paint(paint, window, {0, 0});
    return image;
}

bool SaveWindowImage(const ui::Window& window, const std::string& fileName) {
    const auto image = WindowImage(window);
    return image && gfx::SaveJpeg(*image, fileName);
}

// ---- the frame's commands

void myFrame::CmFont(int id) {
    const FontCommand* command = nullptr;
    for (const FontCommand& c : kFontCommands)
        if (c.id == id) command = &c;
    if (!command) return;
    PauseForDialog hold;
    ui::FontDescription font;
    if (const auto& slot = gFonts[command->slot]) font = {slot->face, slot->height, slot->weight, false};
    if (!ui::ExecuteFontDialog(this, command->title, font)) return;
    gFonts[command->slot] = ConfigFont{font.face, font.height, font.weight};
    if (viewOpen_) CmRepeat();
    SaveConfigurationSetting();
}

void myFrame::CmColor(int id) {
    const ColorCommand* command = FindColorCommand(id);
    if (!command) return;
    colorDialog(this, kColorDialogTemplate, &gSegmentColors[command->segmentClass], command->name).Execute();
    if (command->follower) gSegmentColors[command->follower] = gSegmentColors[command->segmentClass];
}

void myFrame::CmLatitudeLongitude() {
    {
        PauseForDialog hold;
        latlonDialog(this, kLatLonDialogTemplate).Execute();
    }
    WriteViewSetting();
}

void myFrame::CmTemplate() {
    {
        PauseForDialog hold;
        TlatlonDialog(this, kTemplateBoxDialogTemplate).Execute();
    }
    WriteViewSetting();
}

void myFrame::CmScale() {
    {
        PauseForDialog hold;
        scaleDialog(this, kScaleDialogTemplate).Execute();
    }
    if (viewOpen_) CmRepeat();
}

void myFrame::CmTitle() {
    std::string title = gViewTitle;
    bool ok = false;
    {
        PauseForDialog hold;
        ok = inputDialog(this, kInputDialogTemplate, title, "Edit Map Title", "Enter new map title", kTitleRoom)
                 .Execute() == ui::IdOk;
    }
    if (!ok) return;
    gViewTitle = title;
    // Kept in the view's file at once, as the other view settings of the Map menu are.
    WriteViewSetting();
    if (layout_ && layout_->title()) {
        layout_->title()->Invalidate();
    } else if (viewOpen_) {
        CmRepeat();
    }
}

void myFrame::EditConfigText(std::string& text, const char* caption, const char* prompt) {
    {
        PauseForDialog hold;
        inputDialog(this, kInputDialogTemplate, text, caption, prompt, kLogoRoom).Execute();
    }
    SaveConfigurationSetting();
    if (viewOpen_) CmRepeat();
}

void myFrame::CmLogo() { EditConfigText(gLogoText, "Edit Logo", "Enter new Logo"); }
void myFrame::CmText() { EditConfigText(gInfoText, "Edit Information text", "Enter new text"); }

void myFrame::CmHighways() {
    gShowHighways = !gShowHighways;
    CheckItem(kCmHighways, gShowHighways);
    MarkViewChanged();
    if (viewOpen_) CmRepeat();
}

void myFrame::CmPopulation() {
    gControls[kControlPopulation] = gControls[kControlPopulation] ? 0 : 1;
    CheckItem(kCmPopulation, gControls[kControlPopulation] != 0);
    // The overlay is drawn only on a rendering that starts afresh; without
    // this the first one would find no cached overlay and draw none.
    if (gControls[kControlPopulation]) gRedrawMap = true;
    MarkViewChanged();
    if (viewOpen_) CmRepeat();
}

void myFrame::CmShowInfoSpots() {
    gControls[kControlShowInfoSpots] = gControls[kControlShowInfoSpots] ? 0 : 1;
    CheckItem(kCmShowInfoSpots, gControls[kControlShowInfoSpots] != 0);
    if (viewOpen_) CmRepeat();
}

void myFrame::CmElevationModels() {
    PauseForDialog hold;
    demDialog(this, kDemDialogTemplate).Execute();
}

void myFrame::ChooseCatalogue(bool quakes) {
    PauseForDialog hold;
    CloseInfoWindows();
    std::string& name = quakes ? gEventFileName : gEruptionFileName;
    ui::FileDialogData data;
    data.fileName = name;
    data.filter = quakes ? "All Files (*.*)|*.HY4|" : "All Files (*.*)|*.ERB|";
    data.initialDir = gProgramDir;
    data.flags = ui::file_dialog::kMustExist;
    if (quakes) CloseQuakeCatalogue();
    else CloseEruptionCatalogue();
    if (!ui::ExecuteFileDialog(this, ui::FileDialogKind::Open, data)) return;
    const std::string kept = CatalogueNameToKeep(data.fileName, gCurrentDirectory, gProgramDir);
    if (EqualsIgnoringCase(kept, name)) return;
    name = kept;
    if (quakes) {
        CloseQuakeCatalogue();
    } else if (!gDisplayedEruptions.empty()) {
        ClearDisplayedEruptions(layout_ ? layout_->mapPane() : nullptr);
    }
    MarkViewChanged();
}

void myFrame::CmEarthquakeFile() { ChooseCatalogue(true); }
void myFrame::CmEruptionFile() { ChooseCatalogue(false); }

void myFrame::CmSaveScreenImage() {
    PauseForDialog hold;
    ui::FileDialogData data;
    data.filter = "Image Files (*.JPG)|*.jpg|";
    data.flags = ui::file_dialog::kOverwritePrompt;
    data.initialDir = ScreenImageFolder();
    if (!ui::ExecuteFileDialog(this, ui::FileDialogKind::Save, data)) return;
    std::string name = data.fileName;
    if (fs::path(name).extension().empty()) name += ".jpg";
    // The window repaints where the dialog was before it is copied.
    DelayPumping(0);
    if (!SaveWindowImage(*this, name))
        ui::MessageBox(this, "The screen image could not be written to " + name + ".", "Save screen image",
                       ui::Buttons::Ok, ui::Icon::Exclamation);
}

void myFrame::CmSetDates() {
    bool ok = false;
    {
        PauseForDialog hold;
        ok = dateDialog(this, kDateDialogTemplate).Execute() == ui::IdOk;
    }
    if (ok && viewOpen_) {
        if (gShowEruptions) ClearDisplayedEruptions(layout_ ? layout_->mapPane() : nullptr);
        viewChanged_ = true;
        if (layout_ && layout_->control()) layout_->control()->Invalidate();
    }
    // The catalogues were closed: the clock opens them again at the new time.
    StartAnimationTimer();
}
