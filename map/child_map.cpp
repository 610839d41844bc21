#include "map/child_map.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "core/config.h"
#include "core/missing_seam.h"
#include "core/view.h"
#include "map/eruption_symbols.h"
#include "map/info_spots.h"
#include "map/label_box.h"
#include "map/population.h"
#include "map/section3d.h"
#include "map/segments.h"
#include "map/terrain.h"
#include "platform/gfx/image.h"
#include "platform/sys/files.h"
#include "platform/ui/ui.h"

namespace ui = platform::ui;
namespace gfx = platform::gfx;

namespace {

constexpr double kGridIntervals[] = {0.00001, 0.00002, 0.00005, 0.0001, 0.0002, 0.0005, 0.001, 0.002,
                                     0.005,   0.01,    0.02,    0.05,   0.1,    0.2,    0.5,   1,
                                     2,       5,       10,      15,     30,     60,     120,   1000};
// 0.2 is followed by 1, not 0.5, as the section labels have always had it.
constexpr double kCrossSectionIntervals[] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 1,
                                             2,     5,     10,    20,   50,   100,  200, 500, 1000};

template <std::size_t N>
double FirstAtLeast(const double (&table)[N], double q) {
    for (double v : table)
        if (v >= q) return v;
    return table[N - 1];
}

constexpr int kMargin = 10;
constexpr double kCacheTolerance = 0.01;  // degrees a bound may move and still use the cached image

std::shared_ptr<const gfx::Font> ConfigFontOf(int slot) {
    if (slot < 0 || slot >= kFontSlotCount || !gFonts[slot]) return nullptr;
    const ConfigFont& f = *gFonts[slot];
    return gfx::Font::Create(f.face, f.height, f.weight);
}

std::string WithoutFinalExtension(const std::string& name) {
    const auto slash = name.find_last_of("/\\");
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return name;
    return name.substr(0, dot);
}

bool NearImageBounds() {
    // gImageBounds: south, north, west, east
    return std::fabs(gMapSouth - gImageBounds[0]) < kCacheTolerance &&
           std::fabs(gMapNorth - gImageBounds[1]) < kCacheTolerance &&
           std::fabs(gMapWest - gImageBounds[2]) < kCacheTolerance &&
           std::fabs(gMapEast - gImageBounds[3]) < kCacheTolerance;
}

void MoveAndLine(gfx::DrawContext& dc, int x0, int y0, int x1, int y1, int colorNumber) {
    dc.MoveTo({x0, y0});
    DrawLineTo(dc, x1, y1, colorNumber, 1);
}

}  // namespace

double GridInterval(double q) { return FirstAtLeast(kGridIntervals, q); }
double CrossSectionInterval(double q) { return FirstAtLeast(kCrossSectionIntervals, q); }

char ResolutionDigit(double xScale) {
    if (xScale < 3) return '4';
    if (xScale < 6) return '3';
    if (xScale < 12) return '2';
    return '1';
}

std::string ResolveMapFileName(std::string name, double xScale) {
    for (char& c : name)
        if (c == '?') c = ResolutionDigit(xScale);
    return name;
}

std::string CacheImageName(const std::string& name) { return WithoutFinalExtension(name) + ".jpg"; }

std::string PopulationCacheImageName(const std::string& name) { return WithoutFinalExtension(name) + "-pop.jpg"; }

// ---- The pane -------------------------------------------------------------------------------

const ui::ResponseTable& childMap::Table() {
    using R = ui::ResponseTableOf<childMap, ui::Window>;
    static const ui::ResponseTable table = R::Build({
        R::Command(1037, &childMap::CmNextEvent),
        R::Command(1038, &childMap::CmPreviousEvent),
        R::Command(1071, &childMap::CmCurrentEvent),
        R::Command(1053, &childMap::CmInformation),
        R::Command(1054, &childMap::CmHelpText),
        R::Command(1068, &childMap::CmKeyText),
        R::Command(1064, &childMap::CmTimeoutText),
        R::Command(40014, &childMap::CmAddCity),
        R::Command(40040, &childMap::CmAddCitiesFromList),
        R::Command(40020, &childMap::CmDeleteCity),
        R::Command(40039, &childMap::CmAddNewCity),
        R::Command(40061, &childMap::CmAddPlant),
        R::Command(40059, &childMap::CmAddPlantFromList),
        R::Command(40060, &childMap::CmDeletePlant),
        R::Command(40031, &childMap::CmAddState),
        R::Command(40034, &childMap::CmAddBodyOfWater),
        R::Command(40030, &childMap::CmAddCountry),
        R::Command(40032, &childMap::CmDeleteState),
        R::Command(40033, &childMap::CmDeleteCountry),
        R::Command(40021, &childMap::CmDeleteBodyOfWater),
        R::Command(40044, &childMap::CmAddLocation),
        R::Command(40045, &childMap::CmDeleteLocation),
        R::Command(1015, &childMap::CmDigitize),
    });
    return table;
}

