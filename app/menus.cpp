#include "app/menus.h"

#include "app/speed.h"
#include "map/child_map.h"

#include "platform/sys/resources.h"
#include "platform/ui/menu.h"
#include "platform/ui/ui.h"

namespace ui = platform::ui;
using ui::MenuSpec;

namespace {

MenuSpec Item(int id, const char* text) { return MenuSpec::Item(id, text); }
MenuSpec Sep() { return MenuSpec::Separator(); }

void RegisterBar() {
    ui::RegisterMenu(kMenuBarResource, {
        Item(180, "&File"), Item(181, "&Control"), Item(182, "&Earthquakes"), Item(183, "E&ruptions"),
        Item(184, "&Map"), Item(185, "&Options"), Item(186, "&Help"), Item(187, "E&xit"),
    });
}

void RegisterFile() {
    ui::RegisterMenu("MENU_FILE", {MenuSpec::Popup("&Files", {
        Item(24500, "&Open View..."),
        Item(24331, "&New View"),
        Item(24339, "&Close View"),
        Item(24333, "&Save View\tCtrl-S"),
        Item(24334, "Save View &As..."),
        Sep(),
        Item(24332, "Open List of &Views..."),
        Item(24335, "&Edit a List of Views"),
        Sep(),
        Item(kCmFileExit, "E&xit\tAlt+F4"),
    })});
}

void RegisterControl() {
    std::vector<MenuSpec> speeds;
    for (int i = 0; i < kSpeedCount; ++i) speeds.push_back(Item(kCmSpeedFirst + i, kSpeedMenuTexts[static_cast<std::size_t>(i)]));
    ui::RegisterMenu("MENU_CONTROL", {MenuSpec::Popup("&Control", {
        Item(132, "Set &Dates..."),
        MenuSpec::Popup("&Speed", std::move(speeds)),
        Item(367, "Global &Audio"),
        MenuSpec::Popup("&Mode", {Item(103, "Run &Free"), Item(104, "Run Free &Auto Restart")}),
        Item(368, "&Run from Script"),
        Item(370, "&Time to pause at end..."),
        MenuSpec::Popup("&Map View/3-D/Cross-Section",
                        {Item(901, "&Map View"), Item(902, "&3-D View"), Item(903, "&Cross-Section View")}),
        Item(5, "&Local Time..."),
        Item(405, "&Interactive (3D)"),
        Item(406, "&Set up Cross-Section View..."),
        Sep(),
        Item(150, "&Repeat"),
    })});
}

void RegisterEarthquakes() {
    ui::RegisterMenu("MENU_EARTHQUAKES", {MenuSpec::Popup("&Earthquakes", {
        Item(128, "&On"),
        Item(111, "&Audio"),
        Item(167, "&Beeps Cutoff..."),
        Item(168, "&Magnitude Cutoff..."),
        MenuSpec::Popup("Earthquake &Symbols", {
            Item(123, "&Small Dots - Run at top speed"), Item(124, "&White Dots"), Item(125, "&Keep Large Dots"),
            Item(126, "&Circles"), Item(127, "&Moment Release"),
        }),
        Item(257, "Magnitude/&Depth Scale..."),
        Item(101, "&Earthquake file..."),
        Item(102, "Edit Earthquake &file..."),
    })});
}

void RegisterVolcanoes() {
    ui::RegisterMenu("MENU_VOLCANOES", {MenuSpec::Popup("&Eruptions", {
        Item(135, "&On"),
        Item(131, "&Audio"),
        Item(165, "&Beeps Cutoff..."),
        Item(169, "&Magnitude Cutoff..."),
        Item(170, "&Volcano Names"),
        Item(3102, "&Eruption File..."),
    })});
}

void RegisterMap() {
    ui::RegisterMenu("MENU_MAP", {MenuSpec::Popup("&Map", {
        Item(141, "&Latitude/Longitude..."),
        Item(350, "&Template..."),
        MenuSpec::Popup("&Annotations", {
            Item(143, "&Title..."),
            Item(151, "&Logo..."),
            Item(153, "&Text..."),
            MenuSpec::Popup("&Fonts", {
                Item(129, "&Title..."), Item(139, "&Logo..."), Item(140, "&Text..."), Item(1401, "&City..."),
                Item(40025, "State..."), Item(40027, "Country..."), Item(40029, "Ocean..."),
            }),
            Item(899, "&Scale..."),
            Item(40002, "Lat/Lon lines"),
            Item(703, "&Axes labels"),
            Item(144, "&Lines files..."),
            Item(145, "T&ext files..."),
            Item(146, "S&ymbol files..."),
            Item(366, "&Add City\tCtrl-A"),
            Item(365, "&Delete City\tCtrl-D"),
            Item(369, "&Highways"),
        }),
        Item(142, "Map &Files..."),
        MenuSpec::Popup("&Colors", {
            Item(4101, "&Coast..."),
            Item(4102, "Co&untry..."),
            Item(4103, "&River && Lake..."),
            Item(4104, "&State..."),
            Item(4106, "&Highway..."),
            MenuSpec::Popup("Tectonic Plates",
                            {Item(18874, "Ridge"), Item(18875, "Convergent"), Item(18876, "Transform"),
                             Item(18873, "Diffuse")}),
            MenuSpec::Popup("&Shaded Terrain",
                            {Item(256, "&Digital Elevation Models..."), Item(147, "To&pographic hue file")}),
            Item(130, "&Make Your Own Map..."),
            Item(1127, "&Plates"),
            Item(1128, "Plates at &End"),
            Item(11842, "&Population"),
            Sep(),
            Item(kCmRedraw, "Redra&w"),
        }),
    })});
}

void RegisterOptions() {
    ui::RegisterMenu("MENU_OPTIONS", {MenuSpec::Popup("&Options", {
        Item(136, "&Coordinates"),
        Item(137, "Save screen image"),
        MenuSpec::Popup("&Information Spots",
                        {Item(401, "&New"), Item(402, "&Delete"), Item(403, "&Edit"), Item(407, "&Title")}),
        Item(404, "Information &File..."),
        Item(152, "&Show Information spots"),
        Item(40051, "Update Hypocenters from USGS"),
        Item(40038, "Show floating legend"),
        Item(40049, "Send test alert message"),
    })});
}

void RegisterHelpAndExit() {
    ui::RegisterMenu("MENU_HELP", {MenuSpec::Popup("&Help", {Item(2010, "&Contents"), Item(2009, "&About Kestrune")})});
    ui::RegisterMenu("MENU_EXIT", {MenuSpec::Popup("E&xit", {Item(kCmExit, "E&xit")})});
}

void RegisterAccelerators() {
    ui::AcceleratorTable t;
    t.AddKey(ui::key::kPageDown, 1101).AddKey(ui::key::kPageUp, 1102);
    for (int n = 0; n < 9; ++n) t.AddKey(ui::key::kF1 + n, 1001 + n);
    t.AddKey(ui::key::kReturn, 1010);
    t.AddChar(19, 1011).AddChar(1, 1012).AddChar(20, 1016).AddChar(13, 1013);
    t.AddChar(18, 1014).AddChar(4, 1015).AddChar(2, 1017);
    ui::RegisterAccelerators(kAcceleratorTable, std::move(t));
}

}  // namespace

void RegisterQuorviewResources() {
    RegisterBar();
    RegisterFile();
    RegisterControl();
    RegisterEarthquakes();
    RegisterVolcanoes();
    RegisterMap();
    RegisterOptions();
    RegisterHelpAndExit();
    RegisterMapPopupMenu();
    RegisterAccelerators();
    // The error box of a view that cannot be opened names the view.
    platform::RegisterString(32540, "Cannot find \"%s\".");
    for (int i = 0; i < kSpeedCount; ++i)
        platform::RegisterString(kCmSpeedFirst + i, kSpeedPanelNames[static_cast<std::size_t>(i)]);
}
