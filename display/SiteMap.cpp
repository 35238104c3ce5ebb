#include "SiteMap.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "Text.h"
#include "Units.h"

namespace fl {

namespace {

std::string XmlEscaped(const std::string& cp1252) {
    std::string out;
    for (char c : Cp1252ToUtf8(cp1252)) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                // Control characters other than tab and line feed are not allowed in XML 1.0.
                if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') break;
                out += c;
        }
    }
    return out;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string VerdictText(const TraceSummary& s) {
    if (s.verdict.empty()) return s.limitSet.empty() ? "no limits" : "no verdict";
    return s.failCount > 0 ? Format("%s (%d fails)", s.verdict.c_str(), s.failCount) : s.verdict;
}

}  // namespace

MapFormat MapFormatFromName(const std::string& path) {
    std::string ext = path.substr(std::min(path.size(), path.find_last_of('.')));
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".kml") return MapFormat::Kml;
    if (ext == ".geojson" || ext == ".json") return MapFormat::GeoJson;
    return MapFormat::Unknown;
}

std::string KmlDocument(const std::vector<TraceSummary>& traces, const std::string& title) {
    std::string k =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n";
    k += "  <name>" + XmlEscaped(title) + "</name>\n";
    // KML colours are aabbggrr.
    const std::pair<const char*, const char*> styles[] = {
        {"pass", "ff00c000"}, {"fail", "ff0000ff"}, {"nolimit", "ffffffff"}};
    for (const auto& [id, colour] : styles)
        k += Format(
            "  <Style id=\"%s\"><IconStyle><color>%s</color><Icon><href>"
            "http://maps.google.com/mapfiles/kml/paddle/wht-blank.png</href></Icon></IconStyle>"
            "<LabelStyle><scale>0.8</scale></LabelStyle></Style>\n",
            id, colour);
    for (const TraceSummary& s : traces) {
        if (!s.readable || !s.position) continue;
        const SitePosition& p = *s.position;
        const char* style = s.verdict == "PASS" ? "pass" : s.verdict == "FAIL" ? "fail" : "nolimit";
        k += "  <Placemark>\n    <name>" + XmlEscaped(s.traceName) + "</name>\n";
        std::string description = s.mode + "\n" + s.dateTime + "\n" + s.result + "\n" + s.xRange + "\n" +
                                  (s.limitSet.empty() ? std::string() : s.limitSet + ": ") + VerdictText(s) +
                                  "\n" + BaseName(s.file);
        k += "    <description>" + XmlEscaped(description) + "</description>\n";
        k += Format("    <styleUrl>#%s</styleUrl>\n", style);
        k += "    <ExtendedData>\n";
        const std::pair<const char*, std::string> data[] = {{"file", s.file},
                                                            {"mode", s.mode},
                                                            {"date", s.dateTime},
                                                            {"result", s.result},
                                                            {"limits", s.limitSet},
                                                            {"verdict", s.verdict},
                                                            {"failCount", Format("%d", s.failCount)},
                                                            {"altitude_m", Format("%.1f", p.altitudeMetres)}};
        for (const auto& [name, value] : data)
            k += Format("      <Data name=\"%s\"><value>", name) + XmlEscaped(value) + "</value></Data>\n";
        k += "    </ExtendedData>\n";
        // Longitude first, then latitude and altitude.
        k += Format(
            "    <Point><altitudeMode>absolute</altitudeMode><coordinates>%.6f,%.6f,%.1f</coordinates>"
            "</Point>\n",
            p.longitude, p.latitude, p.altitudeMetres);
        k += "  </Placemark>\n";
    }
    k += "</Document>\n</kml>\n";
    return k;
}

std::string GeoJsonDocument(const std::vector<TraceSummary>& traces) {
    nlohmann::ordered_json features = nlohmann::ordered_json::array();
    for (const TraceSummary& s : traces) {
        if (!s.readable || !s.position) continue;
        const SitePosition& p = *s.position;
        nlohmann::ordered_json f;
        f["type"] = "Feature";
        // RFC 7946: longitude, latitude, then the altitude in metres.
        f["geometry"] = {
            {"type", "Point"},
            {"coordinates", {RoundTo(p.longitude, 6), RoundTo(p.latitude, 6), RoundTo(p.altitudeMetres, 1)}}};
        f["properties"] = {
            {"name", Cp1252ToUtf8(s.traceName)},  {"file", Cp1252ToUtf8(s.file)},
            {"mode", Cp1252ToUtf8(s.mode)},       {"date", s.dateTime},
            {"result", Cp1252ToUtf8(s.result)},   {"xRange", Cp1252ToUtf8(s.xRange)},
            {"limits", Cp1252ToUtf8(s.limitSet)}, {"verdict", s.verdict},
            {"failCount", s.failCount},           {"altitude_m", RoundTo(p.altitudeMetres, 1)}};
        features.push_back(std::move(f));
    }
    nlohmann::ordered_json doc;
    doc["type"] = "FeatureCollection";
    doc["features"] = std::move(features);
    // Invalid bytes are replaced rather than thrown at.
    return doc.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace fl
