// Survey reports, site maps, spreadsheets and trace comparison: the texts, positions, values and pixels
// they give, worked out by hand from the settings of small hand-made traces.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "CMyQuarnDoc.h"
#include "GpsReceiver.h"
#include "HandSpectrum.h"
#include "PageRenderer.h"
#include "SiteMap.h"
#include "SurveyReport.h"
#include "TestUtil.h"
#include "Text.h"
#include "TraceCompare.h"
#include "TraceCsv.h"
#include "TraceSummary.h"
#include "tracedata/ParseHelpers.h"

namespace fl {
namespace {

// A spectrum trace from 999.5 to 1000.5 MHz (2 kHz per point) at -80 dBm with one peak of -20 dBm at
// point 400 (1000.3 MHz); reference 0 dBm, 10 dB per division.
CMyQuarnDoc Spectrum(const std::string& unit = "DBM") {
    CMyQuarnDoc d = test::HandSpectrum(-80, unit);
    d.m_strTraceName = "SITE1";
    d.m_bShowTraceB = 0;
    d.m_strLimitSimple = "OFF";
    d.m_strLimitState = "OFF";
    d.RunPostReadSteps();
    d.m_arrTraceA[800] = d.m_arrTraceA[801] = -20;
    d.SetTitle("SITE1.qtr");
    return d;
}

void Flat(CMyQuarnDoc& d, double level) {
    std::fill(d.m_arrTraceA.begin(), d.m_arrTraceA.end(), level);
}

TEST(Survey, HeadlineResultOfEachMode) {
    struct Case {
        const char* what;
        std::function<void(CMyQuarnDoc&)> set;
        std::string expected;
    };
    const Case cases[] = {
        {"spectrum peak", [](CMyQuarnDoc&) {}, "Peak -20.0 dBm at 1.000300 GHz"},
        {"peak in dBuV: -20 dBm + 106.9897",
         [](CMyQuarnDoc& d) {
             d.m_strRefLevelUnit = "DBUV";
             d.RunPostReadSteps();
         },
         "Peak 87.0 dB\xB5V at 1.000300 GHz"},
        {"zero span: point 250 of 100 ms",
         [](CMyQuarnDoc& d) {
             d.m_dSpan = 0;
             d.m_arrTraceA[800] = d.m_arrTraceA[801] = -80;
             d.m_arrTraceA[500] = d.m_arrTraceA[501] = -30;
         },
         "Peak -30.0 dBm at 50.00 ms"},
        {"DTF: point 480 of 50 m",
         [](CMyQuarnDoc& d) {
             d.m_strMode = "DTF";
             d.m_dCableLength = 50;
             d.m_strCableLengthUnit = "METer";
             d.m_strDtfRefUnit = "DB";
             d.RunPostReadSteps();
             Flat(d, -40);
             d.m_arrTraceA[960] = d.m_arrTraceA[961] = -9.1;
         },
         "DTF peak -9.1 dB at 48.00 m"},
        {"channel power",
         [](CMyQuarnDoc& d) {
             d.m_strMode = "CPOWer";
             d.m_strCpowerMeasure = "CPOWer";
             d.m_dResultCpower = -21.4;
         },
         "Channel Power -21.4 dBm"},
        {"ACPR",
         [](CMyQuarnDoc& d) {
             d.m_strMode = "CPOWer";
             d.m_strCpowerMeasure = "ACPR";
             d.m_dResultAcprMain = -21.4;
             d.m_dResultAcprLower = -45.2;
             d.m_dResultAcprUpper = -46.8;
         },
         "ACPR main -21.4 dBm, left -45.2 dB, right -46.8 dB"},
        {"occupied bandwidth",
         [](CMyQuarnDoc& d) {
             d.m_strMeasure = "OBW";
             d.m_nObwPercent = 99;
             d.m_dResultObw = 246000;
         },
         "OBW 99 %: 246.000 kHz"},
        {"no channel power measured",
         [](CMyQuarnDoc& d) {
             d.m_strMode = "CPOWer";
             d.m_strCpowerMeasure = "CPOWer";
             d.m_dResultCpower = kNoResult;
         },
         "Channel Power: N/A"},
        {"cable loss",
         [](CMyQuarnDoc& d) {
             d.m_strMode = "CLOSs";
             d.m_dResultCableLoss = 3.4;
         },
         "Average Cable Loss 3.4 dB"},
        {"a trace without points", [](CMyQuarnDoc& d) { Flat(d, kNoPoint); }, ""},
    };
    for (const Case& c : cases) {
        CMyQuarnDoc d = Spectrum();
        c.set(d);
        EXPECT_EQ(HeadlineResult(d), c.expected) << c.what;
    }
}

TEST(Survey, LimitVerdictAndSet) {
    struct Case {
        const char *simple, *state, *file, *result;
        int count;
        const char *set, *verdict;
        int shownCount;
    };
    const Case cases[] = {
        {"ON", "UPPer", "", "PASS", 0, "Simple limits", "PASS", 0},
        // A verdict only as the instrument reported it: "NA" is none.
        {"ON", "UPPLow", "", "NA", 0, "Simple limits", "", 0},
        {"OFF", "ON", "GSM_MASK", "NA", 0, "GSM_MASK", "", 0},
        // Simple limits with the state OFF are not drawn, so nothing is judged by them.
        {"ON", "OFF", "", "FAIL", 2, "", "", 0},
        {"OFF", "ON", "GSM_MASK", "FAIL", 2, "GSM_MASK", "FAIL", 2},
        {"OFF", "ON", "GSM_MASK", "PASS", 0, "GSM_MASK", "PASS", 0},
        {"OFF", "ON", "", "FAIL", 3, "not loaded", "", 3},
        {"OFF", "OFF", "GSM_MASK", "FAIL", 3, "", "", 0},
    };
    for (const Case& c : cases) {
        CMyQuarnDoc d = Spectrum();
        d.m_strLimitSimple = c.simple;
        d.m_strLimitState = c.state;
        d.m_strLimitFile = c.file;
        d.m_strTraceDataLimit = c.result;
        d.m_nLimitFailCount = c.count;
        const TraceSummary s = Summarise(d, "x.qtr");
        EXPECT_EQ(s.limitSet, c.set) << c.simple << c.state << c.file;
        EXPECT_EQ(s.verdict, c.verdict) << c.simple << c.state << c.file << c.result;
        EXPECT_EQ(s.failCount, c.shownCount) << c.simple << c.state << c.file;
    }
}

// The positions of four sites, one in each quarter of the globe, in signed degrees and as a receiver
// sends them (ddmm.mmm and a hemisphere letter), worked out by hand: 33 deg 51.408' = 33.8568 deg.
struct Site {
    const char* name;
    double lat, lon;
    const char *nmeaLat, *ns, *nmeaLon, *ew;
};
const Site kSites[] = {
    {"MUNICH", 48.1173, 11.516667, "4807.038", "N", "01131.000", "E"},
    {"SYDNEY", -33.8568, 151.2153, "3351.408", "S", "15112.918", "E"},
    {"NEWYORK", 40.6892, -74.0445, "4041.352", "N", "07402.670", "W"},
    {"RIO", -22.9519, -43.2105, "2257.114", "S", "04312.630", "W"},
};

CMyQuarnDoc FromTraceText(const Site& s, const char* altitude, const char* unit, const char* quality = "OK") {
    const ParseRecord rec = test::ParseLines(
        {"# TRACE " + std::string(s.name), "INSTrument:SELect SANalyzer",
         std::string("INSTrument:GPS:QUALity ") + quality, Format("INSTrument:GPS:LATitude %.6f", s.lat),
         Format("INSTrument:GPS:LONGitude %.6f", s.lon), std::string("INSTrument:GPS:ALTitude ") + altitude,
         std::string("INSTrument:GPS:ALTitude:UNIT ") + unit});
    DocEnvironment env;
    CMyQuarnDoc d;
    d.OnNewDocument(rec, env);
    d.m_strTraceName = s.name;
    return d;
}

std::string Sentence(const std::string& body) {
    unsigned x = 0;
    for (unsigned char c : body)
        x ^= c;
    char sum[3];
    std::snprintf(sum, sizeof sum, "%02X", x);
    return "$" + body + "*" + sum;
}

class FixedFix : public IGpsFixProvider {
  public:
    explicit FixedFix(GpsFixValues v) : m_v(std::move(v)) {}
    std::optional<GpsFixValues> CurrentFix() const override { return m_v; }

