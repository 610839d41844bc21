// The map pane's mouse: the mode set by a menu or the pop-up decides what the
// next click does; without one a click opens an information spot, starts the
// scale box drag or drags a label.
#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "core/config.h"
#include "core/eruption.h"
#include "core/helpers.h"
#include "core/number_text.h"
#include "core/places.h"
#include "core/view.h"
#include "map/child_map.h"
#include "map/info_spots.h"
#include "map/label_box.h"
#include "platform/sys/files.h"
#include "platform/ui/common_dialogs.h"
#include "platform/ui/frame.h"
#include "platform/ui/menu.h"
#include "platform/ui/ui.h"

namespace ui = platform::ui;
namespace gfx = platform::gfx;

namespace {

constexpr int kCmRepeat = 150;
constexpr const char* kCityHeader[] = {"symbol: circle", "color: white", "thickness: 3", "vertical justify: center"};
constexpr const char* kLocationHeader[] = {"color: white", "vertical justify: center", "horizontal justify: center"};
constexpr const char* kCityTemplateFile = "TEMPLATE.CAF";
constexpr std::size_t kLocationNameMax = 46;
constexpr std::size_t kSpotTitleMax = sizeof(InfoSpot::title) - 1;

// The lines of an annotation file; false when it exists but cannot be read,
// so that it is never rewritten from nothing.
bool ReadAnnotationLines(const std::string& file, OwnedStringList* lines) {
    int count = 0;
    lines->reset(ReadWholeTextFileLines(file, &count));
    if (*lines) return true;
    if (!platform::PathExists(file)) return true;
    std::FILE* f = platform::OpenFile(file, "rb");
    if (!f) return false;
    std::fclose(f);
    return true;  // an empty file
}

void AppendLines(OwnedStringList* lines, const char* const* header, std::size_t n) {
    StringListNode* head = lines->release();
    for (std::size_t i = 0; i < n; ++i) AppendStringNode(&head, header[i]);
    lines->reset(head);
}

// A place line without its options (" /d6 /o1"), trailing blanks removed.
std::string LineCore(std::string_view line) {
    std::string core(line.substr(0, std::min(line.find(" /"), line.size())));
    TrimTrailingBlanks(core);
    return core;
}

// Whole-line duplicates: an empty line never blocks a new one, and a line
// with other options still names the same place.
bool HasPlaceLine(const StringListNode* lines, std::string_view newLine) {
    const std::string core = LineCore(newLine);
    for (; lines; lines = lines->next)
        if (!core.empty() && LineCore(lines->text) == core) return true;
    return false;
}

// The line a label came from: it begins with the label's line, which ends
// there or at a blank.
bool IsLabelLine(std::string_view line, std::string_view labelLine) {
    if (labelLine.empty() || !line.starts_with(labelLine)) return false;
    return line.size() == labelLine.size() || line[labelLine.size()] == ' ';
}

std::string PlaceLine(double lat, double lon, std::string_view name) {
    return FormatFixed(lat, 3, 7) + " " + FormatFixed(lon, 3, 8) + " " + std::string(name);
}

bool AddPlaceLine(OwnedStringList* lines, const std::string& line) {
    if (HasPlaceLine(lines->get(), line)) return false;
    StringListNode* head = lines->release();
    AppendStringNode(&head, line);
    lines->reset(head);
    return true;
}

void RemoveLine(OwnedStringList* lines, StringListNode* node) {
    StringListNode* head = lines->release();
    RemoveStringNode(&head, node);
    lines->reset(head);
}

bool InPaneBox(ui::Point q) { return q.x >= 0 && q.x < gPaneWidth && q.y >= 0 && q.y < gPaneHeight; }

// The city file joins the view's text and symbol lists when they lack it.
void JoinCityFile() {
    if (FindStringNode(gTextFiles, gCityFile)) return;
    AppendStringNode(&gTextFiles, gCityFile);
    if (!FindStringNode(gSymbolFiles, gCityFile)) AppendStringNode(&gSymbolFiles, gCityFile);
}

}  // namespace

