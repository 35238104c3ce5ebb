// fieldlink-cli end to end: exit codes, outputs and the messages users see.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <array>
#include <cstdio>
#include <nlohmann/json.hpp>

#include <QFile>
#include <QImage>
#include <QXmlStreamReader>
#include "CMyQuarnDoc.h"
#include "CliRunner.h"
#include "ConnectionSettings.h"

#include "PanelText.h"
#include "SampleTraces.h"
#include "TestUtil.h"

using fl::test::Cli;
using fl::test::CliRun;
using fl::test::SamplePath;

namespace {}  // namespace

TEST(Cli, ExitStatuses) {
    struct Case {
        std::string args;
        int status;
        std::string errContains;
    };
    fl::test::TempDir dir;
    fl::test::WriteFile(dir / "bad.qtr", "Garbage");
    const Case cases[] = {
        {"--help", 0, ""},
        {"dump --help", 0, ""},
        {"", 2, "subcommand"},
        {"frobnicate", 2, ""},
        {"dump", 2, "FILE"},
        {"convert " + SamplePath("SPECTRUM.qtr"), 2, "--output"},
        {"dump " + (dir / "bad.qtr"), 1, "Not supported file format   "},
        {"dump " + (dir / "missing.qtr"), 1, "missing.qtr"},
        {"settings-text " + (dir / "bad.qtr") + " -o " + (dir / "s.txt"), 1, "Not supported file format"},
    };
    for (const auto& c : cases) {
        CliRun r = Cli(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
        EXPECT_NE(r.err.find(c.errContains), std::string::npos) << c.args << "\n" << r.err;
    }
}

TEST(Cli, DumpPrintsEveryFieldAsUnicodeJson) {
    CliRun r = Cli("dump " + SamplePath("EMF.qtr"));
    ASSERT_EQ(r.status, 0) << r.err;
    auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j.size(), fl::AllRecordFields().size());
    EXPECT_EQ(j["m_strMode"], "EMF");
    EXPECT_EQ(j["m_dCenter"], 1842500000.0);
    EXPECT_EQ(j["m_arrTraceA"].size(), 1002u);
    EXPECT_EQ(j["m_arrMarkerStateA"][1], 1);
    EXPECT_EQ(j["m_strAfactorAntenna"], "ISOTROPIC 3D");

    // Windows-1252 text comes out as UTF-8.
    fl::test::TempDir dir;
    fl::CMyQuarnDoc doc;
    doc.m_strComment = "5 \xB5V at 20\xB0";
    ASSERT_TRUE(doc.WriteTo(dir / "c.qtm"));
    CliRun c = Cli("dump " + (dir / "c.qtm"));
    ASSERT_EQ(c.status, 0) << c.err;
    EXPECT_EQ(nlohmann::json::parse(c.out)["m_strComment"], "5 \xC2\xB5V at 20\xC2\xB0");
}

TEST(Cli, ConvertSeveralFilesIntoAFolder) {
    fl::test::TempDir dir;
    CliRun r = Cli("convert " + SamplePath("SPECTRUM.qtr") + " " + SamplePath("DTF_DB.qtr") + " -o " +
                   (dir / "out"));
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* name : {"SPECTRUM", "DTF_DB"}) {
        EXPECT_TRUE(fl::test::ReadFile(dir / (std::string("out/") + name + ".qtm")) ==
                    fl::test::ReadFile(SamplePath(std::string(name) + ".qtm")))
            << name;
    }
    CliRun one = Cli("convert " + SamplePath("SPECTRUM_U.qtm") + " -o " + (dir / "single.qtm"));
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(fl::test::ReadFile(dir / "single.qtm")[0], 'F');
}

TEST(Cli, ExportAsciiAndSettingsText) {
    fl::test::TempDir dir;
    CliRun r = Cli("export-ascii " + SamplePath("SPECTRUM.qtr") + " -o " + (dir / "r.txt") + " --tab");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(fl::test::ReadFile(dir / "r.txt").substr(0, 26), "Device Name\tSITE NORTH 7\r\n");
    CliRun many = Cli("export-ascii " + SamplePath("SPECTRUM.qtr") + " " + SamplePath("CPOWER.qtm") + " -o " +
                      (dir / "reports"));
    ASSERT_EQ(many.status, 0) << many.err;
    EXPECT_TRUE(std::filesystem::exists(dir / "reports/SPECTRUM.TXT"));
    EXPECT_TRUE(std::filesystem::exists(dir / "reports/CPOWER.TXT"));
    CliRun s = Cli("settings-text " + SamplePath("SPECTRUM.qtm") + " -o " + (dir / "s.txt"));
    ASSERT_EQ(s.status, 0) << s.err;
    EXPECT_EQ(fl::test::ReadFile(dir / "s.txt").substr(0, 27), "# TRACE SPECTRUM;   created");
    CliRun bad = Cli("export-ascii " + SamplePath("SPECTRUM.qtr") + " -o /nonexistent-folder/r.txt");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("/nonexistent-folder/r.txt"), std::string::npos);
}