  private:
    GpsFixValues m_v;
};

// A trace taken over while a receiver delivers the site's RMC and GGA sentences (altitude in feet when
// the receiver is set to show feet).
CMyQuarnDoc FromReceiver(const Site& s, int altitudeUnit) {
    GpsFix fix;
    EXPECT_TRUE(ApplyLine(Sentence(Format("GPRMC,123519,A,%s,%s,%s,%s,000.0,000.0,091226,000.0,E", s.nmeaLat,
                                          s.ns, s.nmeaLon, s.ew)),
                          fix));
    EXPECT_TRUE(ApplyLine(Sentence(Format("GPGGA,123519,%s,%s,%s,%s,1,08,0.9,100.0,M,46.9,M,,", s.nmeaLat,
                                          s.ns, s.nmeaLon, s.ew)),
                          fix));
    const FixedFix provider(FixValues(fix, 0, altitudeUnit));
    DocEnvironment env;
    env.gps = &provider;
    env.useGps = true;
    const ParseRecord rec = test::ParseLines({"# TRACE X", "INSTrument:SELect SANalyzer"});
    CMyQuarnDoc d;
    d.OnNewDocument(rec, env);
    d.m_strTraceName = s.name;
    return d;
}

TEST(Survey, PositionsInAllFourHemispheres) {
    for (const Site& s : kSites) {
        const auto text = ValidPosition(FromTraceText(s, "545.4", "METer"));
        ASSERT_TRUE(text) << s.name;
        EXPECT_NEAR(text->latitude, s.lat, 1e-6) << s.name;
        EXPECT_NEAR(text->longitude, s.lon, 1e-6) << s.name;
        EXPECT_NEAR(text->altitudeMetres, 545.4, 1e-9) << s.name;
        for (int feet : {0, 1}) {
            const auto rx = ValidPosition(FromReceiver(s, feet));
            ASSERT_TRUE(rx) << s.name;
            EXPECT_NEAR(rx->latitude, s.lat, 1e-6) << s.name;
            EXPECT_NEAR(rx->longitude, s.lon, 1e-6) << s.name;
            // 100 m, whether the trace holds it in metres or in feet.
            EXPECT_NEAR(rx->altitudeMetres, 100.0, 1e-6) << s.name << feet;
        }
    }
    // 1000 ft is 304.8 m.
    EXPECT_NEAR(ValidPosition(FromTraceText(kSites[0], "1000", "FEET"))->altitudeMetres, 304.8, 1e-9);
    EXPECT_FALSE(ValidPosition(FromTraceText(kSites[0], "545.4", "METer", "FAIL")));
    EXPECT_FALSE(ValidPosition(FromTraceText(kSites[0], "545.4", "METer", "WARNing")));
    CMyQuarnDoc off = FromTraceText(kSites[0], "1", "METer");
    off.m_dGpsLatitude = 91;
    EXPECT_FALSE(ValidPosition(off));
    off.m_dGpsLatitude = std::nan("");
    EXPECT_FALSE(ValidPosition(off));
}

// Runs a Python script over a file and returns what it prints.
std::string Python(const std::string& script, const std::string& file) {
    test::TempDir dir;
    test::WriteFile(dir / "read.py", script);
    return test::CommandOutput("python3 " + dir / "read.py" + " " + file);
}

TEST(Survey, MapsReadBackWithRealParsers) {
    std::vector<TraceSummary> rows;
    for (const Site& s : kSites) {
        rows.push_back(Summarise(FromTraceText(s, "545.4", "METer"), std::string(s.name) + ".qtr"));
        rows.push_back(Summarise(FromReceiver(s, 1), std::string(s.name) + "_RX.qtm"));
    }
    CMyQuarnDoc noFix = Spectrum();
    rows.push_back(Summarise(noFix, "NOFIX.qtr"));
    rows.push_back(UnreadableSummary("BAD.qtr", "Not supported file format   "));
    rows[0].traceName = "A & B <\"site\">";  // escaped in XML, kept in JSON
    rows[0].verdict = "FAIL";
    rows[2].verdict = "PASS";
    // Every placemark in the order written: name, latitude, longitude, altitude (and the KML style).
    std::string expected;
    for (size_t i = 0; i < 8; ++i) {
        const Site& s = kSites[i / 2];
        expected +=
            Format("%s|%.6f|%.6f|%.1f\n", rows[i].traceName.c_str(), s.lat, s.lon, i % 2 ? 100.0 : 545.4);
    }
    test::TempDir dir;
    test::WriteFile(dir / "sites.geojson", GeoJsonDocument(rows));
    const std::string json = Python(R"(import json, sys
d = json.load(open(sys.argv[1], encoding='utf-8'))
assert d['type'] == 'FeatureCollection'
for f in d['features']:
    assert f['type'] == 'Feature' and f['geometry']['type'] == 'Point'
    lon, lat, alt = f['geometry']['coordinates']
    print('%s|%.6f|%.6f|%.1f' % (f['properties']['name'], lat, lon, alt))
)",
                                    dir / "sites.geojson");
    EXPECT_EQ(json, expected);
    test::WriteFile(dir / "sites.kml", KmlDocument(rows, "Survey & sites"));
    const std::string kml = Python(R"(import sys, xml.etree.ElementTree as ET
ns = {'k': 'http://www.opengis.net/kml/2.2'}
doc = ET.parse(sys.argv[1]).getroot().find('k:Document', ns)
assert doc.find('k:name', ns).text == 'Survey & sites'
for p in doc.findall('k:Placemark', ns):
    lon, lat, alt = (float(v) for v in p.find('k:Point/k:coordinates', ns).text.split(','))
    print('%s|%.6f|%.6f|%.1f' % (p.find('k:name', ns).text, lat, lon, alt))
    print(p.find('k:styleUrl', ns).text)
)",
                                   dir / "sites.kml");
    std::string withStyles;
    for (size_t k = 0; k < 8; ++k) {
        const std::string line = test::SplitLines(expected)[k];
        withStyles += line + "\n" + (k == 0 ? "#fail" : k == 2 ? "#pass" : "#nolimit") + "\n";
    }
    EXPECT_EQ(kml, withStyles);
}