void RegisterMapPopupMenu() {
    using ui::MenuSpec;
    ui::RegisterMenu(kMapPopupMenu, {MenuSpec::Popup("ADD_DELETE", {
        MenuSpec::Item(40014, "Add City"),
        MenuSpec::Item(40040, "Add Cities from List"),
        MenuSpec::Item(40039, "Add New City"),
        MenuSpec::Item(40020, "&Delete City"),
        MenuSpec::Separator(),
        MenuSpec::Item(40031, "Add State..."),
        MenuSpec::Item(40032, "Delete State"),
        MenuSpec::Item(40030, "Add Country..."),
        MenuSpec::Item(40033, "Delete Country"),
        MenuSpec::Item(40034, "Add Body of Water"),
        MenuSpec::Item(40021, "Delete Body of Water"),
        MenuSpec::Separator(),
        MenuSpec::Item(40061, "Add Nuclear Power Plant"),
        MenuSpec::Item(40059, "Add Nuclear Power Plant from List"),
        MenuSpec::Item(40060, "Delete Nuclear Power Plant"),
        MenuSpec::Separator(),
        MenuSpec::Item(40044, "Add Location"),
        MenuSpec::Item(40045, "Delete Location"),
    })});
}

// ---- the five handlers ------------------------------------------------------------------

void childMap::EvLButtonDown(ui::Point p, std::uint32_t) {
    if (!probeBox_.empty()) EraseProbeText();
    EraseMarker();
    ModeAction(p, {p.x - gMapRect.left, p.y - gMapRect.top});
}

void childMap::EvMouseMove(ui::Point p, std::uint32_t) {
    PaneSeams().UnhighlightPaneButtons(*this);
    const ui::Point q{p.x - gMapRect.left, p.y - gMapRect.top};
    switch (mouseMode_) {
        case kMouseBusy: return;
        case kMouseUserMap: BandMove(p); return;
        case kMouseProbe: ProbeMove(q); return;
        case kMouseNewInfoSpot:
        case kMouseDeleteInfoSpot:
        case kMouseEditInfoSpot: return;
        case kMouseCrossSection:
            if (band_.active) CrossSectionPick(q);
            return;
        case kMouseDigitize: DigitizeMove(q); return;
        case kMouseScaleDrag: ScaleDragMove(q); return;
        default:
            if (!gDraggedLabel) SpotHover(q);
            else MoveDraggedLabel(q);
    }
}

void childMap::EvLButtonUp(ui::Point, std::uint32_t) {
    switch (mouseMode_) {
        case kMouseUserMap: BandUp(); return;
        case kMouseProbe:
            mouseMode_ = kMouseIdle;
            ReleaseMouse();
            return;
        case kMouseCrossSection:
            band_.active = false;
            ReleaseMouse();
            return;
        case kMouseScaleDrag: ScaleDragUp(); return;
        default: break;
    }
    EndLabelDrag();
    if (gControls[kControlShowInfoSpots] && currentSpot_ >= 0) {
        PlainSpot(currentSpot_);
        currentSpot_ = -1;
    }
}

void childMap::EvLButtonDblClk(ui::Point, std::uint32_t) {
    if (mouseMode_ == kMouseDigitize) DigitizeEnd();
}

void childMap::EvRButtonDown(ui::Point p, std::uint32_t) {
    // Stored first: the pop-up's commands act where it was opened.
    rightClick_ = p;
    ReleaseMouse();
    std::unique_ptr<ui::Menu> menu = ui::LoadMenu(kMapPopupMenu);
    ui::Menu* popup = menu && menu->count() > 0 ? menu->subMenu(0) : nullptr;
    if (!popup) return;
    const int chosen = TrackPopupMenu(*popup, ClientToScreen(p));
    if (chosen != 0) SendCommand(chosen);
}

// ---- dispatch -------------------------------------------------------------------------------