childMap::childMap(ui::Window* parent) : ui::Window(parent) {
    SetStyle(ui::style::kChild | ui::style::kVisible);
    LoadBorderSets();
}

childMap::~childMap() {
    ReleaseMouse();
    CloseTextWindow();
    PaneSeams().PaneDestroyed(*this);
}

gfx::DrawContext* childMap::screen() {
    EnsureScreen();
    return screen_.get();
}

// The back buffer is replaced when the pane is resized; the context follows it.
void childMap::EnsureScreen() {
    const gfx::Surface* target = &backBuffer();
    if (!screen_ || screenTarget_ != target || screenSize_ != target->size()) {
        screen_ = std::make_unique<gfx::DrawContext>(backBuffer());
        screenTarget_ = target;
        screenSize_ = target->size();
    }
}

void childMap::EvSize(ui::Size client) {
    ui::Window::EvSize(client);
    // Not before the first view, not for a pane squeezed to nothing (a minimised frame).
    if (paneRect_.empty() || drawing_ || paneRect_.size() == client || client.width < 16 || client.height < 16) return;
    RenderView();
    Invalidate();
}

void childMap::RenderView() {
    // The terrain and population steps pump messages; a command that asks
    // for a rendering meanwhile gets it once this one has ended.
    if (drawing_) {
        renderAgain_ = true;
        return;
    }
    do {
        renderAgain_ = false;
        RenderOnce();
    } while (renderAgain_);
}

void childMap::RenderOnce() {
    ReleaseMouse();
    currentSpot_ = -1;
    scaleBox_.reset();
    probeBox_ = {};
    band_ = {};
    digitized_.clear();
    preview_.clear();
    mouseMode_ = kMouseBusy;
    EnsureScreen();
    screen_->SetOrigin({0, 0});
    drawing_ = true;

    const gfx::Rect client = clientRect();
    const gfx::TextMetrics tm = screen_->textMetrics();
    gTextHeight = tm.height;
    gAveCharWidth = tm.aveCharWidth;

    const bool sphere = gControls[kControlScienceOnASphere] != 0;
    if (gControls[kControlQmxLegend]) PaneSeams().FloatingLegend(*this);

    if (!DrawBaseMap(gMapFiles, client.left, client.top, client.right - 1, client.bottom - 1)) {
        mouseMode_ = kMouseIdle;
        drawing_ = false;
        return;
    }
    paneRect_ = client;

    if (!mapImageSurface_ || mapImageSurface_->size() != client.size()) {
        mapImageSurface_ = gfx::Surface::Create(client.width(), client.height());
        mapImage_ = mapImageSurface_ ? std::make_unique<gfx::DrawContext>(*mapImageSurface_) : nullptr;
    }
    screen_->ResetClip();
    screen_->SetOrigin({0, 0});
    if (mapImage_) {
        mapImage_->ResetClip();
        mapImage_->SetOrigin({0, 0});
    }

    if (sphere) {
        sphereDisplaySurface_ = gfx::Surface::Create(gSphereImageSize.width, gSphereImageSize.height, gfx::kBlack);
        spherePermanentSurface_ = gfx::Surface::Create(gSphereImageSize.width, gSphereImageSize.height, gfx::kBlack);
        sphereDisplay_ = sphereDisplaySurface_ ? std::make_unique<gfx::DrawContext>(*sphereDisplaySurface_) : nullptr;
        spherePermanent_ =
            spherePermanentSurface_ ? std::make_unique<gfx::DrawContext>(*spherePermanentSurface_) : nullptr;
    }

    if (gControls[kControlShowInformationButton]) PaneSeams().InformationButton(*this);

    // In the map image too, so that erasing the events keeps the outline.
    if (gMapView && gShowCrossSectionOutline) {
        gfx::StateSaver keep(*screen_);
        ClipToRect(*screen_, gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom, true);
        DrawSectionOutline(*screen_, *this);
    }
    if (mapImage_) mapImage_->Blit(client, backBuffer(), {0, 0}, gfx::RasterOp::Copy);

    if (gShowPlates && !gCrossSectionView) DrawPlatesLayer(*this, *screen_, g3DView ? &Map3DPen(*screen_) : nullptr);
    if (gMapView) DrawMapTitles();
    PlaceDisplayedEruptionsAgain(*this);

    const gfx::Point mapOrigin{gMapRect.left, gMapRect.top};
    screen_->ResetClip();
    screen_->SetOrigin(mapOrigin);
    if (mapImage_) {
        mapImage_->ResetClip();
        mapImage_->SetOrigin(mapOrigin);
    }
    mouseMode_ = kMouseIdle;
    drawing_ = false;
}