// A minimal RFC 4180 reader: records of fields, quotes doubled inside quoted fields.
std::vector<std::vector<std::string>> ReadCsv(const std::string& text, char sep) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                rows.back().back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                rows.back().back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == sep) {
            rows.back().emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            rows.emplace_back(1);
        } else {
            rows.back().back() += c;
        }
    }
    if (rows.back().size() == 1 && rows.back()[0].empty()) rows.pop_back();
    return rows;
}

TEST(Survey, CsvHoldsEveryDisplayPoint) {
    CMyQuarnDoc d = Spectrum();
    // Min and max samples in every column, some points missing.
    for (int p = 0; p <= 500; ++p) {
        d.m_arrTraceA[static_cast<size_t>(2 * p)] = -60.0 - p * 0.125;
        d.m_arrTraceA[static_cast<size_t>(2 * p + 1)] = -50.0 + p * 0.25;
    }
    d.m_nMinMaxA = 1;
    d.m_arrTraceA[20] = d.m_arrTraceA[21] = kNoPoint;  // point 10
    const auto rows = ReadCsv(TraceCsv(d), ',');
    ASSERT_EQ(rows.size(), 502u);
    EXPECT_EQ(rows[0],
              (std::vector<std::string>{"Frequency (Hz)", "Trace A min (dBm)", "Trace A max (dBm)"}));
    EXPECT_EQ(rows[1][0], "999500000");
    EXPECT_EQ(rows[251][0], "1000000000");
    EXPECT_EQ(rows[501][0], "1000500000");
    EXPECT_EQ(rows[11], (std::vector<std::string>{"999520000", "", ""}));
    for (int p = 0; p <= 500; ++p) {
        if (p == 10) continue;
        ASSERT_EQ(rows[static_cast<size_t>(p) + 1].size(), 3u);
        const double lo = std::min(-60.0 - p * 0.125, -50.0 + p * 0.25);
        const double hi = std::max(-60.0 - p * 0.125, -50.0 + p * 0.25);
        EXPECT_EQ(std::stod(rows[static_cast<size_t>(p) + 1][1]), lo) << p;
        EXPECT_EQ(std::stod(rows[static_cast<size_t>(p) + 1][2]), hi) << p;
    }
    // Without min/max the column's second sample is both.
    d.m_nMinMaxA = 0;
    EXPECT_EQ(ReadCsv(TraceCsv(d), ',')[1], (std::vector<std::string>{"999500000", "-50", "-50"}));
}

