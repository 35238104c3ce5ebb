// Text forms of GPS positions, speeds and altitudes, shared by the GPS window, the GPS panel and reports.
#pragma once

#include <string>

namespace fl {

struct TraceRecord;

enum GpsPositionFormat { GPS_DEG_MIN = 0, GPS_DEG_MIN_SEC = 1, GPS_DEG_DECIMAL = 2 };

// `nmea` is the NMEA value (ddmm.mmmm or dddmm.mmmm), `hemisphere` its N/S or E/W letter.
std::string FormatGpsLatitude(double nmea, char hemisphere, int format);
std::string FormatGpsLongitude(double nmea, char hemisphere, int format);
// speed unit: 0 KPH, 1 MPH, 2 KTS; altitude unit: 0 metres ("M"), 1 feet ("FT").
std::string FormatGpsSpeed(double knots, int unit);
std::string FormatGpsAltitude(double metres, int unit);
// The caption of a receiver status ("OK", "WARNing", anything else): "Data OK", "Receiver warning",
// "No valid data".
std::string GpsStatusCaption(const std::string& statusText);
std::string GpsSpeedUnitText(int unit);
std::string GpsAltitudeUnitText(int unit);

// Signed decimal degrees (south and west negative) to the NMEA value and hemisphere letter, and back.
double DegreesToNmea(double degrees);
double NmeaToDegrees(double nmea, char hemisphere);

// The record's position and altitude as the GPS panel and the ASCII report show them, using the
// record's display selections (m_nGpsSel1 position format, m_nGpsSel2 altitude unit).
std::string RecordLatitudeText(const TraceRecord& rec);
std::string RecordLongitudeText(const TraceRecord& rec);
std::string RecordAltitudeText(const TraceRecord& rec);

}  // namespace fl
