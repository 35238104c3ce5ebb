#include <gtest/gtest.h>

#include <limits>

#include "GpsText.h"
#include "TraceRecord.h"

using namespace fl;

TEST(GpsText, PositionFormats) {
    struct Case {
        double nmea;
        char hemisphere;
        int format;
        bool longitude;
        const char* text;
    };
    const Case cases[] = {
        {4807.038, 'N', 0, false, "48\xB0 7.0380' N"},
        {1131.000, 'E', 0, true, "011\xB0 31.0000' E"},
        {4807.038, 'N', 1, false, "48\xB0 7' 2.2800'' N"},
        {1131.500, 'W', 1, true, "011\xB0 31' 30.0000'' W"},
        {4807.038, 'S', 2, false, "-48.1173\xB0"},
        {4807.038, 'N', 2, false, "+48.1173\xB0"},
        {1131.000, 'W', 2, true, "-11.5167\xB0"},
        {1131.000, 'E', 2, true, "+11.5167\xB0"},
        {0.0, '_', 0, false, "00\xB0 0.0000' _"},
    };
    for (const auto& c : cases) {
        std::string t = c.longitude ? FormatGpsLongitude(c.nmea, c.hemisphere, c.format)
                                    : FormatGpsLatitude(c.nmea, c.hemisphere, c.format);
        EXPECT_EQ(t, c.text) << c.nmea << " " << c.format;
    }
}

TEST(GpsText, SpeedAndAltitude) {
    EXPECT_EQ(FormatGpsSpeed(22.4, 0), "41.5 KPH");
    EXPECT_EQ(FormatGpsSpeed(22.4, 1), "25.8 MPH");
    EXPECT_EQ(FormatGpsSpeed(22.4, 2), "22.4 KTS");
    EXPECT_EQ(FormatGpsAltitude(0.0, 0), "0.0 M");
    EXPECT_EQ(FormatGpsAltitude(100.0, 1), "328.1 FT");
}

TEST(GpsText, RecordPositionUsesSelectionsAndSigns) {
    TraceRecord r;
    r.m_dGpsLatitude = -33.8568;
    r.m_dGpsLongitude = -151.2153;
    r.m_dGpsAltitude = 100.0;
    EXPECT_EQ(RecordLatitudeText(r), "33\xB0 51.4080' S");  // selection -1 shows the first format
    r.m_nGpsSel1 = 2;
    r.m_nGpsSel2 = 1;
    EXPECT_EQ(RecordLatitudeText(r), "-33.8568\xB0");
    EXPECT_EQ(RecordLongitudeText(r), "-151.2153\xB0");
    EXPECT_EQ(RecordAltitudeText(r), "328.1 ft");
    EXPECT_NEAR(NmeaToDegrees(DegreesToNmea(-33.8568), 'S'), -33.8568, 1e-12);
}

TEST(GpsText, AbsurdPositionsFormatWithoutOverflow) {
    TraceRecord r;
    for (double v : {4.3e25, -1e300, std::numeric_limits<double>::quiet_NaN(),
                     std::numeric_limits<double>::infinity()}) {
        r.m_dGpsLatitude = r.m_dGpsLongitude = r.m_dGpsAltitude = v;
        for (int format : {0, 1, 2, 7}) {
            r.m_nGpsSel1 = format;
            EXPECT_FALSE(RecordLatitudeText(r).empty());
            EXPECT_FALSE(RecordLongitudeText(r).empty());
        }
        EXPECT_FALSE(RecordAltitudeText(r).empty());
    }
}
