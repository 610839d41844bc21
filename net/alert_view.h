#pragma once
// Alert views: a view made for one earthquake, with a map box around it and
// its nearest place, a short period ending with it, the event circled and the
// place labelled in annotation files, and the event stored beside the view.
// The alert processor builds one for a reported alert, the catalogue editor
// for a chosen record; the two differ only as AlertViewKind says.
#include <optional>
#include <string>
#include <string_view>

#include "core/polygon.h"
#include "core/quake_record.h"
#include "core/timevalue.h"

class childMap;
struct AlertAnnotation;

enum class AlertViewKind { kProcessor, kBuilder };

// The map box in degrees, and the half-height that the labels are spread by.
struct AlertViewBox {
    double north = 0, south = 0, east = 0, west = 0;
    double halfHeight = 0;
};
// The box around (lat, lon) for a pane of width x height pixels, widened to
// hold place when one is given. Longitudes wrap across 180 degrees, the box
// never spans 360 degrees, and latitudes stay off the poles.
AlertViewBox AlertBoxFor(AlertViewKind kind, double lat, double lon, int width, int height,
                         std::optional<GeoPoint> place);

// "YYYY-MM-DD-HH place" of the event's UTC time, or without a place; the
// place is made fit for a file name.
std::string AlertViewName(const QuakeRecord& q, std::string_view place);

// The same day a month earlier, and a date moved to another year; a day the
// month does not have becomes its last.
PackedDate MonthEarlier(PackedDate date);
PackedDate InYear(PackedDate date, int year);

// The processor's ".caf" (and a plant alert's ".npp.txt"); the view name.
std::string WriteAlertAnnotation(const AlertAnnotation& note);
// The builder's ".caf" of the closest city, when one was found; the view name.
std::string WriteBuilderAnnotation(const QuakeRecord& q, const std::string* closestCity, GeoPoint closestAt);

// The view settings of the alert view, its ".hyp", "Alert_View_Filename.txt",
// region labels and view file. The ".caf" is named only when the annotation
// step before it wrote that very file.
void ApplyAlertView(childMap& pane, AlertViewKind kind, const QuakeRecord& q, const std::string& viewName,
                    std::optional<GeoPoint> place);

// The catalogue editor's alert view of a record: built, highlighted, and the
// panel's zoom and stop buttons shown.
void BuildAlertView(childMap& pane, const QuakeRecord& record);

