#include <gtest/gtest.h>
#include "Text.h"

#include <chrono>
#include <thread>

#include "CMyQuarnDoc.h"
#include "GpsReceiver.h"
#include "GpsText.h"
#include "NmeaSource.h"
#include "TraceLineParser.h"

using namespace fl;
using Clock = std::chrono::steady_clock;

TEST(Gps, TheExampleSentence) {
    const std::string rmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";
    ASSERT_TRUE(AcceptSentence(rmc));
    GpsFix fix;
    ApplyLine(rmc + "\r\n", fix);
    EXPECT_EQ(GpsStatusCaption(GpsStatusText(fix.status)), "Data OK");
    EXPECT_EQ(GpsTimeText(fix.utcTime), "12:35:19");
    EXPECT_EQ(GpsDateText(fix.date), "23.03.2094");
    EXPECT_EQ(FormatGpsLatitude(fix.latitude, fix.latHemisphere, 0), "48\xB0 7.0380' N");
    EXPECT_EQ(FormatGpsSpeed(fix.speedKnots, 0), "41.5 KPH");
    EXPECT_DOUBLE_EQ(fix.magneticVariation, 3.1);
    // The same sentence with its checksum digits changed is ignored.
    GpsFix untouched;
    ApplyLine("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6B", untouched);
    EXPECT_EQ(untouched.status, 'X');
    EXPECT_EQ(untouched.utcTime, "--:--:--");
}

TEST(Gps, RealReceiverLines) {
    struct Case {
        std::string body;
        bool rmc;
        std::function<void(const GpsFix&)> check;
    };
    const Case cases[] = {
        {"GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,,M,46.9,M,,", false,
         [](const GpsFix& f) {
             EXPECT_EQ(FormatGpsAltitude(f.altitude, 0), "0.0 M");
             EXPECT_EQ(f.satellites, 8);
             EXPECT_DOUBLE_EQ(f.hdop, 0.9);
         }},
        {"GPRMC,081836,V,3751.65,S,14507.36,W,000.0,360.0,130998,011.3,E", true,
         [](const GpsFix& f) {
             EXPECT_EQ(GpsStatusText(f.status), "WARNing");
             EXPECT_EQ(FormatGpsLatitude(f.latitude, f.latHemisphere, 2), "-37.8608\xB0");
             EXPECT_EQ(FormatGpsLongitude(f.longitude, f.lonHemisphere, 2), "-145.1227\xB0");
             EXPECT_EQ(FormatGpsLatitude(f.latitude, f.latHemisphere, 1), "37\xB0 51' 39.0000'' S");
         }},
        {"GPRMC,,V,,,,,,,,,N", true,
         [](const GpsFix& f) {
             EXPECT_EQ(f.status, 'V');
             EXPECT_EQ(f.latitude, 0.0);
             EXPECT_EQ(f.date, "");
         }},
        // Truncated: fields before the missing comma are taken.
        {"GPGGA,101010,5230.000,N,01324.000,E,1,05", false,
         [](const GpsFix& f) {
             EXPECT_EQ(f.quality, 1);
             EXPECT_EQ(f.satellites, 0);  // its comma is missing
             EXPECT_DOUBLE_EQ(f.latitude, 5230.0);
         }},
    };
    for (const auto& c : cases) {
        GpsFix fix;
        const std::string line = sim::NmeaSource::WithChecksum(c.body);
        ASSERT_TRUE(AcceptSentence(line)) << line;
        ApplyLine("noise " + line + "\r\n", fix);
        c.check(fix);
    }
    // Survey receivers go past NMEA's 82 characters (eight decimals): taken up to the 200-character
    // buffer, refused beyond it.
    const std::string survey = sim::NmeaSource::WithChecksum(
        "GPGGA,123519.00,4807.03812345,N,01131.00012345,E,4,12,0.6,545.4321,M,46.9000,M,1.0,0000");
    EXPECT_GT(survey.size(), 82u);
    GpsFix precise;
    ASSERT_TRUE(ApplyLine(survey + "\r\n", precise)) << survey.size();
    EXPECT_DOUBLE_EQ(precise.latitude, 4807.03812345);
    EXPECT_DOUBLE_EQ(precise.altitude, 545.4321);
    for (size_t length : {200u, 201u}) {
        std::string body = "GPRMC,";
        body += std::string(length - body.size() - 4, '1');  // "$" and "*hh" make up the rest
        const std::string s = sim::NmeaSource::WithChecksum(body);
        ASSERT_EQ(s.size(), length);
        EXPECT_EQ(AcceptSentence(s), length <= 200) << length;
    }
    EXPECT_FALSE(AcceptSentence("$GPRMC,1,A"));
    EXPECT_FALSE(AcceptSentence("$GPRMC,1,A*"));
    EXPECT_EQ(GpsBaudRate(5), 4800);
    EXPECT_EQ(GpsBaudRate(0), 57600);
    EXPECT_EQ(GpsBaudRate(42), 4800);
}