void childMap::ModeAction(ui::Point p, ui::Point q) {
    switch (mouseMode_) {
        case kMouseUserMap:
            PaneSeams().Click(*this);
            BandDown(p);
            break;
        case kMouseProbe:
            PaneSeams().Click(*this);
            EraseProbeText();
            mouseMode_ = kMouseIdle;
            break;
        case kMouseNewInfoSpot: NewInfoSpot(q); break;
        case kMouseCrossSection:
            PaneSeams().Click(*this);
            band_.active = true;
            SetCapture();
            CrossSectionPick(q);
            break;
        case kMouseAddCity:
        case kMouseAddNewCity:
        case kMouseDeleteCity:
        case kMouseAddPlant:
        case kMouseDeletePlant:
        case kMouseAddLocation: {
            const int mode = mouseMode_;
            if (!InPaneBox(q)) {
                mouseMode_ = kMouseIdle;
                return;
            }
            PaneSeams().Click(*this);
            mouseMode_ = kMouseIdle;
            if (mode == kMouseAddCity) AddCity(q);
            else if (mode == kMouseAddNewCity) AddNewCity(q);
            else if (mode == kMouseDeleteCity) DeleteCity(q);
            else if (mode == kMouseAddPlant) AddPlant(q);
            else if (mode == kMouseDeletePlant) DeletePlant(q);
            else AddLocation(q);
            break;
        }
        case kMouseCitiesFromList: AddCitiesFromList(); break;
        case kMousePlantsFromList: AddPlantsFromList(); break;
        case kMouseDigitize: DigitizeDown(q); break;
        default:
            if (SpotClick(q)) break;
            if (!InPaneBox(q)) break;
            if (scaleBox_ && BoxContains(scaleRect_, q.x, q.y)) {
                mouseMode_ = kMouseScaleDrag;
                scaleLast_ = q;
                SetCapture();
                SetDragInProgress(true);
            } else if (!gLabelBoxes.empty()) {
                StartLabelDrag(q);
            }
            break;
    }
    AfterAction();
}

void childMap::AfterAction() {
    if (gAlertEvent) PaneSeams().HighlightAlertEvent(*this);
}

void childMap::Repeat() {
    ReleaseMouse();
    if (ui::Frame* f = frame()) f->SendCommand(kCmRepeat);
}

void childMap::ReleaseMouse() {
    if (ui::Window::CaptureWindow() == this) ReleaseCapture();
    SetDragInProgress(false);
}

void childMap::PointToLatLon(ui::Point q, double* lat, double* lon, bool wrap) const {
    double offset = 0;
    ScreenToLatLon(q.y, q.x, lat, &offset);
    *lon = gWestEdge + offset;
    if (wrap && *lon > 180) *lon -= 360;
}

// ---- information spots ------------------------------------------------------------------

void childMap::HighlightSpot(int index) {
    InfoSpot* s = const_cast<InfoSpot*>(gInfoSpots.At(index));
    if (!s) return;
    EnsureScreen();
    gfx::StateSaver keep(*screen_);
    screen_->SetOrigin(MapOrigin());
    DrawSpot(*s, *screen_, mask_.get(), true);
}

void childMap::PlainSpot(int index) {
    InfoSpot* s = const_cast<InfoSpot*>(gInfoSpots.At(index));
    if (!s || !mapImageSurface_) return;
    EnsureScreen();
    gfx::StateSaver keep(*screen_);
    screen_->SetOrigin(MapOrigin());
    // The map image holds the plain spot as rendered.
    const gfx::Rect icon{s->box[0], s->box[1], s->box[2], s->box[3]};
    screen_->Blit(icon, *mapImageSurface_, icon.topLeft() + MapOrigin(), gfx::RasterOp::Copy);
}

void childMap::SpotHover(ui::Point q) {
    if (!gControls[kControlShowInfoSpots]) return;
    if (mouseMode_ != kMouseIdle && mouseMode_ != kMouseInfoSpotTitle &&
        (mouseMode_ < kMouseAddCity || mouseMode_ > kMouseAddLocation))
        return;
    const int i = SpotAtPoint(q);
    if (i == currentSpot_) return;
    if (currentSpot_ >= 0) PlainSpot(currentSpot_);
    currentSpot_ = i;
    if (i >= 0) HighlightSpot(i);
}

