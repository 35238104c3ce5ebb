// Where the traces were taken: KML (Google Earth, Marble) and GeoJSON (RFC 7946) from trace summaries.
// Texts go out in UTF-8; summaries without a valid position are left out.
#pragma once

#include <string>
#include <vector>

#include "TraceSummary.h"

namespace fl {

enum class MapFormat { Kml, GeoJson, Unknown };
// By extension, case-insensitively: .kml, .geojson or .json.
MapFormat MapFormatFromName(const std::string& path);

std::string KmlDocument(const std::vector<TraceSummary>& traces, const std::string& title);
std::string GeoJsonDocument(const std::vector<TraceSummary>& traces);

}  // namespace fl