TEST(Cli, RenderFollowsTheProfilesViewDefaults) {
    fl::test::TempDir dir, home;
    const char* before = std::getenv("FIELDLINK_HOME");
    const std::string saved = before ? before : "";
    setenv("FIELDLINK_HOME", home.path().c_str(), 1);  // a data folder without a profile yet
    auto render = [&](const std::string& name, const std::string& options) {
        CliRun r =
            Cli("render " + SamplePath("EMF.qtr") + " -o " + (dir / name) + " --size 640x480" + options);
        EXPECT_EQ(r.status, 0) << r.err;
        return fl::test::ReadFile(dir / name);
    };
    // Without a profile the page shows the panels of a first start; --no-panels only the graph.
    const std::string fresh = render("fresh.ppm", "");
    const std::string bare = render("bare.ppm", " --no-panels");
    EXPECT_NE(fresh, bare);
    // A profile that hides every panel gives the bare page; --all-panels overrides it.
    fl::ConnectionSettings p;
    p.profileName = "default";
    p.showLevel = p.showStatus = p.showTrace = p.showInstrument = p.showExtDev = p.showGps = 0;
    ASSERT_TRUE(fl::WriteProfile(p, home.path()));
    EXPECT_EQ(render("profile.ppm", ""), bare);
    EXPECT_NE(render("all.ppm", " --all-panels"), bare);
    setenv("FIELDLINK_HOME", saved.c_str(), 1);
}