TEST(Survey, CsvSeparatorsDecimalsAndUnits) {
    CMyQuarnDoc d = Spectrum("DBUV");
    Flat(d, -50.5);  // -50.5 dBm is 56.4897 dBuV
    const std::string semicolon = TraceCsv(d, {';', ',', {}});
    EXPECT_EQ(semicolon.substr(0, semicolon.find("\r\n", semicolon.find("\r\n") + 2) + 2),
              "Frequency (Hz);Trace A min (dB\xC2\xB5V);Trace A max "
              "(dB\xC2\xB5V)\r\n999500000;56,4897;56,4897\r\n");
    // A decimal comma beside comma separators is quoted.
    const auto quoted = ReadCsv(TraceCsv(d, {',', ',', {}}), ',');
    EXPECT_EQ(quoted[1], (std::vector<std::string>{"999500000", "56,4897", "56,4897"}));
    EXPECT_NE(TraceCsv(d, {',', ',', {}}).find("\"56,4897\""), std::string::npos);
    const auto tabs = ReadCsv(TraceCsv(d, {'\t', '.', {}}), '\t');
    EXPECT_EQ(tabs[1], (std::vector<std::string>{"999500000", "56.4897", "56.4897"}));
    // Trace B, when drawn, adds its two columns; DTF counts distance, zero span time.
    d.m_nTraceModeB = ACTual;
    d.m_bShowTraceB = 1;
    Flat(d, -50.5);
    d.m_arrTraceB = d.m_arrTraceA;
    EXPECT_EQ(ReadCsv(TraceCsv(d), ',')[0].size(), 5u);
    CMyQuarnDoc z = Spectrum();
    z.m_dSpan = 0;
    EXPECT_EQ(ReadCsv(TraceCsv(z), ',')[0][0], "Time (s)");
    EXPECT_EQ(ReadCsv(TraceCsv(z), ',')[501][0], "0.1");
}