bool childMap::DrawBaseMap(StringListNode* mapFiles, int left, int top, int right, int bottom) {
    EnsureScreen();
    gfx::DrawContext& dc = *screen_;

    // Bounds held to what the projection can draw, stored back into the view.
    gMapNorth = std::min(gMapNorth, 89.0);
    gMapSouth = std::max(gMapSouth, -89.0);
    gMapWest = std::max(gMapWest, -180.0);
    gMapEast = std::min(gMapEast, 180.0);
    SpanFromMapBounds();

    if (!gLegendFont) gLegendFont = gfx::Font::Create("MS Sans Serif", 7, gfx::kNormalWeight);
    const gfx::TextMetrics legend = gLegendFont ? gLegendFont->metrics() : dc.textMetrics();

    int mx = kMargin, my = kMargin;
    if ((gMapView && gShowLabels) || gCrossSectionView) {
        mx += 7 * legend.aveCharWidth;
        my += legend.height;
        gShowLabels = true;
    }
    // A pane too small to hold a map is left alone, without a box: kiosk and
    // alert screens have nobody to answer one.
    if (right - left - 2 * mx <= 0 || bottom - top - 2 * my <= 0) return false;

    gPaneWidth = right - left;
    gPaneHeight = bottom - top;
    const gfx::Rect pane{left, top, right, bottom};
    gMapRect = {left + mx, top + my, right - mx, bottom - my};

    int border = gConfigBorderColor != 0 ? gConfigBorderColor : gBorderColor;
    if (gControls[kControlDoviredezur]) border = kDoviredezurLightColor;
    dc.ResetClip();
    dc.SetOrigin({0, 0});
    dc.SetClip(pane);
    dc.SetPen(gfx::Pen::Solid(ColorOf(kLightGrayColor)));
    dc.SetBrush(gfx::Brush::Solid(ColorOf(border)));
    dc.Rectangle(pane);
    DrawBevelFrame(dc, pane, kLightGrayColor, false, 3, mx);
    gMapWidth = gMapRect.right - gMapRect.left;
    gMapHeight = gMapRect.bottom - gMapRect.top;

    if (gMapView) {
        if (!SetMapScale(&gLonSpan, &gMapHeight, &gMapWidth, gMapSouth, gMapNorth, &gMapRect.left, &gMapRect.top,
                         &gMapRect.right, &gMapRect.bottom, &xScale, &yScale))
            return false;
        gMapWidth = gMapRect.right - gMapRect.left;
        gMapHeight = gMapRect.bottom - gMapRect.top;
    } else if (g3DView) {
        SetUp3DProjection(*this, false);
    } else if (gCrossSectionView) {
        SetUpCrossSection(*this);
    }

    // The mask covers the map area as the projection left it.
    const gfx::Size maskSize{std::max(gMapWidth, 1), std::max(gMapHeight, 1)};
    if (maskBits_ && maskBits_->size() == maskSize) {
        for (int y = 0; y < maskSize.height; ++y) std::fill_n(maskBits_->row(y), maskSize.width, std::uint8_t{0});
        maskBits_->ClearDamage();
    } else {
        maskBits_ = gfx::Mask::Create(maskSize.width, maskSize.height, false);
    }
    if (!maskBits_) {
        mask_.reset();
        ui::MessageBox(this, "Problem getting memory", "Error", ui::Buttons::Ok, ui::Icon::Stop);
        return false;
    }
    mask_ = std::make_unique<gfx::DrawContext>(*maskBits_);

    const gfx::Rect area{gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom};
    dc.SetPen(gfx::Pen::Solid(ColorOf(kLightGrayColor)));
    dc.SetBrush(gfx::Brush::Solid(ColorOf(gConfigBackgroundColor)));
    dc.Rectangle(area);
    ClipToRect(dc, gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom, false);
    Validate();

    // The cached image of the map area.
    const bool population = gControls[kControlPopulation] != 0;
    bool populationFirst = false;
    std::string imageFile;
    if (gMapView) {
        if (gRedrawMap && population) {
            populationFirst = true;
            gRedrawMap = false;
            imageFile = gMapImageFile.empty() ? std::string() : CacheImageName(gMapImageFile);
        } else if (population) {
            imageFile = gPopulationImageFile.empty() ? std::string() : PopulationCacheImageName(gPopulationImageFile);
        } else {
            imageFile = gMapImageFile.empty() ? std::string() : CacheImageName(gMapImageFile);
        }
        if (gRedrawMap || !NearImageBounds() || imageFile.empty() || !UseCachedImage(imageFile)) gRedrawMap = true;
    }

    if (populationFirst) DrawPopulation(dc, *this, gPopulationFile);
    if (gMapView && gRedrawMap && gTopo != 0 && !population) DrawTerrain(dc, *this, this);

    DrawBevelFrame(dc, {-3, -3, gMapWidth + 3, gMapHeight + 3}, kNoColor, true, 3, 0);

    if (g3DView) {
        SetUp3DProjection(*this, true);
        gRedrawMap = true;  // a 3-D view always redraws
    }

    if (gRedrawMap && (gMapView || g3DView)) {
        if (renderProbe_) renderProbe_->FreshRendering();
        ClipToRect(dc, gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom, true);
        if (g3DView) (void)BeginMapBuffer();
        for (StringListNode* n = mapFiles; n; n = n->next) {
            const std::string name = ResolveMapFileName(n->text, xScale);
            (void)DrawNamedSegmentFile(*this, name, LayoutForFileName(name), dc, g3DView ? &Map3DPen(dc) : nullptr);
        }
        if (g3DView) EndMapBuffer();
    }

    if (gMapView && gRedrawMap && gShowEruptions) DrawAllEruptions(*this);

    // A reused image is not written again, so it never drifts through
    // repeated compression.
    if (gMapView && !imageFile.empty() && (gRedrawMap || populationFirst)) {
        if (populationFirst && !gPopulationImageFile.empty())
            imageFile = PopulationCacheImageName(gPopulationImageFile);
        SaveCachedImage(imageFile);
    }

    ClipToRect(dc, 0, 0, gPaneWidth, gPaneHeight, true);
    ClipToRect(dc, gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom, false);

    if (gMapView) DrawGrid(gMapSouth, gMapNorth, gMapWest, gMapEast);
    if (gCrossSectionView) DrawCrossSectionAxes(*this);

    if (gMapView) {
        DrawInfoSpots(false);
        KeepDragBackground();
        ClearLabelBoxes();
        ReserveSpotRooms(*screen_);
        // A rendering draws every symbol afresh: the last one's places are no longer taken.
        ForgetPngSymbols();
        DrawOverlayFiles(&gLineFiles, &gSymbolFiles, &gTextFiles);
        if (gShowMapScale) BuildScaleBox();
    }
    return true;
}

