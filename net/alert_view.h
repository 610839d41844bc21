#pragma once
// Alert views: a view made for one earthquake, with a map box around it and
// its nearest place, a short period ending with it, the event circled and the
// place labelled in annotation files, and the event stored beside the view.
// The alert processor builds one for a reported alert, the catalogue editor
// for a chosen record; the two differ only as AlertViewKind says.
#include <optional>
#include <string>

#include "core/polygon.h"
#include "core/quake_record.h"
#include "net/alert_view_files.h"

class childMap;

// The view settings of the alert view, its ".hyp", "Alert_View_Filename.txt",
// region labels and view file. The ".caf" is named only when the annotation
// step before it wrote that very file.
void ApplyAlertView(childMap& pane, AlertViewKind kind, const QuakeRecord& q, const std::string& viewName,
                    std::optional<GeoPoint> place);

// The catalogue editor's alert view of a record: built, highlighted, and the
// panel's zoom and stop buttons shown.
void BuildAlertView(childMap& pane, const QuakeRecord& record);