TEST(Gps, ReceiverReadsTheSimulatorAndFeedsTakeOver) {
    sim::NmeaSource source;
    const std::string slave = source.Start({}, 50);
    GpsReceiver gps;
    gps.skipSettleDelay = true;
    std::string error;
    ASSERT_TRUE(gps.Start(0, 4800, &error, slave)) << error;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    // RMC brings the status, the GGA line after it the satellites.
    while ((gps.StatusText() != "OK" || gps.Fix().satellites == 0) && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(gps.StatusText(), "OK");
    const GpsFix fix = gps.Fix();
    EXPECT_EQ(fix.satellites, 8);
    EXPECT_DOUBLE_EQ(fix.altitude, 545.4);
    // A trace taken over while the receiver runs carries its position.
    DocEnvironment env;
    env.gps = &gps;
    env.useGps = true;
    ParseRecord rec;
    TraceLineParser p(rec);
    p.ResetDefaults();
    p.Finish();
    CMyQuarnDoc doc;
    doc.OnNewDocument(rec, env);
    EXPECT_EQ(doc.m_strGpsQuality, "OK");
    EXPECT_NEAR(doc.m_dGpsLatitude, 48.117, 0.01);
    EXPECT_EQ(doc.m_strGpsSpeedUnit, "KPH");
    // Bad checksums leave the fix as it was.
    source.SetFault(sim::NmeaFault::BadChecksum);
    // Stop ends the worker at once, even while it waits for a line.
    auto t0 = Clock::now();
    gps.Stop();
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(500));
    EXPECT_EQ(gps.StatusText(), "FAIL");
    EXPECT_FALSE(gps.CurrentFix().has_value());
}

TEST(Gps, PortFailureGivesTheTransportMessage) {
    GpsReceiver gps;
    std::string error;
    EXPECT_FALSE(gps.Start(0, 4800, &error, "/nonexistent/gps"));
    EXPECT_EQ(error, "Can't open port.\n ERROR #2");
    EXPECT_FALSE(gps.Running());
}

TEST(Gps, CombinedTalkerAndPlaceholders) {
    // Most current modules speak as "$GN": read like "$GP".
    auto withChecksum = [](const std::string& body) {
        unsigned char x = 0;
        for (char c : body)
            x ^= static_cast<unsigned char>(c);
        return "$" + body + Format("*%02X", x);
    };
    GpsFix fix;
    EXPECT_EQ(GpsDateText(fix.date), "--.--.----");  // before the first fix
    EXPECT_EQ(GpsTimeText(fix.utcTime), "--:--:--");
    EXPECT_TRUE(
        ApplyLine(withChecksum("GNRMC,101500,A,4807.038,N,01131.000,E,0.5,84.4,091226,,") + "\r\n", fix));
    EXPECT_EQ(fix.status, 'A');
    EXPECT_EQ(GpsDateText(fix.date), "09.12.2026");
    EXPECT_EQ(GpsTimeText(fix.utcTime), "10:15:00");
    EXPECT_TRUE(
        ApplyLine(withChecksum("GNGGA,101501,4807.038,N,01131.000,E,1,09,0.8,512.0,M,46.9,M,,"), fix));
    EXPECT_EQ(fix.satellites, 9);
    EXPECT_DOUBLE_EQ(fix.altitude, 512.0);
    // A wrong checksum is no accepted sentence.
    EXPECT_FALSE(ApplyLine("$GNGGA,101502,4807.038,N,01131.000,E,1,05,0.8,1.0,M,46.9,M,,*00", fix));
    EXPECT_EQ(fix.satellites, 9);
}

TEST(Gps, AFixGoesStaleWhenTheReceiverFallsSilent) {
    sim::NmeaSource source;
    const std::string slave = source.Start({}, 50);
    GpsReceiver gps;
    gps.skipSettleDelay = true;
    gps.staleAfter = std::chrono::milliseconds(400);
    ASSERT_TRUE(gps.Start(0, 4800, nullptr, slave));
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (gps.StatusText() != "OK" && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(gps.StatusText(), "OK");
    ASSERT_TRUE(gps.CurrentFix().has_value());
    source.Stop();  // the receiver falls silent
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    EXPECT_EQ(gps.StatusText(), "FAIL");
    EXPECT_EQ(GpsStatusCaption(gps.StatusText()), "No valid data");
    EXPECT_FALSE(gps.CurrentFix().has_value());  // a trace taken now carries no old position
    gps.Stop();
}

TEST(Gps, OneFixPerEpochOnceItsSentencesAreIn) {
    // (sentence type, its time) in arrival order -> the times of the epochs completed at that sentence.
    struct Step {
        const char* type;
        const char* time;
        const char* completes;  // "" none
    };
    const Step steps[] = {
        {"RMC", "120000", ""},       {"GGA", "120000", "120000"},  // both in: done
        {"GGA", "120001", ""},       {"RMC", "120001", "120001"},  // either order
        {"RMC", "120002", ""},       {"RMC", "120003", "120002"},  // GGA never came: the next epoch ends it
        {"GGA", "120003", "120003"}, {"GGA", "120003", ""},        // a repeat adds nothing
    };
    GpsEpochs epochs;
    GpsFix fix;
    for (const auto& s : steps) {
        const GpsFix before = fix;
        fix.utcTime = s.time;
        const auto done = epochs.Sentence(s.type, before, fix);
        EXPECT_EQ(done ? done->utcTime : std::string(), s.completes) << s.type << " " << s.time;
    }
}