// The map under its labels and scale box: what a dragged one leaves behind.
void childMap::KeepDragBackground() {
    const gfx::Surface& screen = backBuffer();
    if (!dragBackground_ || dragBackground_->size() != screen.size())
        dragBackground_ = gfx::Surface::Create(screen.width(), screen.height());
    if (!dragBackground_) return;
    gfx::DrawContext copy(*dragBackground_);
    copy.Blit(screen.bounds(), screen, {0, 0}, gfx::RasterOp::Copy);
}

namespace {

std::optional<FileStamp> StampOf(const std::string& file) {
    struct stat st;
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return FileStamp::Of(st);
}

}  // namespace

bool childMap::UseCachedImage(const std::string& file) {
    const std::optional<FileStamp> stamp = StampOf(file);
    if (!stamp || !decoded_.image || decoded_.file != file || !(decoded_.stamp == *stamp)) {
        decoded_ = {};
        std::unique_ptr<gfx::Surface> image = gfx::LoadJpeg(file);
        if (!image) return false;
        // Kept only while the stamp tells a change apart: the file as this
        // pane wrote it, or one quiet for longer than a stamp's granularity,
        // and the same after the decoding as before it.
        const std::optional<FileStamp> after = StampOf(file);
        const bool ours = file == ownFile_ && stamp && *stamp == ownStamp_;
        if (!stamp || !after || !(*after == *stamp) || (!ours && stamp->ChangedWithin(2.0))) {
            screen_->StretchImage({0, 0, gMapWidth, gMapHeight}, *image, image->bounds());
            return true;
        }
        decoded_ = {file, *stamp, std::move(image)};
    }
    screen_->StretchImage({0, 0, gMapWidth, gMapHeight}, *decoded_.image, decoded_.image->bounds());
    return true;
}