TEST(Cli, RenderDrawsThePageAsAnImage) {
    fl::test::TempDir dir;
    CliRun r = Cli("render " + SamplePath("SPECTRUM.qtr") + " -o " + (dir / "p.png") +
                   " --size 800x600 --all-panels");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string png = fl::test::ReadFile(dir / "p.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    // Width and height in the IHDR chunk, big-endian.
    auto be32 = [&](size_t at) {
        return (static_cast<unsigned char>(png[at]) << 24) | (static_cast<unsigned char>(png[at + 1]) << 16) |
               (static_cast<unsigned char>(png[at + 2]) << 8) | static_cast<unsigned char>(png[at + 3]);
    };
    EXPECT_EQ(be32(16), 800u);
    EXPECT_EQ(be32(20), 600u);
    CliRun portrait = Cli("render " + SamplePath("DTF_DB.qtr") + " -o " + (dir / "d.bmp") + " --portrait");
    EXPECT_EQ(portrait.status, 0) << portrait.err;
    CliRun bad = Cli("render " + SamplePath("SPECTRUM.qtr") + " -o " + (dir / "p.xyz"));
    EXPECT_EQ(bad.status, 1);
    CliRun size = Cli("render " + SamplePath("SPECTRUM.qtr") + " -o " + (dir / "p.png") + " --size 5");
    EXPECT_EQ(size.status, 1);
}

TEST(Cli, MarkersPlacesSearchesAndSortsWithoutADisplay) {
    // 999.5 to 1000.5 MHz, 2 kHz per point, at -80 dBm ("4B0") with peaks at point 10 (-20 dBm, "708"),
    // 50 (-30 dBm, "6A4") and 200 (-50 dBm, "5DC").
    std::string data;
    for (int c = 0; c <= 500; ++c)
        data += c == 10 ? "708" : c == 50 ? "6A4" : c == 200 ? "5DC" : "4B0";
    fl::test::TempDir dir;
    const std::vector<std::string> lines = {"*IDN ZARNELL, Quarn2, 1, 2.31",
                                            "INSTrument:SELect SANalyzer",
                                            "SENSe:FREQuency:CENTer 1000000000",
                                            "SENSe:FREQuency:SPAN 1000000",
                                            "SENSe:REFLevel 0",
                                            "SENSe:TRACe:DATa A,ALL,'" + data + "'"};
    fl::test::WriteFile(dir / "peaks.qtr", fl::sim::LineContainerBytes(lines));
    struct Case {
        std::string args;
        std::vector<std::string> list;
    };
    const Case cases[] = {
        {"--max-peak", {"M1 -20.0 dBm 999.5200 MHz"}},
        {"--at 10 --next-peak", {"M1 -30.0 dBm 999.6000 MHz"}},
        {"--label-all-peaks --threshold -40", {"M1 -20.0 dBm 999.5200 MHz", "M2 -30.0 dBm 999.6000 MHz"}},
        {"--label-all-peaks --threshold -40 --sort level --marker 2 --move -1",
         {"M1 -20.0 dBm 999.5200 MHz", "M2 -80.0 dBm 999.5980 MHz"}},
        {"--at 495 --move 10", {"M1 -80.0 dBm 1.000500 GHz"}},
    };
    for (const auto& c : cases) {
        const std::string out = dir / "out.qtm";
        CliRun r = Cli("markers " + (dir / "peaks.qtr") + " " + c.args + " --list -o " + out);
        ASSERT_EQ(r.status, 0) << c.args << "\n" << r.err;
        EXPECT_EQ(fl::test::SplitLines(r.out), c.list) << c.args;
        // The saved trace holds what was listed.
        fl::CMyQuarnDoc d;
        ASSERT_TRUE(d.Load(out).ok());
        EXPECT_EQ(fl::MarkerLines(d, 'A'), c.list) << c.args;
    }
    EXPECT_EQ(Cli("markers " + (dir / "peaks.qtr") + " --trace B --max-peak -o " + (dir / "b.qtm")).status,
              1);
    EXPECT_EQ(Cli("markers " + (dir / "peaks.qtr") + " --max-peak").status, 2);
}

TEST(Cli, EditorFilesShowResaveAndPlot) {
    fl::test::TempDir dir;
    fl::test::WriteFile(dir / "mask.qlm", "Mask A\r\nmax,0.0,6.0,5.0,6.0\r\nmin,5.0,2.0,10.0,2.0\r\n");
    fl::test::WriteFile(dir / "emf.qel", "\r\nmin,100000000,120,1000000000,120\r\nPARAM=107.000000,2,0,0");
    CliRun r = Cli("show " + (dir / "mask.qlm"));
    ASSERT_EQ(r.status, 0) << r.err;
    auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["title"], "Limit Lines - mask.qlm");
    EXPECT_EQ(j["comment"], "Mask A");
    ASSERT_EQ(j["rows"].size(), 2u);
    EXPECT_EQ(
        j["rows"][1],
        nlohmann::json({{"x1", "5.0"}, {"y1", "2.0"}, {"x2", "10.0"}, {"y2", "2.0"}, {"type", "lower"}}));
    r = Cli("show " + (dir / "emf.qel"));
    ASSERT_EQ(r.status, 0) << r.err;
    j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["settings"]["level unit"], "dB\xC2\xB5V/m");
    EXPECT_EQ(j["settings"]["reference level"], "107.0");
    EXPECT_EQ(j["rows"][0]["F_Stop [Hz]"], "1000000000");
    // Resaved as the editor saves: the name upper-cased, the bytes of the formats.
    ASSERT_EQ(Cli("resave " + (dir / "mask.qlm") + " -o " + (dir / "copy.qlm")).status, 0);
    EXPECT_EQ(fl::test::ReadFile(dir / "COPY.QLM"), fl::test::ReadFile(dir / "mask.qlm"));
    ASSERT_EQ(Cli("resave " + (dir / "emf.qel") + " -o " + (dir / "copy.qel")).status, 0);
    EXPECT_EQ(fl::test::ReadFile(dir / "COPY.QEL"), fl::test::ReadFile(dir / "emf.qel"));
    // The graph: the current (last) row, the lower limit at 2 divisions, is red at pixel row 320 - 80.
    ASSERT_EQ(Cli("plot " + (dir / "mask.qlm") + " -o " + (dir / "mask.png")).status, 0);
    const QImage image(QString::fromStdString(dir / "mask.png"));
    ASSERT_EQ(image.size(), QSize(410, 320));
    EXPECT_EQ(image.pixelColor(300, 240), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(100, 80), QColor(0, 0, 255));  // the upper limit at 6 divisions
    EXPECT_EQ(image.pixelColor(300, 100), QColor(255, 255, 255));
    EXPECT_EQ(Cli("show " + SamplePath("SPECTRUM.qtr")).status, 1);
    EXPECT_EQ(Cli("show " + (dir / "missing.qlm")).status, 1);
}

