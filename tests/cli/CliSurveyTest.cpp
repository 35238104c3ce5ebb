// fieldlink-cli report, map, export-csv and render --overlay/--difference end to end.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>
#include <filesystem>

#include "CliRunner.h"
#include "SampleTraces.h"
#include "TestUtil.h"

using fl::test::Cli;
using fl::test::SamplePath;

namespace {

// An instrument trace file (.qtr) of a spectrum trace taken at a position, as the instrument writes it.
void WriteSite(const std::string& path, const std::string& name, const char* lat, const char* lon,
               const char* quality = "OK") {
    const std::vector<std::string> lines = {"# TRACE " + name,
                                            "INSTrument:SELect SANalyzer",
                                            std::string("INSTrument:GPS:QUALity ") + quality,
                                            std::string("INSTrument:GPS:LATitude ") + lat,
                                            std::string("INSTrument:GPS:LONGitude ") + lon,
                                            "INSTrument:GPS:ALTitude 12.5",
                                            "INSTrument:GPS:ALTitude:UNIT METer"};
    fl::test::WriteFile(path, fl::sim::LineContainerBytes(lines));
}

}  // namespace

TEST(CliSurvey, ReportListsUnreadableFilesAndSaysSo) {
    fl::test::TempDir dir;
    fl::test::WriteFile(dir / "junk.qtr", "junk");
    const auto r = Cli("report " + SamplePath("SPECTRUM.qtr") + " " + (dir / "junk.qtr") + " " +
                       SamplePath("DTF_DB.qtr") + " -o " + (dir / "r.pdf") + " --title 'Roof 3'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("junk.qtr: Not supported file format"), std::string::npos) << r.err;
    ASSERT_TRUE(std::filesystem::exists(dir / "r.pdf"));
    EXPECT_NE(fl::test::CommandOutput("pdfinfo " + (dir / "r.pdf")).find("Pages:           3"),
              std::string::npos);
    const std::string summary = fl::test::CommandOutput("pdftotext -layout -l 1 " + (dir / "r.pdf") + " -");
    EXPECT_NE(summary.find("Roof 3"), std::string::npos);
    EXPECT_NE(summary.find("unreadable"), std::string::npos);
    // All readable: status 0; every page in portrait when asked.
    const auto ok = Cli("report " + SamplePath("SPECTRUM.qtr") + " -o " + (dir / "p.pdf") + " --portrait");
    EXPECT_EQ(ok.status, 0) << ok.err;
    const std::string sizes = fl::test::CommandOutput("pdfinfo -f 1 -l 2 " + (dir / "p.pdf"));
    EXPECT_NE(sizes.find("Page    1 size:  595 x 842"), std::string::npos) << sizes;
    EXPECT_NE(sizes.find("Page    2 size:  595 x 842"), std::string::npos) << sizes;
    EXPECT_EQ(Cli("report " + SamplePath("SPECTRUM.qtr") + " -o " + (dir / "no/r.pdf")).status, 1);
}

TEST(CliSurvey, MapOfFourHemispheresReadBackByPython) {
    fl::test::TempDir dir;
    WriteSite(dir / "NE.qtr", "NE", "48.117300", "11.516667");
    WriteSite(dir / "SE.qtr", "SE", "-33.856800", "151.215300");
    WriteSite(dir / "NW.qtr", "NW", "40.689200", "-74.044500");
    WriteSite(dir / "SW.qtr", "SW", "-22.951900", "-43.210500");
    WriteSite(dir / "NOFIX.qtr", "NOFIX", "1.000000", "1.000000", "FAIL");
    const std::string files = (dir / "NE.qtr") + " " + (dir / "SE.qtr") + " " + (dir / "NOFIX.qtr") + " " +
                              (dir / "NW.qtr") + " " + (dir / "SW.qtr");
    auto r = Cli("map " + files + " -o " + (dir / "s.geojson"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("NOFIX.qtr: no valid GPS fix, left out"), std::string::npos) << r.err;
    fl::test::WriteFile(dir / "j.py", R"(import json, sys
for f in json.load(open(sys.argv[1]))['features']:
    lon, lat, alt = f['geometry']['coordinates']
    print(f['properties']['name'], lat, lon, alt)
)");
    EXPECT_EQ(fl::test::CommandOutput("python3 " + (dir / "j.py") + " " + (dir / "s.geojson")),
              "NE 48.1173 11.516667 12.5\nSE -33.8568 151.2153 12.5\nNW 40.6892 -74.0445 12.5\n"
              "SW -22.9519 -43.2105 12.5\n");
    r = Cli("map " + files + " -o " + (dir / "s.kml"));
    EXPECT_EQ(r.status, 0) << r.err;
    fl::test::WriteFile(dir / "k.py", R"(import sys, xml.etree.ElementTree as ET
ns = {'k': 'http://www.opengis.net/kml/2.2'}
for p in ET.parse(sys.argv[1]).getroot().iter('{http://www.opengis.net/kml/2.2}Placemark'):
    print(p.find('k:name', ns).text, p.find('k:Point/k:coordinates', ns).text)
)");
    EXPECT_EQ(fl::test::CommandOutput("python3 " + (dir / "k.py") + " " + (dir / "s.kml")),
              "NE 11.516667,48.117300,12.5\nSE 151.215300,-33.856800,12.5\nNW -74.044500,40.689200,12.5\n"
              "SW -43.210500,-22.951900,12.5\n");
    // Nothing to map is a failure; an unknown extension a usage error of its own.
    EXPECT_EQ(Cli("map " + (dir / "NOFIX.qtr") + " -o " + (dir / "none.kml")).status, 1);
    const auto bad = Cli("map " + (dir / "NE.qtr") + " -o " + (dir / "s.txt"));
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find(".kml or .geojson"), std::string::npos);
}

TEST(CliSurvey, ExportCsvIntoAFolder) {
    fl::test::TempDir dir;
    const auto r = Cli("export-csv " + SamplePath("SPECTRUM.qtr") + " " + SamplePath("DTF_DB.qtr") + " -o " +
                       (dir / "csv") + " --separator tab --decimal ,");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string spectrum = fl::test::ReadFile(dir / "csv/SPECTRUM.csv");
    const std::string dtf = fl::test::ReadFile(dir / "csv/DTF_DB.csv");
    EXPECT_EQ(spectrum.substr(0, spectrum.find("\r\n")),
              "Frequency (Hz)\tTrace A min (dBm)\tTrace A max (dBm)");
    EXPECT_EQ(dtf.substr(0, dtf.find('\t')), "Distance (m)");
    EXPECT_EQ(std::count(spectrum.begin(), spectrum.end(), '\n'), 502);
    EXPECT_EQ(Cli("export-csv " + SamplePath("SPECTRUM.qtr") + " -o x.csv --separator :").status, 2);
}

TEST(CliSurvey, RenderOverlayAndDifference) {
    fl::test::TempDir dir;
    auto r = Cli("render " + SamplePath("SPECTRUM.qtr") + " --overlay " + SamplePath("SPECTRUM_A.qtm") +
                 " -o " + (dir / "o.png"));
    ASSERT_EQ(r.status, 0) << r.err;
    // The overlay's colour is on the page.
    const QImage o(QString::fromStdString(dir / "o.png"));
    int orange = 0;
    for (int y = 0; y < o.height(); ++y)
        for (int x = 0; x < o.width(); ++x)
            if (o.pixelColor(x, y) == QColor(230, 120, 0)) ++orange;
    EXPECT_GT(orange, 100);
    r = Cli("render " + SamplePath("SPECTRUM.qtr") + " --overlay " + SamplePath("ACPR.qtr") + " -o " +
            (dir / "x.png"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("the mode is Channel Power, not Spectrum Analysis"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "x.png"));
    r = Cli("render " + SamplePath("SPECTRUM.qtr") + " --difference " + SamplePath("SPECTRUM_A.qtm") +
            " -o " + (dir / "d.png"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(dir / "d.png"));
}