void childMap::SaveCachedImage(const std::string& file) {
    if (gViewZoomed) return;  // the cache and its bounds belong to the view as stored
    // A map taller or wider than the pane is saved black beyond it.
    const gfx::Rect area{gMapRect.left, gMapRect.top, gMapRect.left + gMapWidth, gMapRect.top + gMapHeight};
    const std::optional<std::string> bytes = gfx::EncodeJpeg(backBuffer(), area);
    // Rewritten in place: the cache is written at every fresh rendering.
    if (decoded_.file == file) decoded_ = {};
    ownFile_.clear();
    if (!bytes || !platform::OverwriteFile(file, *bytes)) {
        std::remove(file.c_str());
        return;
    }
    if (const std::optional<FileStamp> stamp = StampOf(file)) {
        ownFile_ = file;
        ownStamp_ = *stamp;
    }
    if (renderProbe_) renderProbe_->CacheImageWritten();
    gImageBounds[0] = gMapSouth;
    gImageBounds[1] = gMapNorth;
    gImageBounds[2] = gMapWest;
    gImageBounds[3] = gMapEast;
    (void)WriteViewFile();
}

GridTicks GridTicksFor(double south, double north, double west, double east, double lonSpan) {
    GridTicks g;
    const double dLon = GridInterval(lonSpan / 12);
    const double dLat = GridInterval((north - south) / 5);
    double l1 = std::floor(west / dLon) * dLon;
    if (l1 < west) l1 += dLon;
    double l2 = std::ceil(east / dLon) * dLon;
    if (l2 > east) l2 -= dLon;
    if (l2 == l1) l2 = l1 + 361;  // a whole-world view
    double p1 = std::floor(south / dLat) * dLat;
    if (p1 < south) p1 += dLat;
    double p2 = std::ceil(north / dLat) * dLat;
    if (p2 > north) p2 -= dLat;
    const double lastOffset = Proj::LonOffset(l2, west);

    auto walk = [&](std::vector<double>& out, int most) {
        double lon = l1;
        for (int i = 0; i < most; ++i, lon += dLon) {
            if (lon > 180) lon -= 360;
            if (Proj::LonOffset(lon, west) > lastOffset) break;
            out.push_back(lon);
        }
    };
    walk(g.tickLons, 12);
    walk(g.lineLons, 13);
    // Bounded by count as well, so a NaN or an endless table cannot loop.
    for (double lat = p1; lat < p2 + dLat / 2 && g.tickLats.size() < 1000; lat += dLat) g.tickLats.push_back(lat);
    for (double lat = p1 == south ? p1 + dLat : p1; lat < north && g.lineLats.size() < 1000; lat += dLat)
        g.lineLats.push_back(lat);
    return g;
}

