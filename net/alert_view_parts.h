#pragma once
// What the alert view's file writers and its builder share.
#include <string>
#include <vector>

namespace alert_view_parts {

// The ".caf" that the last annotation step wrote; empty when it wrote none.
extern std::string sCafWritten;

double ClampLatitude(double lat);
// Into (-180, 180].
double WrapLongitude(double lon);
// Every byte out and the file closed; a failed file is removed, not left half written.
bool WriteTextFile(const std::string& name, const std::vector<std::string>& lines);

}  // namespace alert_view_parts