TEST(Compare, WhatCanShareOneGraph) {
    struct Case {
        const char* what;
        std::function<void(CMyQuarnDoc&)> change;
        std::string refusal;  // a part of the message; empty: accepted
    };
    const Case cases[] = {
        {"the same settings", [](CMyQuarnDoc&) {}, ""},
        {"dBuV against dBm converts exactly",
         [](CMyQuarnDoc& o) {
             o.m_strRefLevelUnit = "DBUV";
             o.RunPostReadSteps();
         },
         ""},
        {"another mode", [](CMyQuarnDoc& o) { o.m_strMode = "CPOWer"; },
         "SITE2: the mode is Channel Power, not Spectrum Analysis"},
        {"another centre", [](CMyQuarnDoc& o) { o.m_dCenter = 1.001e9; },
         "SITE2: the x axis is Center 1.001000 GHz, Span 1.000000 MHz, not Center 1.000000 GHz"},
        {"another span", [](CMyQuarnDoc& o) { o.m_dSpan = 2e6; }, "the x axis is"},
        {"zero span against a span", [](CMyQuarnDoc& o) { o.m_dSpan = 0; }, "the x axis is"},
        {"no trace drawn", [](CMyQuarnDoc& o) { o.m_bShowTraceA = 0; }, "SITE2: no trace is drawn"},
    };
    const CMyQuarnDoc front = Spectrum();
    for (const Case& c : cases) {
        CMyQuarnDoc other = Spectrum();
        other.SetTitle("SITE2");
        c.change(other);
        const std::string why = CompareRefusal(front, other);
        if (c.refusal.empty())
            EXPECT_EQ(why, "") << c.what;
        else
            EXPECT_NE(why.find(c.refusal), std::string::npos) << c.what << ": " << why;
    }
    // A ratio in dB does not convert into a level.
    CMyQuarnDoc abs = Spectrum(), rel = Spectrum();
    abs.m_strMode = rel.m_strMode = "TRANsmission";
    abs.m_strTransRefUnit = "DBM";
    rel.m_strTransRefUnit = "DB";
    abs.RunPostReadSteps();
    rel.RunPostReadSteps();
    rel.SetTitle("REL");
    EXPECT_EQ(CompareRefusal(abs, rel), "REL: the unit is dB, which does not convert into dBm");
    // DTF compares cable lengths.
    CMyQuarnDoc d1 = Spectrum(), d2 = Spectrum();
    d1.m_strMode = d2.m_strMode = "DTF";
    d1.m_dCableLength = 50;
    d2.m_dCableLength = 60;
    EXPECT_NE(CompareRefusal(d1, d2).find("Distance 0 to 60.0 m, not Distance 0 to 50.0 m"),
              std::string::npos);
    // Several refusals are all named.
    CMyQuarnDoc a = Spectrum(), b = Spectrum(), result;
    a.SetTitle("A");
    b.SetTitle("B");
    a.m_strMode = "CPOWer";
    b.m_dSpan = 3e6;
    std::string refusal;
    EXPECT_FALSE(ComparisonDocument(front, {&a, &b}, result, &refusal));
    EXPECT_EQ(std::count(refusal.begin(), refusal.end(), '\n'), 1) << refusal;
    EXPECT_EQ(refusal.rfind("A: ", 0), 0u);
}