void childMap::DrawGrid(double south, double north, double west, double east) {
    gfx::DrawContext& dc = *screen_;
    const GridTicks g = GridTicksFor(south, north, west, east, gLonSpan);
    const int w = gMapWidth, h = gMapHeight;
    auto column = [&](double lon) {
        std::int32_t row = 0, col = 0;
        LatLonToPixel(south, Proj::LonOffset(lon, west), &row, &col);
        return col;
    };
    auto rowOf = [&](double lat) {
        std::int32_t row = 0, col = 0;
        LatLonToPixel(lat, 0, &row, &col);
        return row;
    };

    if (gShowLabels) {
        const int t = w / 100;
        for (double lon : g.tickLons) {
            const int x = column(lon);
            MoveAndLine(dc, x, h, x, h - t, kWhiteColor);
            DrawLatLonLabel(dc, x, h + 4, gLegendFont, lon, HJust::Center, VJust::Top, kBlackColor, false);
            MoveAndLine(dc, x, 0, x, t, kWhiteColor);
            DrawLatLonLabel(dc, x, -6, gLegendFont, lon, HJust::Center, VJust::Bottom, kBlackColor, false);
        }
        for (double lat : g.tickLats) {
            const int y = rowOf(lat);
            MoveAndLine(dc, w, y, w - t, y, kWhiteColor);
            DrawLatLonLabel(dc, w + 3, y, gLegendFont, lat, HJust::Left, VJust::Center, kBlackColor, true);
            MoveAndLine(dc, 0, y, t, y, kWhiteColor);
            DrawLatLonLabel(dc, -3, y, gLegendFont, lat, HJust::Right, VJust::Center, kBlackColor, true);
        }
    }
    // Interior tick marks are left out: the setting never drew anything.
    if (gShowLatLonLines) {
        for (double lon : g.lineLons) {
            const int x = column(lon);
            MoveAndLine(dc, x, h, x, 0, kGridColor);
        }
        for (double lat : g.lineLats) {
            const int y = rowOf(lat);
            MoveAndLine(dc, 0, y, w, y, kGridColor);
        }
    }
}

void childMap::DrawMapTitles() {
    EnsureScreen();
    gfx::DrawContext* targets[] = {screen_.get(), mapImage_.get()};
    for (gfx::DrawContext* dc : targets)
        if (dc) ClipToRect(*dc, gMapRect.left, gMapRect.top, gMapRect.right, gMapRect.bottom, true);

    // Points are in map-area pixels and the same on every surface: the mask
    // protects exactly where the text is.
    if (gShowLogo && !gLogoText.empty()) {
        auto font = ConfigFontOf(kFontLogo);
        const int th = font ? font->metrics().height : gTextHeight;
        const gfx::Point p{gPaneWidth / 2, std::min(gMapHeight, th + 9)};
        for (gfx::DrawContext* dc : targets)
            if (dc) DrawJustifiedText(*dc, p.x, p.y, font, gLogoText, kWhiteColor, kNoColor, HJust::Center, VJust::Top, 2, kBlackColor);
        if (mask_)
            DrawJustifiedText(*mask_, p.x, p.y, font, gLogoText, kWhiteColor, kNoColor, HJust::Center, VJust::Top, 2,
                              kWhiteColor);
    }
    if (!gInfoText.empty()) {
        auto font = ConfigFontOf(kFontInfo);
        const int th = font ? font->metrics().height : gTextHeight;
        const gfx::Point p{gPaneWidth / 8 + 4 * gAveCharWidth, gPaneHeight - th - 4};
        for (gfx::DrawContext* dc : targets)
            if (dc) DrawJustifiedText(*dc, p.x, p.y, font, gInfoText, kWhiteColor, kNoColor, HJust::Left, VJust::Bottom, 2, kBlackColor);
        if (mask_)
            DrawJustifiedText(*mask_, p.x, p.y, font, gInfoText, kWhiteColor, kNoColor, HJust::Left, VJust::Bottom, 2,
                              kWhiteColor);
    }
}