TEST(Cli, FormAndFactorFilesShowResaveAndPlot) {
    fl::test::TempDir dir;
    fl::test::WriteFile(dir / "gsm900.qsy",
                        "Name GSM900\r\nChCnt 124\r\nChStart 1\r\nChWidth 200000\r\nChSpace 200000\r\nFStart "
                        "9.352e+08\r\nSysLvl 0\r\nMaxFreq 4 GHz\r\n");
    fl::test::WriteFile(dir / "cablea.qct",
                        "Name CableA\r\nCDielec 1.38\r\nCAttn 6.8\r\nCUnit 1\r\nCCutFrq 6000000000\r\n");
    fl::test::WriteFile(
        dir / "amp.qed",
        "Amp 1\r\nk-antenna table, temperature:0  frequency; delta;   created: 2007/03/05 14:07:09\r\n"
        "100000000;10.0\r\n1000000000;12.5\r\n4000000000;0\r\n");
    auto j = nlohmann::json::parse(Cli("show " + (dir / "cablea.qct")).out);
    EXPECT_EQ(j["velocity factor"], "0.85");  // 1 / sqrt(1.38)
    EXPECT_EQ(j["length unit"], "ft");
    j = nlohmann::json::parse(Cli("show " + (dir / "amp.qed")).out);
    EXPECT_EQ(j["rows"].size(), 2u);  // the closing line is not an entry
    EXPECT_EQ(j["title"], "External Device Compensation - amp.qed");
    // Resaved as the editor saves: the name from the file chosen, the file name upper-cased.
    ASSERT_EQ(Cli("resave " + (dir / "gsm900.qsy") + " -o " + (dir / "copy.qsy")).status, 0);
    EXPECT_EQ(fl::test::ReadFile(dir / "COPY.QSY").substr(0, 11), "Name copy\r\n");
    ASSERT_EQ(Cli("resave " + (dir / "cablea.qct") + " -o " + (dir / "c2.qct")).status, 0);
    EXPECT_EQ(fl::test::ReadFile(dir / "C2.QCT"), fl::test::ReadFile(dir / "cablea.qct"));
    ASSERT_EQ(Cli("resave " + (dir / "amp.qed") + " -o " + (dir / "a2.qed")).status, 0);
    const std::string a2 = fl::test::ReadFile(dir / "A2.QED");
    EXPECT_NE(a2.find("\r\n100000000;10.0\r\n1000000000;12.5\r\n4000000000;0\r\n"), std::string::npos) << a2;
    // The factor graph: 12.5 dB at 1 GHz with S = 16 lies at (102, 35); the current (last) mark is red.
    ASSERT_EQ(Cli("plot " + (dir / "amp.qed") + " -o " + (dir / "amp.png")).status, 0);
    const QImage image(QString::fromStdString(dir / "amp.png"));
    EXPECT_EQ(image.pixelColor(102, 100), QColor(255, 0, 0));
    EXPECT_EQ(Cli("plot " + (dir / "gsm900.qsy") + " -o " + (dir / "x.png")).status, 1);
}