// The rows of `image` within the graph whose pixels are `colour`, in page units below the reference line.
std::vector<int> RowsOf(const QImage& image, const MarkerPlaces& places, QColor colour) {
    std::vector<int> rows;
    const QTransform& t = places.pageToDevice;
    const QPointF topLeft = t.map(QPointF(0, 0)), bottomRight = t.map(QPointF(places.W, places.H));
    for (int y = static_cast<int>(topLeft.y()) + 3; y < static_cast<int>(bottomRight.y()) - 3; ++y) {
        int hits = 0;
        for (int x = static_cast<int>(topLeft.x()) + 200; x < static_cast<int>(bottomRight.x()) - 5; ++x)
            if (image.pixelColor(x, y) == colour) ++hits;
        if (hits > 50) rows.push_back(y);
    }
    return rows;
}

TEST(Compare, OverlaysSitWhereTheirLevelsSayInThePagesUnit) {
    // Front: flat at -50 dBm on 0 dBm / 10 dB: 5 of 8 divisions down. The overlay, a 75 Ohm trace shown
    // in dBuV, flat at -30 dBm: it belongs 3 divisions down on the front's dBm axis.
    CMyQuarnDoc front = Spectrum(), other = Spectrum("DBUV");
    Flat(front, -50);
    Flat(other, -30);
    other.m_strImpedance = "IMP75";
    other.RunPostReadSteps();
    other.SetTitle("OTHER");
    CMyQuarnDoc compared;
    std::string refusal;
    ASSERT_TRUE(ComparisonDocument(front, {&other}, compared, &refusal)) << refusal;
    ASSERT_EQ(compared.m_overlays.size(), 1u);
    compared.m_bShowGrid = 0;
    MarkerPlaces places;
    RenderOptions o;
    o.places = &places;
    const QImage image = RenderPageImage(compared, 1600, 1200, o);
    const QTransform& t = places.pageToDevice;
    auto rowAt = [&](double divisions) { return t.map(QPointF(0, places.H * divisions / 8)).y(); };
    const std::vector<int> overlay = RowsOf(image, places, OverlayColour(0));
    const std::vector<int> own = RowsOf(image, places, PageColor::kTraceA);
    ASSERT_FALSE(overlay.empty());
    ASSERT_FALSE(own.empty());
    EXPECT_NEAR((overlay.front() + overlay.back()) / 2.0, rowAt(3), 2.0);
    EXPECT_NEAR((own.front() + own.back()) / 2.0, rowAt(5), 2.0);
}

