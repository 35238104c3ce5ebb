#include "GpsText.h"

#include <cmath>

#include "Text.h"
#include "TraceRecord.h"

namespace fl {

namespace {

constexpr double kFeetPerMetre = 3.280839895013123;

std::string FormatPosition(double nmea, char hemisphere, int format, bool longitude, char negative) {
    double v = std::fabs(nmea) / 100.0;
    double degrees = std::trunc(v);
    double minutes = (v - degrees) * 100.0;
    int deg = ClampToInt(degrees);
    switch (format) {
        case GPS_DEG_MIN_SEC: {
            double whole = std::trunc(minutes);
            double seconds = (minutes - whole) * 60.0;
            return longitude ? Format("%03d\260 %.0f' %.4f'' %c", deg, whole, seconds, hemisphere)
                             : Format("%.02d\260 %.0f' %.4f'' %c", deg, whole, seconds, hemisphere);
        }
        case GPS_DEG_DECIMAL:
            return Format("%c%.4f\260", hemisphere == negative ? '-' : '+', degrees + minutes / 60.0);
        default:
            return longitude ? Format("%03d\260 %.4f' %c", deg, minutes, hemisphere)
                             : Format("%02d\260 %.4f' %c", deg, minutes, hemisphere);
    }
}

}  // namespace

std::string FormatGpsLatitude(double nmea, char hemisphere, int format) {
    return FormatPosition(nmea, hemisphere, format, false, 'S');
}

// West is shown negative in decimal degrees, the usual sign convention.
std::string FormatGpsLongitude(double nmea, char hemisphere, int format) {
    return FormatPosition(nmea, hemisphere, format, true, 'W');
}

std::string GpsSpeedUnitText(int unit) {
    return unit == 1 ? "MPH" : unit == 2 ? "KTS" : "KPH";
}
std::string GpsStatusCaption(const std::string& t) {
    return t == "OK" ? "Data OK" : t == "WARNing" ? "Receiver warning" : "No valid data";
}

std::string GpsAltitudeUnitText(int unit) {
    return unit == 1 ? "FT" : "M";
}

std::string FormatGpsSpeed(double knots, int unit) {
    double v = unit == 1 ? knots * 1.150329 : unit == 2 ? knots : knots * 1.852014;
    return Format("%.1f %s", v, GpsSpeedUnitText(unit).c_str());
}

std::string FormatGpsAltitude(double metres, int unit) {
    double v = unit == 1 ? metres * kFeetPerMetre : metres;
    return Format("%.1f %s", v, GpsAltitudeUnitText(unit).c_str());
}

double DegreesToNmea(double degrees) {
    double a = std::fabs(degrees);
    double whole = std::trunc(a);
    return whole * 100.0 + (a - whole) * 60.0;
}

double NmeaToDegrees(double nmea, char hemisphere) {
    double v = std::fabs(nmea) / 100.0;
    double whole = std::trunc(v);
    double deg = whole + (v - whole) * 100.0 / 60.0;
    return (hemisphere == 'S' || hemisphere == 'W') ? -deg : deg;
}

std::string RecordLatitudeText(const TraceRecord& r) {
    return FormatGpsLatitude(DegreesToNmea(r.m_dGpsLatitude), r.m_dGpsLatitude < 0 ? 'S' : 'N',
                             r.m_nGpsSel1 < 0 ? 0 : r.m_nGpsSel1);
}

std::string RecordLongitudeText(const TraceRecord& r) {
    return FormatGpsLongitude(DegreesToNmea(r.m_dGpsLongitude), r.m_dGpsLongitude < 0 ? 'W' : 'E',
                              r.m_nGpsSel1 < 0 ? 0 : r.m_nGpsSel1);
}

std::string RecordAltitudeText(const TraceRecord& r) {
    const bool feet = r.m_strGpsAltitudeUnit == "FEET" || r.m_strGpsAltitudeUnit == "FT";
    double metres = feet ? r.m_dGpsAltitude / kFeetPerMetre : r.m_dGpsAltitude;
    // On the page and in the report the altitude carries the length unit texts, "m" and "ft".
    const bool inFeet = r.m_nGpsSel2 == 1;
    return Format("%.1f %s", inFeet ? metres * kFeetPerMetre : metres, inFeet ? "ft" : "m");
}

}  // namespace fl