bool childMap::SpotClick(ui::Point q) {
    const int i = SpotAtPoint(q);
    if (i < 0) return false;
    currentSpot_ = i;
    PaneSeams().Click(*this);
    HighlightSpot(i);
    InfoSpot& spot = gInfoSpots[i];
    const std::string file = spot.file;
    switch (mouseMode_) {
        case kMouseDeleteInfoSpot:
            mouseMode_ = kMouseIdle;
            if (ui::MessageBox(this, "Delete this Information Box?", "", ui::Buttons::OkCancel, ui::Icon::None) ==
                ui::IdOk) {
                gInfoSpots.Destroy(i);
                currentSpot_ = -1;
                (void)WriteViewFile();
                Repeat();
            }
            break;
        case kMouseEditInfoSpot:
            mouseMode_ = kMouseIdle;
            PaneSeams().EditTextFile(*this, file);
            break;
        case kMouseInfoSpotTitle: {
            mouseMode_ = kMouseIdle;
            std::string title = spot.title;
            if (PaneSeams().AskText(*this, "Information Spot", "Enter identifying information", title,
                                    kSpotTitleMax)) {
                CopyBounded(gInfoSpots[i].title, title);
                (void)WriteViewFile();
                Repeat();
            }
            break;
        }
        default: OpenText(file); break;
    }
    return true;
}

void childMap::NewInfoSpot(ui::Point q) {
    if (!gControls[kControlShowInfoSpots]) return;
    if (!gMapView) {
        ui::MessageBox(this, "Can only use in map view", "", ui::Buttons::Ok, ui::Icon::Information);
        return;
    }
    mouseMode_ = kMouseIdle;
    if (q.x < 0 || q.x >= gMapWidth || q.y < 0 || q.y >= gMapHeight) return;
    PaneSeams().Click(*this);
    double lat = 0, lon = 0;
    PointToLatLon(q, &lat, &lon, false);
    ui::FileDialogData data;
    data.filter = "Info files (*.txt)|*.txt|";
    if (!ui::ExecuteFileDialog(this, ui::FileDialogKind::Open, data)) return;
    const std::string name = FileNamePart(data.fileName.c_str());
    // The view file keeps a spot's file in a fixed field: a longer name would not come back.
    if (name.empty() || name.size() > kSpotFileMax) {
        ui::MessageBox(this,
                       "The name of an information file can have at most " + std::to_string(kSpotFileMax) +
                           " characters: " + name,
                       "", ui::Buttons::Ok, ui::Icon::Exclamation);
        return;
    }
    const int index = gInfoSpots.Add(InfoSpot(lat, lon, 0, name, ""));
    if (InfoSpot* s = const_cast<InfoSpot*>(gInfoSpots.At(index))) {
        EnsureScreen();
        gfx::StateSaver keep(*screen_);
        screen_->SetOrigin(MapOrigin());
        UpdatePosition(*s, *this);
        DrawSpot(*s, *screen_, mask_.get(), false);
    }
    PaneSeams().EditTextFile(*this, name);
    (void)WriteViewFile();
    Repeat();
}

// ---- label drags ------------------------------------------------------------------------

