#pragma once
// Every command id the main frame answers, each with its handler's name for
// logs: X(constant, first id, last id, handler). Ranges share one handler,
// which receives the id.

#define QUORVIEW_FRAME_COMMANDS(X)                                             \
    /* the menu bar */                                                         \
    X(kCmMenuBarFirst, 180, 187, CmMenuBar)                                    \
    /* File */                                                                 \
    X(kCmOpenView, 24500, 24500, CmOpenView)                                   \
    X(kCmNewView, 24331, 24331, CmNewView)                                     \
    X(kCmCloseView, 24339, 24339, CmCloseView)                                 \
    X(kCmSaveView, 24333, 24333, CmSaveView)                                   \
    X(kCmSaveViewAs, 24334, 24334, CmSaveViewAs)                               \
    X(kCmOpenViewList, 24332, 24332, CmOpenViewList)                           \
    X(kCmEditViewList, 24335, 24335, CmEditViewList)                           \
    X(kCmFileExit, 24310, 24310, CmExitCommand)                                \
    /* Control */                                                              \
    X(kCmSetDates, 132, 132, CmSetDates)                                       \
    X(kCmSpeedFirst, 300, 324, CmSpeed)                                        \
    X(kCmGlobalAudio, 367, 367, CmGlobalAudio)                                 \
    X(kCmRunFree, 103, 103, CmRunMode)                                         \
    X(kCmRunFreeAutoRestart, 104, 104, CmRunMode)                              \
    X(kCmRunFromScript, 368, 368, CmRunFromScript)                             \
    X(kCmPauseTime, 370, 370, CmPauseTime)                                     \
    X(kCmMapView, 901, 901, CmMapView)                                         \
    X(kCm3DView, 902, 902, Cm3DView)                                           \
    X(kCmCrossSectionView, 903, 903, CmCrossSectionView)                       \
    X(kCmLocalTime, 5, 5, CmLocalTime)                                         \
    X(kCmInteractive3D, 405, 405, CmInteractive3D)                             \
    X(kCmSetUpCrossSection, 406, 406, CmSetUpCrossSection)                     \
    X(kCmRepeat, 150, 150, CmRepeat)                                           \
    /* Earthquakes */                                                          \
    X(kCmEarthquakesOn, 128, 128, CmEarthquakesOn)                             \
    X(kCmQuakeAudio, 111, 111, CmEarthquakeAudio)                              \
    X(kCmEarthquakeBeepsCutoff, 167, 167, CmEarthquakeBeepsCutoff)             \
    X(kCmEarthquakeMagnitudeCutoff, 168, 168, CmEarthquakeMagnitudeCutoff)     \
    X(kCmSymbolsFirst, 123, 127, CmEarthquakeSymbols)                          \
    X(kCmMagnitudeDepthScale, 257, 257, CmMagnitudeDepthScale)                 \
    X(kCmEarthquakeFile, 101, 101, CmEarthquakeFile)                           \
    X(kCmEditEarthquakeFile, 102, 102, CmEditEarthquakeFile)                   \
    /* Eruptions */                                                            \
    X(kCmEruptionsOn, 135, 135, CmEruptionsOn)                                 \
    X(kCmEruptionAudio, 131, 131, CmEruptionAudio)                             \
    X(kCmEruptionBeepsCutoff, 165, 165, CmEruptionBeepsCutoff)                 \
    X(kCmEruptionMagnitudeCutoff, 169, 169, CmEruptionMagnitudeCutoff)         \
    X(kCmVolcanoNames, 170, 170, CmVolcanoNames)                               \
    X(kCmEruptionFile, 3102, 3102, CmEruptionFile)                             \
    /* Map */                                                                  \
    X(kCmLatitudeLongitude, 141, 141, CmLatitudeLongitude)                     \
    X(kCmTemplate, 350, 350, CmTemplate)                                       \
    X(kCmTitle, 143, 143, CmTitle)                                             \
    X(kCmLogo, 151, 151, CmLogo)                                               \
    X(kCmText, 153, 153, CmText)                                               \
    X(kCmFontTitle, 129, 129, CmFont)                                          \
    X(kCmFontLogo, 139, 139, CmFont)                                           \
    X(kCmFontText, 140, 140, CmFont)                                           \
    X(kCmFontCity, 1401, 1401, CmFont)                                         \
    X(kCmFontState, 40025, 40025, CmFont)                                      \
    X(kCmFontCountry, 40027, 40027, CmFont)                                    \
    X(kCmFontOcean, 40029, 40029, CmFont)                                      \
    X(kCmScale, 899, 899, CmScale)                                             \
    X(kCmLatLonLines, 40002, 40002, CmLatLonLines)                             \
    X(kCmAxesLabels, 703, 703, CmAxesLabels)                                   \
    X(kCmLineFiles, 144, 144, CmLineFiles)                                     \
    X(kCmTextFiles, 145, 145, CmTextFiles)                                     \
    X(kCmSymbolFiles, 146, 146, CmSymbolFiles)                                 \
    X(kCmAddCity, 366, 366, CmAddCity)                                         \
    X(kCmHighways, 369, 369, CmHighways)                                       \
    X(kCmMapFiles, 142, 142, CmMapFiles)                                       \
    X(kCmColorCoast, 4101, 4101, CmColor)                                      \
    X(kCmColorCountry, 4102, 4102, CmColor)                                    \
    X(kCmColorRiver, 4103, 4103, CmColor)                                      \
    X(kCmColorState, 4104, 4104, CmColor)                                      \
    X(kCmColorHighway, 4106, 4106, CmColor)                                    \
    X(kCmColorDiffuse, 18873, 18873, CmColor)                                  \
    X(kCmColorRidge, 18874, 18874, CmColor)                                    \
    X(kCmColorConvergent, 18875, 18875, CmColor)                               \
    X(kCmColorTransform, 18876, 18876, CmColor)                                \
    X(kCmElevationModels, 256, 256, CmElevationModels)                         \
    X(kCmHueFile, 147, 147, CmHueFile)                                         \
    X(kCmMakeYourOwnMap, 130, 130, CmMakeYourOwnMap)                           \
    X(kCmPlates, 1127, 1127, CmPlates)                                         \
    X(kCmPlatesAtEnd, 1128, 1128, CmPlatesAtEnd)                               \
    X(kCmPopulation, 11842, 11842, CmPopulation)                               \
    X(kCmRedraw, 149, 149, CmRedraw)                                           \
    /* Options */                                                              \
    X(kCmCoordinates, 136, 136, CmCoordinates)                                 \
    X(kCmSaveScreenImage, 137, 137, CmSaveScreenImage)                         \
    X(kCmNewInfoSpot, 401, 401, CmNewInfoSpot)                                 \
    X(kCmDeleteInfoSpot, 402, 402, CmDeleteInfoSpot)                           \
    X(kCmEditInfoSpot, 403, 403, CmEditInfoSpot)                               \
    X(kCmInfoSpotTitle, 407, 407, CmInfoSpotTitle)                             \
    X(kCmInformationFile, 404, 404, CmInformationFile)                         \
    X(kCmShowInfoSpots, 152, 152, CmShowInfoSpots)                             \
    X(kCmUpdateHypocenters, 40051, 40051, CmUpdateHypocenters)                 \
    /* Help and Exit */                                                        \
    X(kCmHelpContents, 2010, 2010, CmHelpContents)                             \
    X(kCmAbout, 2009, 2009, CmAbout)                                           \
    X(kCmExit, 138, 138, CmExit)                                               \
    /* sent only by accelerators */                                            \
    X(kCmTemplateViewFirst, 1001, 1009, CmTemplateView)                        \
    X(kCmNextListView, 1101, 1101, CmStepViewList)                             \
    X(kCmPreviousListView, 1102, 1102, CmStepViewList)                         \
    X(kCmSaveViewKey, 1011, 1011, CmSaveView)                                  \
    X(kCmAddCityKey, 1012, 1012, CmAddCity)                                    \
    X(kCmMakeYourOwnMapKey, 1013, 1013, CmMakeYourOwnMap)                      \
    X(kCmRedrawKey, 1014, 1014, CmRedraw)                                      \
    X(kCmDigitize, 1015, 1015, CmDigitize)                                     \
    X(kCmCurrentEventKey, 1017, 1017, CmCurrentEvent)                          \
    /* sent by other windows */                                                \
    X(kCmPlay, 1034, 1034, CmPlay)                                             \
    X(kCmPause, 1035, 1035, CmPause)                                           \
    X(kCmRestartClock, 1036, 1036, CmRestartClock)                             \
    X(kCmOpenListView, 1045, 1045, CmOpenListView)                             \
    X(kCmCrossSectionPicked, 1048, 1048, CmCrossSectionPicked)                 \
    X(kCmStartScreen, 1057, 1057, CmStartScreen)                               \
    X(kCmShowSelectGroup, 1060, 1060, CmShowSelectGroup)                       \
    X(kCmSelectMenu, 1061, 1061, CmSelectMenu)                                 \
    X(kCmOpenSelectedView, 1062, 1062, CmOpenSelectedView)                     \
    X(kCmScheduledUpdate, 154, 154, CmScheduledUpdate)

#define QUORVIEW_COMMAND_CONSTANT(k, first, last, handler) inline constexpr int k = first;
QUORVIEW_FRAME_COMMANDS(QUORVIEW_COMMAND_CONSTANT)
#undef QUORVIEW_COMMAND_CONSTANT
inline constexpr int kCmMenuBarLast = 187;
inline constexpr int kCmSpeedLast = 324;
inline constexpr int kCmSymbolsLast = 127;
inline constexpr int kCmTemplateViewLast = 1009;

// Ids in menus with no handler anywhere: Delete City, Show floating legend,
// Send test alert message.
inline constexpr int kCmDeleteCityItem = 365;
inline constexpr int kCmFloatingLegendItem = 40038;
inline constexpr int kCmTestAlertItem = 40049;
inline constexpr int kCmCancelTimeout = 1050;  // to the welcome window

// The handler's name for a frame command id; "" when the frame has none.
const char* CommandName(int id);