void childMap::ShowPlates() {
    EnsureScreen();
    DrawPlatesLayer(*this, *screen_, g3DView ? &Map3DPen(*screen_) : nullptr);
    if (gControls[kControlScienceOnASphere] && sphereDisplay_) DrawPlatesOnSphere(*sphereDisplay_);
    if (gControls[kControlShowInformationButton]) PaneSeams().InformationButton(*this);
}

void childMap::Paint(ui::BackBuffer& buffer, const ui::Rect& damaged) {
    drawing_ = true;
    ForgetPngSymbols();
    gfx::DrawContext dc(buffer);
    if (mapImageSurface_) dc.Blit(damaged, *mapImageSurface_, damaged.topLeft(), gfx::RasterOp::Copy);
    if (mapImageSurface_ && gShowPlates && !gCrossSectionView) DrawPlatesLayer(*this, dc, g3DView ? &Map3DPen(dc) : nullptr);
    drawing_ = false;
    // The step checks the pause itself: the flag belongs to the application.
    if (gAlertEvent) PaneSeams().HighlightAlertEvent(*this);
}

void childMap::AddUpdateRect(const gfx::Rect& r) { updateRect_ = updateRect_.united(r); }

void childMap::FlushUpdateRect() {
    if (updateRect_.empty() || !mapImageSurface_) {
        updateRect_ = {};
        return;
    }
    EnsureScreen();
    screen_->Save();
    screen_->ResetClip();
    screen_->SetOrigin({0, 0});
    screen_->Blit(updateRect_, *mapImageSurface_, updateRect_.topLeft(), gfx::RasterOp::Copy);
    screen_->Restore();
    updateRect_ = {};
}

void childMap::CloseTextWindow() {
    PaneSeams().CloseTextWindow(*this);
}

void childMap::UnhighlightInformationButton() {
    // Redrawn plain by the owner-drawn button once it exists.
}

void childMap::OpenText(const std::string& file) {
    CloseTextWindow();
    PaneSeams().OpenTextWindow(*this, file);
}

void childMap::CmInformation() { OpenText(gViewInformation); }
void childMap::CmHelpText() { OpenText("HELP.TXT"); }
void childMap::CmKeyText() { OpenText("KEY.TXT"); }
void childMap::CmTimeoutText() { OpenText("TIMEOUT.TXT"); }

// A pop-up edit acts as a left click where the menu was opened.
void childMap::EditAtRightClick(int mode) {
    mouseMode_ = mode;
    EvLButtonDown(rightClick_, 0);
}
void childMap::CmAddCity() { EditAtRightClick(9); }
void childMap::CmAddNewCity() { EditAtRightClick(10); }
void childMap::CmDeleteCity() { EditAtRightClick(11); }
void childMap::CmAddCitiesFromList() { EditAtRightClick(12); }
void childMap::CmAddPlant() { EditAtRightClick(13); }
void childMap::CmAddPlantFromList() { EditAtRightClick(14); }
void childMap::CmDeletePlant() { EditAtRightClick(15); }
void childMap::CmAddLocation() { EditAtRightClick(16); }

void childMap::PassCommand(int id) {
    PaneSeams().Command(*this, id);
}
void childMap::CmNextEvent() { PassCommand(1037); }
void childMap::CmPreviousEvent() { PassCommand(1038); }
void childMap::CmCurrentEvent() { PassCommand(1071); }
void childMap::CmAddState() { AddRegionLabelAtClick("state"); }
void childMap::CmAddBodyOfWater() { AddRegionLabelAtClick("ocean"); }
void childMap::CmAddCountry() { AddRegionLabelAtClick("country"); }
void childMap::CmDeleteState() { DeleteRegionLabel("state"); }
void childMap::CmDeleteCountry() { DeleteRegionLabel("country"); }
void childMap::CmDeleteBodyOfWater() { DeleteRegionLabel("ocean"); }
void childMap::CmDeleteLocation() { DeleteRegionLabel("location"); }

void childMap::BuildAlertView(const QuakeRecord& record) {
    PaneSeams().BuildAlertView(*this, record);
}

// A probe or a band the user chose outlasts the busy state.
void childMap::SetBusy(bool busy) {
    if (busy) mouseMode_ = kMouseBusy;
    else if (mouseMode_ == kMouseBusy) mouseMode_ = kMouseIdle;
}