void childMap::StartLabelDrag(ui::Point q) {
    LabelBox* label = LabelAtPoint(q);
    if (!label) return;
    gDraggedLabel = label;
    label->region = nullptr;
    label->centreOnly = false;
    label->found = false;
    label->BeginDrag(q.x, q.y);

    for (StringListNode* f = gTextFiles; f && !label->found; f = f->next) {
        OwnedStringList lines;
        if (!ReadAnnotationLines(f->text, &lines)) continue;
        // City and plant labels stay where their places are.
        const bool place = IsPlaceFile(f->text);
        for (StringListNode* n = FindStringNodeContaining(lines.get(), label->text); n;
             n = FindStringNodeContaining(n->next, label->text)) {
            if (place) break;
            if (!IsLabelLine(n->text, label->line)) continue;
            label->fileName = f->text;
            label->lineNode = n;
            label->lineList = std::move(lines);
            label->found = true;
            break;
        }
    }
    if (!label->found) return;

    EnsureScreen();
    {
        gfx::StateSaver keep(*screen_);
        screen_->SetOrigin(MapOrigin());
        (void)label->Draw(*screen_, true);
    }
    const std::string& file = label->fileName;
    auto contains = [&](const char* word) { return file.find(word) != std::string::npos; };
    const BorderSet* set = contains("ocean") ? oceanBorders_.get()
                           : contains("state") ? stateBorders_.get()
                           : contains("country") ? countryBorders_.get()
                                                 : nullptr;
    if (set) {
        const gfx::Rect& b = label->box;
        double c[4];
        ScreenRectToLatLon(c, b.left, b.top, b.right, b.bottom);
        label->region = set->FindContainingRect(c[1], c[0], c[3], c[2]);
        if (!label->region) {
            double lat = 0, lon = 0;
            PointToLatLon({(b.left + b.right) / 2, (b.top + b.bottom) / 2}, &lat, &lon, true);
            label->region = set->FindContainingPoint(lat, lon);
            label->centreOnly = label->region != nullptr;
        }
    }
    SetCapture();
    SetDragInProgress(true);
}

void childMap::MoveDraggedLabel(ui::Point q) {
    LabelBox* label = gDraggedLabel;
    if (!label || !label->found) return;
    const gfx::Rect b = label->MovedBox(q.x, q.y);
    if (b == label->currentBox) return;
    bool may = false;
    if (!label->region) {
        may = !label->oceanLabel;
    } else if (label->centreOnly) {
        double lat = 0, lon = 0;
        PointToLatLon({(b.left + b.right) / 2, (b.top + b.bottom) / 2}, &lat, &lon, true);
        may = PointInPolygon(label->region->points.data(), label->region->count(), lon, lat);
    } else {
        double c[4];
        ScreenRectToLatLon(c, b.left, b.top, b.right, b.bottom);
        may = RectInPolygon(label->region->points.data(), label->region->count(), c[1], c[0], c[3], c[2]);
    }
    if (!may || !mapImage_) return;
    EnsureScreen();
    label->RestoreBackground(*screen_, DragBackground(), MapOrigin());
    label->DragTo(q.x, q.y);
    gfx::StateSaver keep(*screen_);
    screen_->SetOrigin(MapOrigin());
    (void)label->Draw(*screen_, false);
}

void childMap::EndLabelDrag() {
    LabelBox* label = gDraggedLabel;
    if (!label) return;
    gDraggedLabel = nullptr;
    ReleaseMouse();
    if (!label->found) return;
    label->found = false;
    // A label that never moved leaves its file as it is.
    if (label->last == label->dragStart) {
        label->lineList.reset();
        label->lineNode = nullptr;
        return;
    }
    if (label->SaveDraggedPosition(*this)) Repeat();
}

// ---- places -----------------------------------------------------------------------------

void childMap::AddCity(ui::Point q) {
    double lat = 0, lon = 0;
    PointToLatLon(q, &lat, &lon, true);
    std::string name;
    GeoPoint at{};
    if (!FindClosestCity(lat, lon, nullptr, nullptr, &name, &at)) return;
    OwnedStringList lines;
    if (!ReadAnnotationLines(gCityFile, &lines)) return;
    if (!lines) AppendLines(&lines, kCityHeader, std::size(kCityHeader));
    if (AddPlaceLine(&lines, PlaceLine(at.y, at.x, name) + " /d6") && !WriteStringList(lines.get(), gCityFile)) return;
    JoinCityFile();
    DrawOverlayFiles(nullptr, &gSymbolFiles, &gTextFiles);
    Repeat();
}