TEST(Compare, DifferenceScale) {
    const std::pair<double, double> cases[] = {{0, 0.1},  {0.4, 0.1}, {0.41, 0.2}, {3, 1},
                                               {4.01, 2}, {40, 10},   {80, 20},    {100, 50}};
    for (auto [largest, scale] : cases)
        EXPECT_DOUBLE_EQ(DifferenceScale(largest), scale) << largest;
}

TEST(Compare, DifferenceIsTheTraceMinusTheReference) {
    CMyQuarnDoc d = Spectrum(), ref = Spectrum("DBUV");
    for (int p = 0; p <= 500; ++p) {
        d.m_arrTraceA[static_cast<size_t>(2 * p)] = d.m_arrTraceA[static_cast<size_t>(2 * p + 1)] =
            -50 + p * 0.01;
        ref.m_arrTraceA[static_cast<size_t>(2 * p)] = ref.m_arrTraceA[static_cast<size_t>(2 * p + 1)] = -52;
    }
    ref.m_arrTraceA[100] = ref.m_arrTraceA[101] = kNoPoint;  // point 50 missing in the reference
    ref.SetTitle("REF");
    d.m_strLimitSimple = "ON";
    d.m_arrUserStateA[1] = NORMal;
    CMyQuarnDoc diff;
    std::string refusal;
    ASSERT_TRUE(DifferenceDocument(d, ref, diff, &refusal)) << refusal;
    // 2 dB at point 0 up to 7 dB at point 500: 2 dB per division, 0 dB in the middle.
    EXPECT_EQ(diff.DisplayUnit(), "DB");
    EXPECT_DOUBLE_EQ(diff.SelectedScale(), 2.0);
    EXPECT_DOUBLE_EQ(diff.SelectedReference(), 8.0);
    EXPECT_NEAR(diff.m_arrTraceA[1], 2.0, 1e-12);
    EXPECT_NEAR(diff.m_arrTraceA[501], 4.5, 1e-12);
    EXPECT_NEAR(diff.m_arrTraceA[1001], 7.0, 1e-12);
    EXPECT_EQ(diff.m_arrTraceA[100], kNoPoint);
    EXPECT_EQ(diff.m_strLimitSimple, "OFF");
    EXPECT_EQ(diff.m_arrUserStateA[1], MARKER_OFF);
    EXPECT_EQ(diff.GetTitle(), "SITE1.qtr - REF");
    // Choosing the display again (a unit change in the Level dialog) keeps the dB axis.
    diff.ReselectDisplay();
    EXPECT_EQ(diff.DisplayUnit(), "DB");
    EXPECT_DOUBLE_EQ(diff.SelectedScale(), 2.0);
    // Other axes are refused.
    ref.m_dSpan = 5e6;
    EXPECT_FALSE(DifferenceDocument(d, ref, diff, &refusal));
    EXPECT_NE(refusal.find("the x axis is"), std::string::npos);
}

int PdfPages(const std::string& pdf) {
    int pages = -1;
    const std::string info = test::CommandOutput("pdfinfo " + pdf);
    if (const size_t at = info.find("Pages:"); at != std::string::npos)
        pages = std::atoi(info.c_str() + at + 6);
    return pages;
}

std::string PdfText(const std::string& pdf, int first, int last) {
    return test::CommandOutput(Format("pdftotext -layout -f %d -l %d %s -", first, last, pdf.c_str()));
}

