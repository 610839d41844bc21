#include "map/hue_editor.h"

#include <algorithm>
#include <cstdio>

#include "core/view.h"
#include "map/child_map.h"
#include "map/draw.h"
#include "platform/gfx/draw_context.h"
#include "platform/ui/ui.h"

namespace ui = platform::ui;
namespace gfx = platform::gfx;
namespace st = ui::style;

namespace {

constexpr int kCellsPerRow = 22;
constexpr int kMargin = 40;

std::string ValueText(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%3d", v);
    return buf;
}

// Value cells: 0..2 the start red, green and blue (fields 0, 2, 4), 19..21
// the end values (fields 1, 3, 5); -1 for the ramp cells.
int FieldOfCell(int cell) {
    if (cell >= 0 && cell <= 2) return 2 * cell;
    if (cell >= 19 && cell <= 21) return 2 * (cell - 19) + 1;
    return -1;
}

}  // namespace

const ui::ResponseTable& EditHue::Table() {
    using R = ui::ResponseTableOf<EditHue, ui::Window>;
    static const ui::ResponseTable table = R::Build({
        R::Command(ui::IdOk, &EditHue::CmOkay),
        R::Command(ui::IdCancel, &EditHue::CmCancel),
        R::Notify(kHueSpinId, ui::NotifyCode::Spin, &EditHue::EvDeltaPos),
    });
    return table;
}

EditHue::EditHue(ui::Window* parent, const std::string& hueFile) : ui::Window(parent, hueFile), hueFile_(hueFile) {
    SetStyle(st::kPopup | st::kBorder | st::kCaption | st::kSysMenu | st::kVisible);
    MoveWindow(ui::Rect::FromSize(100, 100, 700, 600));
    lines_ = ReadHueLines(hueFile);
    okay_ = new ui::Button(this, ui::ControlKind::DefaultButton, ui::IdOk, "Okay", 0, ui::Rect::FromSize(40, 560, 60, 25));
    cancel_ = new ui::Button(this, ui::ControlKind::Button, ui::IdCancel, "Cancel", 0,
                             ui::Rect::FromSize(600, 560, 60, 25));
    fileName_ = new ui::Edit(this, ui::ControlKind::Edit, 0, hueFile, 0, ui::Rect::FromSize(40, 5, 160, 23));
}

void EditHue::SetupWindow() { ui::Window::SetupWindow(); }

int EditHue::shownLines() const { return std::min(static_cast<int>(lines_.size()), kHueEditorLinesMax); }

EditHue::Grid EditHue::GridOf() const {
    const ui::Rect c = clientRect();
    Grid g;
    const int n = shownLines();
    g.left = c.left + kMargin;
    g.top = c.top + kMargin;
    g.rowHeight = n > 0 ? (c.height() - 2 * kMargin) / n : 0;
    g.cellWidth = (c.width() - 2 * kMargin) / kCellsPerRow;
    return g;
}

ui::Rect EditHue::CellRect(int line, int cell) const {
    const int n = shownLines();
    if (line < 0 || line >= n || cell < 0 || cell >= kCellsPerRow) return {};
    const Grid g = GridOf();
    const int row = n - 1 - line;  // the highest band on top
    return ui::Rect::FromSize(g.left + cell * g.cellWidth, g.top + row * g.rowHeight, g.cellWidth, g.rowHeight);
}

void EditHue::Paint(ui::BackBuffer& buffer, const ui::Rect&) {
    gfx::DrawContext dc(buffer);
    dc.FillRect(clientRect(), gfx::Brush::Solid(ColorOf(kLightGrayColor)));
    const int n = shownLines();
    if (n == 0 || GridOf().rowHeight <= 0) return;  // an empty file: nothing to edit
    const Grid g = GridOf();
    for (int line = 0; line < n; ++line) {
        const HueLine& l = lines_[static_cast<std::size_t>(line)];
        const ui::Rect first = CellRect(line, 0);
        DrawNumberLabel(dc, g.cellWidth, first.top, gLegendFont, line + 1 - gBathymetryContourLevels, HJust::Left,
                        VJust::Top, kWhiteColor);
        for (int cell = 0; cell < kCellsPerRow; ++cell) {
            const ui::Rect r = CellRect(line, cell);
            const int field = FieldOfCell(cell);
            gfx::Color fill;
            if (field >= 0) {
                const auto v = static_cast<std::uint8_t>(l[static_cast<std::size_t>(field)] & 0xFF);
                const int component = field / 2;
                fill = component == 0 ? gfx::Color{v, 0, 0} : component == 1 ? gfx::Color{0, v, 0} : gfx::Color{0, 0, v};
            } else {
                fill = HueRampColor(l, cell - 3);
            }
            dc.FillRect(r, gfx::Brush::Solid(fill));
            if (field >= 0)
                DrawNumberLabel(dc, r.left + 2, r.top + 2, gLegendFont, l[static_cast<std::size_t>(field)], HJust::Left,
                                VJust::Top, kWhiteColor);
        }
    }
}

void EditHue::CloseCellEditor() {
    const bool hadEdit = cellEdit_ != nullptr;
    if (spin_) spin_->Destroy();
    if (cellEdit_) cellEdit_->Destroy();
    spin_ = nullptr;
    cellEdit_ = nullptr;
    if (hadEdit) Invalidate();
}

void EditHue::EvLButtonDown(ui::Point p, std::uint32_t) {
    CloseCellEditor();
    const int n = shownLines();
    if (n == 0) return;
    for (int line = 0; line < n; ++line) {
        for (int cell = 0; cell < kCellsPerRow; ++cell) {
            const ui::Rect r = CellRect(line, cell);
            if (!r.contains(p)) continue;
            const int field = FieldOfCell(cell);
            if (field < 0) return;
            selectedLine_ = line;
            selectedField_ = field;
            const int value = lines_[static_cast<std::size_t>(line)][static_cast<std::size_t>(field)];
            spin_ = new ui::UpDown(this, ui::ControlKind::UpDown, kHueSpinId, "", 0,
                                   ui::Rect::FromSize(r.right, r.top, 20, 35));
            spin_->SetRange(0, 255);
            spin_->SetPosition(value);
            cellEdit_ = new ui::Edit(this, ui::ControlKind::Edit, kHueSpinId, ValueText(value), 0,
                                     ui::Rect::FromSize(r.left - 5, r.top, r.width() + 5, r.height()));
            cellEdit_->SetTextLimit(16);
            spin_->Create();
            cellEdit_->Create();
            return;
        }
    }
}

void EditHue::EvRButtonDown(ui::Point, std::uint32_t) {}

void EditHue::EvDeltaPos(ui::Notification& n) {
    n.refuse = true;  // the position is set here, held to the range
    if (!spin_ || selectedLine_ < 0 || selectedLine_ >= static_cast<int>(lines_.size())) return;
    const int value = std::clamp(spin_->position() + n.delta, 0, 255);
    if (cellEdit_) cellEdit_->SetText(ValueText(value));
    spin_->SetPosition(value);
    lines_[static_cast<std::size_t>(selectedLine_)][static_cast<std::size_t>(selectedField_)] = value;
    Invalidate();
}

void EditHue::CmOkay() {
    const std::string name = fileName_ ? fileName_->text() : hueFile_;
    if (name.empty() || !WriteHueLines(name, lines_))
        ui::MessageBox(this, "File write error", "Can't write file", ui::Buttons::Ok, ui::Icon::Exclamation);
    CloseWindow(ui::IdOk);
}

void EditHue::CmCancel() { CloseWindow(ui::IdCancel); }