void childMap::AddNewCity(ui::Point q) {
    double lat = 0, lon = 0;
    PointToLatLon(q, &lat, &lon, true);
    NewCityRow city;
    city.latitude = lat;
    city.longitude = lon;
    if (countryBorders_) {
        if (const BorderPolygon* c = countryBorders_->FindContainingPoint(lat, lon)) {
            std::string name = c->name;
            if (name.starts_with(' ')) name.erase(0, 1);
            for (std::size_t at; (at = name.find("\\n")) != std::string::npos;) name.replace(at, 2, "  ");
            if (name == "UNITED STATES" && stateBorders_) {
                if (const BorderPolygon* s = stateBorders_->FindContainingPoint(lat, lon)) {
                    city.region = s->name.starts_with(' ') ? s->name.substr(1) : s->name;
                    city.countryCode = "US";
                }
            }
            city.country = name;
        }
    }
    TitleCaseWords(city.region);
    TitleCaseWords(city.country);

    for (;;) {
        if (!PaneSeams().AskNewCity(*this, city)) return;
        TrimTrailingBlanks(city.name);
        std::string problem;
        if (city.name.empty()) problem = "A new city needs a name.";
        for (const std::string* t : {&city.name, &city.region, &city.regionCode, &city.country, &city.countryCode})
            if (!CityTextFits(*t)) problem = "Names in the city table cannot hold double quotes: " + *t;
        if (problem.empty()) break;
        ui::MessageBox(this, problem, "", ui::Buttons::Ok, ui::Icon::Exclamation);
    }

    DebugLog("Read city list");
    switch (InsertCityRow(city)) {
        case CityInsert::kInserted: DebugLog("Done saving new city list"); break;
        case CityInsert::kUnreadable:
            ui::MessageBox(this, std::string("The city table ") + kCityTableFile + " cannot be read; " + city.name +
                                     " was not added to it.",
                           "", ui::Buttons::Ok, ui::Icon::Exclamation);
            return;
        default:
            ui::MessageBox(this, std::string("The city table ") + kCityTableFile + " could not be written; " +
                                     city.name + " was not added to it.",
                           "", ui::Buttons::Ok, ui::Icon::Exclamation);
            return;
    }

    OwnedStringList lines;
    if (!ReadAnnotationLines(gCityFile, &lines)) return;
    if (!lines) {
        if (!platform::PathExists(kCityTemplateFile)) {
            OwnedStringList header;
            AppendLines(&header, kCityHeader, std::size(kCityHeader));
            (void)WriteStringList(header.get(), kCityTemplateFile);
        }
        if (!ReadAnnotationLines(kCityTemplateFile, &lines)) return;
        if (!lines) AppendLines(&lines, kCityHeader, std::size(kCityHeader));
    }
    if (AddPlaceLine(&lines, PlaceLine(city.latitude, city.longitude, city.name)) &&
        !WriteStringList(lines.get(), gCityFile))
        return;
    JoinCityFile();
    DrawOverlayFiles(nullptr, &gSymbolFiles, &gTextFiles);
    Repeat();
}

void childMap::DeleteCity(ui::Point q) {
    LabelBox* label = LabelAtPoint(q);
    if (!label) return;
    OwnedStringList lines;
    if (!ReadAnnotationLines(gCityFile, &lines)) return;
    for (StringListNode* n = lines.get(); n; n = n->next) {
        if (!IsLabelLine(n->text, label->line)) continue;
        RemoveLine(&lines, n);
        if (WriteStringList(lines.get(), gCityFile)) Repeat();
        return;
    }
}

void childMap::AddCitiesFromList() {
    const auto cities = ReadCitiesInView();
    std::vector<const CityRecord*> offered;
    for (const auto& c : cities) offered.push_back(c.get());
    std::vector<int> chosen;
    if (!PaneSeams().ChooseCities(*this, offered, chosen) || chosen.empty()) return;
    OwnedStringList lines;
    if (!ReadAnnotationLines(gCityFile, &lines)) return;
    if (!lines) AppendLines(&lines, kCityHeader, std::size(kCityHeader));
    for (int i : chosen)
        if (i >= 0 && i < static_cast<int>(offered.size()))
            (void)AddPlaceLine(&lines, PlaceLine(offered[i]->latitude, offered[i]->longitude, offered[i]->name));
    if (!WriteStringList(lines.get(), gCityFile)) return;
    JoinCityFile();
    DrawOverlayFiles(nullptr, &gSymbolFiles, &gTextFiles);
    Repeat();
}