// PC file names are UTF-8, instrument text Windows-1252: titles come out once-encoded, the Name line in
// the code page, the upper-cased name by its rule; what Save refuses, resave refuses and writes nothing.
TEST(Cli, ResaveKeepsEncodingsAndRunsSavesChecks) {
    fl::test::TempDir dir;
    fl::test::WriteFile(dir / "Grenzwert_\xC3\xA4.qlm", "c\r\nmax,1.0,1.0,2.0,1.0\r\n");
    fl::test::WriteFile(dir / "gsm.qsy", "Name GSM\r\nChCnt 124\r\nChStart 1\r\n");
    auto j = nlohmann::json::parse(Cli("show " + (dir / "Grenzwert_\xC3\xA4.qlm")).out);
    EXPECT_EQ(j["title"], "Limit Lines - Grenzwert_\xC3\xA4.qlm");
    // Several graphs into a folder, each named after its file.
    fl::test::WriteFile(dir / "amp.qed", "c\r\nh\r\n1000000;1.0\r\n");
    ASSERT_EQ(
        Cli("plot " + (dir / "Grenzwert_\xC3\xA4.qlm") + " " + (dir / "amp.qed") + " -o " + (dir / "plots"))
            .status,
        0);
    EXPECT_EQ(QImage(QString::fromStdString(dir / "plots/amp.png")).width(), 410);
    EXPECT_EQ(QImage(QString::fromUtf8((dir / "plots/Grenzwert_\xC3\xA4.png").c_str())).height(), 320);
    ASSERT_EQ(Cli("resave " + (dir / "gsm.qsy") + " -o " +
                  (dir / "k\xC3\xA4"
                         "bel.qsy"))
                  .status,
              0);
    EXPECT_EQ(fl::test::ReadFile(dir / "K\xC3\x84"
                                       "BEL.QSY")
                  .substr(0, 12),
              "Name k\xE4"
              "bel\r\n");
    const struct {
        const char* name;
        const char* content;
        const char* message;
    } refused[] = {
        {"empty.qlm", "only a comment\r\n", "Create or open limits first"},
        {"big.qsy", "Name Big\r\nChCnt 200000\r\nChStart 1\r\n", "between 0 and 100000"},
        {"same.qsy", "Name S\r\nChCnt 5\r\nChStart 5\r\n", "Last channel < first channel"},
        {"thin.qct", "Name T\r\nCDielec 0.5\r\n", "Cable Dielectric"},
        {"none.qed", "c\r\nh\r\n", "External Device"},
    };
    for (const auto& r : refused) {
        fl::test::WriteFile(dir / r.name, r.content);
        const CliRun run = Cli("resave " + (dir / r.name) + " -o " + (dir / "out.x"));
        EXPECT_EQ(run.status, 1) << r.name;
        EXPECT_NE(run.err.find(r.message), std::string::npos) << r.name << ": " << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir / "OUT.X")) << r.name;
    }
}

// Several traces into a folder as vector pages: the PDF's and the SVG's texts are the page's own (read
// back with poppler's pdftotext and an XML reader); CSV with trace B's columns on request.
TEST(Cli, RenderWritesVectorPagesAndCsvTakesTheTracesAsked) {
    fl::test::TempDir dir;
    const std::string spectrum = fl::test::SamplePath("SPECTRUM.qtr"), emf = fl::test::SamplePath("EMF.qtr");
    ASSERT_EQ(Cli("render " + spectrum + " " + emf + " -o " + (dir / "pages") + " --format pdf").status, 0);
    std::array<char, 4096> buf{};
    std::string text;
    FILE* in = popen(("pdftotext " + (dir / "pages/SPECTRUM.pdf") + " -").c_str(), "r");
    ASSERT_NE(in, nullptr);
    for (size_t n; (n = fread(buf.data(), 1, buf.size(), in)) > 0;)
        text.append(buf.data(), n);
    pclose(in);
    for (const char* want : {"Spectrum Analyzer Quarn2", "Center: 947.5000 MHz", "Markers Trace A"})
        EXPECT_NE(text.find(want), std::string::npos) << want << "\n" << text;
    EXPECT_TRUE(std::filesystem::exists(dir / "pages/EMF.pdf"));

    ASSERT_EQ(Cli("render " + spectrum + " -o " + (dir / "page.svg")).status, 0);
    QFile svg(QString::fromStdString(dir / "page.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&svg);
    QStringList texts;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text"))
            texts << xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(texts.contains("Spectrum Analyzer Quarn2")) << texts.join("|").toStdString();

    // Trace B's columns: asked for, they come (empty where trace B has no data); both gives A then B.
    ASSERT_EQ(Cli("export-csv " + spectrum + " -o " + (dir / "b.csv") + " --trace B").status, 0);
    ASSERT_EQ(Cli("export-csv " + spectrum + " -o " + (dir / "ab.csv") + " --trace both").status, 0);
    const std::string b = fl::test::ReadFile(dir / "b.csv"), ab = fl::test::ReadFile(dir / "ab.csv");
    EXPECT_EQ(b.substr(0, b.find("\r\n")), "Frequency (Hz),Trace B min (dBm),Trace B max (dBm)");
    EXPECT_EQ(ab.substr(0, ab.find("\r\n")),
              "Frequency (Hz),Trace A min (dBm),Trace A max (dBm),Trace B min (dBm),Trace B max (dBm)");
    EXPECT_EQ(Cli("export-csv " + spectrum + " -o " + (dir / "x.csv") + " --trace C").status, 2);  // usage
}