TEST(Report, SummaryAndOnePagePerReadableTrace) {
    test::TempDir dir;
    test::WriteFile(dir / "BROKEN.qtr", "not a trace file");
    std::vector<std::string> paths;
    for (int i = 0; i < 30; ++i)
        paths.push_back(test::SamplePath(i % 3 == 0   ? "SPECTRUM.qtr"
                                         : i % 3 == 1 ? "CPOWER.qtr"
                                                      : "DTF_DB.qtm"));
    paths.insert(paths.begin() + 5, dir / "BROKEN.qtr");
    std::vector<ReportItem> items = LoadReportItems(paths);
    ASSERT_EQ(items.size(), 31u);
    EXPECT_FALSE(items[5].doc);
    // The SPECTRUM sample's instrument reported no verdict ("NA"); here it reports FAIL.
    for (ReportItem& i : items)
        if (i.doc && i.doc->m_strLimitFile == "GSM_MASK") {
            auto failed = std::make_shared<CMyQuarnDoc>(*i.doc);
            failed->m_strTraceDataLimit = "FAIL";
            i.doc = failed;
        }
    ReportOptions o;
    o.title = "Tower 12 & roof";
    const ReportResult r = WriteSurveyReport(dir / "r.pdf", items, o);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_GE(r.summaryPages, 2);  // 31 rows do not fit one page
    EXPECT_EQ(r.pages, r.summaryPages + 30);
    EXPECT_EQ(PdfPages(dir / "r.pdf"), r.pages);
    // Every row is in the summary once, in order, numbered 1 to 31; nothing lost across pages.
    const std::string summary = PdfText(dir / "r.pdf", 1, r.summaryPages);
    size_t at = 0;
    for (int n = 1; n <= 31; ++n) {
        const std::string name = n == 6                   ? "BROKEN.qtr"
                                 : (n - (n > 6)) % 3 == 1 ? "SPECTRUM.qtr"
                                 : (n - (n > 6)) % 3 == 2 ? "CPOWER.qtr"
                                                          : "DTF_DB.qtm";
        const size_t found = summary.find(Format("%d", n) + " ", at);
        ASSERT_NE(found, std::string::npos) << n;
        const size_t file = summary.find(name, found);
        ASSERT_NE(file, std::string::npos) << n << " " << name;
        at = file;
    }
    EXPECT_NE(summary.find("unreadable: Not supported file format"), std::string::npos);
    EXPECT_NE(summary.find("31 traces: 0 pass, 10 fail, 20 without a verdict, 1 unreadable"),
              std::string::npos)
        << summary.substr(0, 300);
    EXPECT_NE(summary.find("Tower 12 & roof"), std::string::npos);
    // A trace page carries the file path and the trace's own panels.
    const std::string page = PdfText(dir / "r.pdf", r.summaryPages + 1, r.summaryPages + 1);
    EXPECT_NE(page.find(test::SamplePath("SPECTRUM.qtr")), std::string::npos);
    EXPECT_NE(page.find("Spectrum Analysis"), std::string::npos);
    EXPECT_NE(page.find(Format("Page %d of %d", r.summaryPages + 1, r.pages)), std::string::npos);
}

TEST(Report, CancelledOrFailedLeavesTheOldFile) {
    test::TempDir dir;
    test::WriteFile(dir / "r.pdf", "old");
    ReportOptions o;
    int calls = 0;
    o.progress = [&](int done, int) {
        ++calls;
        return done < 2;
    };
    const ReportResult r =
        WriteSurveyReport(dir / "r.pdf",
                          LoadReportItems({test::SamplePath("SPECTRUM.qtr"), test::SamplePath("ACPR.qtr"),
                                           test::SamplePath("OBW.qtr")}),
                          o);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(test::ReadFile(dir / "r.pdf"), "old");
    const ReportResult bad = WriteSurveyReport(dir / "no/such/folder/r.pdf", {}, {});
    EXPECT_FALSE(bad.ok);
    EXPECT_FALSE(std::filesystem::exists(dir / "no"));
}

}  // namespace
}  // namespace fl