namespace {

std::string PlantLine(double lat, double lon, const std::string& name, bool operating) {
    return PlaceLine(lat, lon, name) + " /d20 /o" + (operating ? "1" : "0");
}

}  // namespace

void childMap::AddPlant(ui::Point q) {
    double lat = 0, lon = 0;
    PointToLatLon(q, &lat, &lon, true);
    std::string name;
    GeoPoint at{};
    bool operating = false;
    if (!FindClosestNPP(lat, lon, nullptr, nullptr, &name, &at, &operating)) return;
    OwnedStringList lines;
    if (!ReadAnnotationLines(gPlantFile, &lines)) return;
    if (!AddPlaceLine(&lines, PlantLine(at.y, at.x, name, operating))) return;
    if (WriteStringList(lines.get(), gPlantFile)) Repeat();
}

void childMap::AddPlantsFromList() {
    const auto plants = ReadPlantsInView();
    std::vector<const PlaceRecord*> offered;
    for (const auto& p : plants) offered.push_back(p.get());
    std::vector<int> chosen;
    if (!PaneSeams().ChoosePlants(*this, offered, chosen) || chosen.empty()) return;
    OwnedStringList lines;
    if (!ReadAnnotationLines(gPlantFile, &lines)) return;
    bool added = false;
    for (int i : chosen)
        if (i >= 0 && i < static_cast<int>(offered.size()))
            added |= AddPlaceLine(&lines, PlantLine(offered[i]->latitude, offered[i]->longitude, offered[i]->name,
                                                    offered[i]->operating));
    if (added && !WriteStringList(lines.get(), gPlantFile)) return;
    Repeat();
}

void childMap::DeletePlant(ui::Point q) {
    OwnedStringList lines;
    if (!ReadAnnotationLines(gPlantFile, &lines)) return;
    StringListNode* hit = nullptr;
    if (LabelBox* label = LabelAtPoint(q)) {
        for (StringListNode* n = lines.get(); n && !hit; n = n->next)
            if (IsLabelLine(n->text, label->line)) hit = n;
    } else {
        for (StringListNode* n = lines.get(); n && !hit; n = n->next) {
            TextScanner scan(n->text);
            double lat = 0, lon = 0;
            std::string word;
            if (!scan.Double(&lat) || !scan.Double(&lon) || !scan.Word(&word)) break;
            std::int32_t y = 0, x = 0;
            LatLonToPixel(lat, Proj::LonOffset(lon, gWestEdge), &y, &x);
            if (q.x >= x - 20 && q.x < x + 20 && q.y >= y - 20 && q.y < y + 20) hit = n;
        }
    }
    if (!hit) return;
    RemoveLine(&lines, hit);
    if (WriteStringList(lines.get(), gPlantFile)) Repeat();
}

void childMap::AddLocation(ui::Point q) {
    double lat = 0, lon = 0;
    PointToLatLon(q, &lat, &lon, true);
    std::string name;
    if (!PaneSeams().AskText(*this, "New Location", "", name, kLocationNameMax)) return;
    TrimTrailingBlanks(name);
    if (name.empty()) return;
    const std::string file = RegionLabelFileName("location");
    OwnedStringList lines;
    if (!ReadAnnotationLines(file, &lines)) return;
    if (!lines) AppendLines(&lines, kLocationHeader, std::size(kLocationHeader));
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    StringListNode* head = lines.release();
    AppendStringNode(&head, PlaceLine(lat, lon, name));
    lines.reset(head);
    if (!WriteStringList(lines.get(), file)) return;
    if (!FindStringNode(gTextFiles, file)) AppendStringNode(&gTextFiles, file);
    DrawOverlayFiles(nullptr, nullptr, &gTextFiles);
    Repeat();
}
