// The map pane's tools: a rubber band for a new user map, the coordinates
// under the pointer, the cross-section's centre, digitising a region outline
// and dragging the scale box.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/config.h"
#include "core/helpers.h"
#include "core/number_text.h"
#include "core/places.h"
#include "core/view.h"
#include "map/borders.h"
#include "map/child_map.h"
#include "map/draw.h"
#include "map/label_box.h"
#include "platform/sys/files.h"
#include "platform/ui/frame.h"
#include "platform/ui/ui.h"

namespace ui = platform::ui;
namespace gfx = platform::gfx;

namespace {

constexpr int kCmRedraw = 149;
constexpr int kCmCrossSectionPicked = 1048;
constexpr int kBandWidth = 4;
constexpr double kSmallestMap = 0.25;  // degrees
constexpr std::size_t kRegionNameMax = 143;

void FillEdges(gfx::DrawContext& dc, const gfx::Rect& r, int inset, gfx::Color c) {
    const gfx::Rect in{r.left + inset, r.top + inset, r.right - inset, r.bottom - inset};
    if (in.right <= in.left || in.bottom <= in.top) return;
    const gfx::Brush b = gfx::Brush::Solid(c);
    dc.FillRect({in.left, in.top, in.right, in.top + 1}, b);
    dc.FillRect({in.left, in.bottom - 1, in.right, in.bottom}, b);
    dc.FillRect({in.left, in.top, in.left + 1, in.bottom}, b);
    dc.FillRect({in.right - 1, in.top, in.right, in.bottom}, b);
}

gfx::Rect Normalized(gfx::Point a, gfx::Point b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

}  // namespace

std::vector<gfx::Point> LinePoints(int x1, int y1, int x2, int y2) {
    std::vector<gfx::Point> points;
    const int dx = std::abs(x2 - x1), dy = std::abs(y2 - y1);
    const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    points.reserve(static_cast<std::size_t>(std::max(dx, dy)) + 1);
    if (dx >= dy) {
        int err = dx / 2;
        for (int x = x1, y = y1, i = 0; i <= dx; ++i, x += sx) {
            points.push_back({x, y});
            err -= dy;
            if (err < 0) {
                y += sy;
                err += dx;
            }
        }
    } else {
        int err = dy / 2;
        for (int x = x1, y = y1, i = 0; i <= dy; ++i, y += sy) {
            points.push_back({x, y});
            err -= dx;
            if (err < 0) {
                x += sx;
                err += dy;
            }
        }
    }
    return points;
}

void DrawRubberBand(gfx::DrawContext& dc, const gfx::Rect& r) {
    const gfx::Color black = ColorOf(kBlackColor), white = ColorOf(kWhiteColor);
    FillEdges(dc, r, 0, black);
    FillEdges(dc, r, 1, white);
    FillEdges(dc, r, 2, white);
    FillEdges(dc, r, 3, black);
}

void EraseRubberBand(gfx::DrawContext& dc, const gfx::Surface& image, const gfx::Rect& r) {
    const int w = kBandWidth;
    const gfx::Rect edges[] = {{r.left, r.top, r.right, r.top + w},
                               {r.left, r.bottom - w, r.right, r.bottom},
                               {r.left, r.top, r.left + w, r.bottom},
                               {r.right - w, r.top, r.right, r.bottom}};
    for (const gfx::Rect& e : edges)
        if (!e.empty()) dc.Blit(e, image, e.topLeft(), gfx::RasterOp::Copy);
}

gfx::Point BandEnd(gfx::Point start, gfx::Point end) {
    if (!gControls[kControlUseFullScreen] || gMapWidth <= 0 || gMapHeight <= 0) return end;
    const int dx = end.x - start.x, dy = end.y - start.y;
    if (std::abs(dx) <= 2) return end;
    // The band keeps the map's proportions, in the direction the pointer went.
    const double h = gMapHeight, w = gMapWidth;
    if (std::abs(static_cast<double>(dy) / dx) <= h / w) {
        const int along = static_cast<int>(std::abs(dx) * h / w);
        end.y = std::clamp(start.y + (dy < 0 ? -along : along), gMapRect.top, gMapRect.top + gMapHeight);
    } else {
        const int along = static_cast<int>(std::abs(dy) * w / h);
        end.x = std::clamp(start.x + (dx < 0 ? -along : along), gMapRect.left, gMapRect.left + gMapWidth);
    }
    return end;
}

std::string CoordinateText(double lat, double lon) {
    const char ns = lat > 0 ? 'N' : lat < 0 ? 'S' : ' ';
    const char ew = lon > 0 ? 'E' : lon < 0 ? 'W' : ' ';
    return FormatFixed(std::fabs(lat), 3, 7) + ns + " " + FormatFixed(std::fabs(lon), 3, 8) + ew;
}

UserMapBounds BandBounds(const Proj& proj, const gfx::Rect& band) {
    UserMapBounds b{};
    double offset = 0;
    proj.ScreenToLatLon(band.top, band.left, &b.north, &offset);
    b.west = gWestEdge + offset;
    proj.ScreenToLatLon(band.bottom, band.right, &b.south, &offset);
    b.east = gWestEdge + offset;
    if (b.east < b.west + kSmallestMap) b.east = b.west + kSmallestMap;
    if (b.north < b.south + kSmallestMap) b.north = b.south + kSmallestMap;
    if (b.west > 180) b.west -= 360;
    if (b.east > 180) b.east -= 360;
    return b;
}

std::string DigitizedNameProblem(const std::string& name) {
    if (name.find_first_not_of(' ') == std::string::npos) return "Enter a name for the region.";
    if (name.find_first_of("/\\:") != std::string::npos || name.find("..") != std::string::npos)
        return "A region name is a file name in this folder: it cannot hold /, \\, : or \"..\".";
    const std::string file = name + ".txt";
    // The data the program draws from is never written over by an outline.
    bool reserved = false;
    for (const char* data : {kStateBorderFile, kCountryBorderFile, kOceanBorderFile, kCityTableFile, kPlantTableFile})
        reserved |= EqualsIgnoringCase(file, data);
    for (StringListNode* list : {gMapFiles, gLineFiles, gTextFiles, gSymbolFiles})
        reserved |= FindStringNode(list, file) != nullptr;
    if (!gProgramDir.empty()) reserved |= platform::FindPath(JoinPathString(gProgramDir, file)).has_value();
    if (reserved) return file + " is one of the program's data files; choose another name for the region.";
    return {};
}

// ---- user map -------------------------------------------------------------------------------

void childMap::BandDown(ui::Point p) {
    if (band_.active) return;
    band_.start = ClampPointToMap(p);
    band_.rect = {band_.start.x, band_.start.y, band_.start.x, band_.start.y};
    band_.active = true;
    SetCapture();
    SetDragInProgress(true);
}

void childMap::BandMove(ui::Point p) {
    if (!band_.active || !mapImageSurface_) return;
    EnsureScreen();
    {
        gfx::StateSaver keep(*screen_);
        screen_->ResetClip();
        screen_->SetOrigin({0, 0});
        EraseRubberBand(*screen_, *mapImageSurface_, band_.rect);
        const gfx::Point end = BandEnd(band_.start, ClampPointToMap(p));
        band_.rect = Normalized(band_.start, end);
        DrawRubberBand(*screen_, band_.rect);
    }
    AfterAction();
}

void childMap::BandUp() {
    if (mapImageSurface_) {
        EnsureScreen();
        gfx::StateSaver keep(*screen_);
        screen_->ResetClip();
        screen_->SetOrigin({0, 0});
        EraseRubberBand(*screen_, *mapImageSurface_, band_.rect);
    }
    mouseMode_ = kMouseIdle;
    const bool had = band_.active;
    band_.active = false;
    ReleaseMouse();
    if (!had) return;
    if (ui::MessageBox(this, "Want to make a new map?", "", ui::Buttons::YesNo, ui::Icon::Question) != ui::IdYes)
        return;
    const gfx::Rect r = band_.rect.translated({-gMapRect.left, -gMapRect.top});
    const UserMapBounds b = BandBounds(*this, r);
    gMapNorth = b.north;
    gMapSouth = b.south;
    gMapWest = b.west;
    gMapEast = b.east;
    gViewZoomed = false;
    gMapName = "Yours";
    gCityFile = "yours.caf";
    gPlantFile = "yours.npp.txt";
    // The last user map's places belong to its area, not to the new one.
    std::remove(platform::ResolvePath(gCityFile).c_str());
    std::remove(platform::ResolvePath(gPlantFile).c_str());
    gMapImageFile = "yours.jpg";
    gViewTitle.clear();
    gFloatingLegend = false;
    gQmxScale = false;
    (void)WriteViewFile();
    if (ui::Frame* f = frame()) f->SendCommand(kCmRedraw);
}

// ---- coordinates ----------------------------------------------------------------------------

void childMap::EraseProbeText() {
    if (probeBox_.empty() || !mapImageSurface_) {
        probeBox_ = {};
        return;
    }
    EnsureScreen();
    gfx::StateSaver keep(*screen_);
    screen_->ResetClip();
    screen_->SetOrigin(MapOrigin());
    screen_->Blit(probeBox_, *mapImageSurface_, probeBox_.topLeft() + MapOrigin(), gfx::RasterOp::Copy);
    probeBox_ = {};
}

void childMap::ProbeMove(ui::Point q) {
    EraseProbeText();
    if (q.x < 0 || q.x >= gPaneWidth || q.y < 0 || q.y >= gPaneHeight) return;
    double lat = 0, lon = 0;
    PointToLatLon(q, &lat, &lon, true);
    const std::string text = CoordinateText(lat, lon);
    EnsureScreen();
    {
        gfx::StateSaver keep(*screen_);
        screen_->ResetClip();
        screen_->SetOrigin(MapOrigin());
        const gfx::Rect m = DrawJustifiedText(*screen_, q.x, q.y, nullptr, text, kNoColor, kNoColor, HJust::Left,
                                              VJust::Bottom);
        const int width = std::max(clientRect().width(), 1);
        const int x = q.x - m.width() * q.x / width;
        const int y = q.y + m.height() + 24;
        probeBox_ = DrawJustifiedText(*screen_, x, y, nullptr, text, 0, kYellowColor, HJust::Left, VJust::Bottom);
    }
    AfterAction();
}

// ---- cross-section centre -----------------------------------------------------------------

void childMap::CrossSectionPick(ui::Point q) {
    PointToLatLon(q, &gXsLatitude, &gXsLongitude, false);
    if (ui::Frame* f = frame()) f->SendCommand(kCmCrossSectionPicked);
}

// ---- digitising --------------------------------------------------------------------------

void childMap::CmDigitize() {
    DropPreview(true);
    mouseMode_ = kMouseDigitize;
    digitized_.clear();
}

void childMap::DropPreview(bool restore) {
    if (restore && !preview_.empty()) {
        EnsureScreen();
        gfx::StateSaver keep(*screen_);
        screen_->ResetClip();
        screen_->SetOrigin(MapOrigin());
        for (auto it = preview_.rbegin(); it != preview_.rend(); ++it) screen_->SetPixel(it->p, it->saved);
    }
    preview_.clear();
}

void childMap::DigitizeDown(ui::Point q) {
    DropPreview(false);
    // The second press of a double click lands where the first one did.
    if (!digitized_.empty() && digitized_.back() == q) return;
    EnsureScreen();
    gfx::StateSaver keep(*screen_);
    screen_->ResetClip();
    screen_->SetOrigin(MapOrigin());
    const gfx::Color white = ColorOf(kWhiteColor);
    if (digitized_.empty()) {
        screen_->SetPixel(q, white);
    } else {
        const gfx::Point last = digitized_.back();
        for (gfx::Point p : LinePoints(last.x, last.y, q.x, q.y)) screen_->SetPixel(p, white);
    }
    digitized_.push_back(q);
}

void childMap::DigitizeMove(ui::Point q) {
    DropPreview(true);
    if (digitized_.empty()) return;
    EnsureScreen();
    gfx::StateSaver keep(*screen_);
    screen_->ResetClip();
    screen_->SetOrigin(MapOrigin());
    const gfx::Point last = digitized_.back();
    const gfx::Color white = ColorOf(kWhiteColor);
    for (gfx::Point p : LinePoints(last.x, last.y, q.x, q.y)) {
        const std::optional<gfx::Color> old = screen_->Pixel(p);
        if (!old) continue;
        preview_.push_back({p, *old});
        screen_->SetPixel(p, white);
    }
}

void childMap::DigitizeEnd() {
    mouseMode_ = kMouseIdle;
    DropPreview(true);
    const std::vector<gfx::Point> points = std::move(digitized_);
    digitized_.clear();
    std::string name;
    for (;;) {
        if (!PaneSeams().AskText(*this, "Digitize", "Enter region name", name, kRegionNameMax)) return;
        const std::string problem = DigitizedNameProblem(name);
        if (problem.empty()) break;
        ui::MessageBox(this, problem, "", ui::Buttons::Ok, ui::Icon::Exclamation);
    }
    const std::string file = name + ".txt";
    if (platform::PathExists(file) &&
        ui::MessageBox(this, file + " exists. Replace it with this outline?", "", ui::Buttons::YesNo,
                       ui::Icon::Question) != ui::IdYes)
        return;
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string text = FormatFixed(static_cast<double>(points.size()), 0, 5) + " " + upper + "\n";
    for (gfx::Point p : points) {
        double lat = 0, lon = 0;
        PointToLatLon(p, &lat, &lon, true);
        std::string latText = FormatFixed(lat, 3);
        if (latText.size() < 6) latText.append(6 - latText.size(), ' ');
        text += latText + " " + FormatFixed(lon, 3, 7) + "\n";
    }
    platform::SafeFileWriter out(file);
    const bool written = out.ok() && std::fwrite(text.data(), 1, text.size(), out.file()) == text.size() && out.Commit();
    if (!written)
        ui::MessageBox(this, "The outline could not be written to " + file + ".", "", ui::Buttons::Ok,
                       ui::Icon::Exclamation);
}

// ---- scale box ------------------------------------------------------------------------------

void childMap::BuildScaleBox() {
    scaleBox_ = CreateScaleBox(*this);
    scaleRect_ = {};
    if (scaleBox_) scaleRect_ = DrawScaleBox(*scaleBox_, *screen_);
}

void childMap::ScaleDragMove(ui::Point q) {
    if (!scaleBox_ || !mapImageSurface_) return;
    EnsureScreen();
    gfx::StateSaver keep(*screen_);
    screen_->ResetClip();
    screen_->SetOrigin(MapOrigin());
    screen_->Blit(scaleRect_, DragBackground(), scaleRect_.topLeft() + MapOrigin(), gfx::RasterOp::Copy);
    MoveScaleBox(*scaleBox_, q.x - scaleLast_.x, q.y - scaleLast_.y);
    scaleRect_ = DrawScaleBox(*scaleBox_, *screen_);
    scaleLast_ = q;
}

void childMap::ScaleDragUp() {
    mouseMode_ = kMouseIdle;
    ReleaseMouse();
    if (scaleBox_) {
        EnsureScreen();
        gfx::StateSaver keep(*screen_);
        screen_->ResetClip();
        screen_->SetOrigin(MapOrigin());
        scaleRect_ = DrawScaleBox(*scaleBox_, *screen_);
    }
    Repeat();
}
