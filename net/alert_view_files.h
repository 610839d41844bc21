#pragma once
// The alert view's box, name and annotation files, apart from the view and
// the pane it is built on: readers that only name and write link no window layer.
#include <optional>
#include <string>
#include <string_view>

#include "core/places.h"
#include "core/polygon.h"
#include "core/quake_record.h"
#include "core/timevalue.h"
#include "net/alert_events.h"

// What the alert view's annotation needs of a reported alert.
struct AlertAnnotation {
    const QuakeRecord* quake = nullptr;
    bool cityAlert = false;   // a city met a criterion: city is the alert's place
    bool plantAlert = false;  // a plant met one: the plant is marked too
    NearestPlace city;
    PlaceRecord plant;        // name, latitude, longitude, operating
    std::string closestCity;  // left by FindClosestCity; empty when none
    double closestLatitude = 0, closestLongitude = 0;
    std::string viewPlace;    // city name, else plant name, made FileSafeName
};

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
