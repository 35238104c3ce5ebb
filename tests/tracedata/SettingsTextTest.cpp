#include <gtest/gtest.h>

#include "Archive.h"
#include "CMyQuarnDoc.h"
#include "ParseHelpers.h"
#include "SampleTraces.h"
#include "SettingsText.h"
#include "StoredLayout.h"
#include "TestUtil.h"
#include "Units.h"

using namespace fl;
using fl::test::SamplePath;

namespace {

std::vector<std::string> TextOf(const std::string& source, test::TempDir& dir) {
    std::string error;
    EXPECT_TRUE(WriteSettingsText(source, &error, dir / "~tmpfile.txt")) << error;
    return test::SplitLines(test::ReadFile(dir / "~tmpfile.txt"));
}

std::string Find(const std::vector<std::string>& lines, const std::string& prefix) {
    for (const auto& l : lines)
        if (l.rfind(prefix, 0) == 0) return l;
    return "<missing " + prefix + ">";
}

}  // namespace

TEST(SettingsText, LineContainerIsCopiedLineByLine) {
    test::TempDir dir;
    std::vector<std::string> lines;
    for (int i = 0; i < 40; ++i)
        lines.push_back("LINE " + std::to_string(i) + (i == 7 ? std::string(300, 'x') : ""));
    test::WriteFile(dir / "forty.qtr", sim::LineContainerBytes(lines));
    EXPECT_EQ(TextOf(dir / "forty.qtr", dir), lines);
    EXPECT_EQ(test::ReadFile(dir / "~tmpfile.txt").back(), '\n');
}

TEST(SettingsText, PointEncoding) {
    std::vector<double> pts(1002, 0.0);
    pts[0] = -200.0;
    pts[2] = 209.5;
    pts[4] = -999.0;  // missing point: nearest end of the range
    pts[6] = 500.0;
    pts[8] = -45.3;
    const std::string all = EncodePointData(pts, false);
    ASSERT_EQ(all.size(), 1503u);
    EXPECT_EQ(all.substr(0, 18), "000FFF000FFF60B7D0");
    EXPECT_EQ(EncodePointData(pts, true).size(), 3006u);
    EXPECT_EQ(EncodePointData(pts, true).substr(1503, 3), "7D0");  // first odd point after all even ones
    // Every code survives decode and encode unchanged.
    for (int h = 0; h < 4096; ++h) {
        std::vector<double> one(1002, RoundTo(h * 0.1 - 200.0, 1));
        char expect[4];
        std::snprintf(expect, sizeof expect, "%03X", h);
        ASSERT_EQ(EncodePointData(one, false).substr(0, 3), expect) << h;
    }
}

TEST(SettingsText, TraceNameFromPath) {
    EXPECT_EQ(TraceNameFromPath("/traces/GSM900_SITE_A.qtr"), "GSM900_SITE");
    EXPECT_EQ(TraceNameFromPath("/traces/a.b.qtm"), "a");
    EXPECT_EQ(TraceNameFromPath("short.qtm"), "short");
    // Stored files from the home platform name their source with backslashes.
    EXPECT_EQ(TraceNameFromPath("C:\\traces\\GSM900_SITE_A.qtr"), "GSM900_SITE");
}

TEST(SettingsText, CheckLineAndDeviceNameReadBackAsTheyWere) {
    // The check date as read keeps its separating comma: written back it must not gain another one.
    CMyQuarnDoc d;
    ParseTraceText(
        "# SERVice:CHECk:LAST 2026,3,12,'J. Berger'\nSYSTem:DNAMe 'Stra\xDF"
        "e M\xFC"
        "hle \xE9t\xE9'\n",
        s_parsed);
    d.TakeOver(s_parsed, s_docEnv);
    const auto lines = SettingsLines(d, "T");
    auto line = [&](const std::string& start) {
        for (const auto& l : lines)
            if (l.rfind(start, 0) == 0) return l;
        return std::string();
    };
    EXPECT_EQ(line("# SERVice:CHECk:LAST "), "# SERVice:CHECk:LAST 2026,3,12,'J. Berger'");
    // Windows-1252 letters are upper-cased like ASCII ones (ß has no capital and stays).
    EXPECT_EQ(line("# SYSTem:DNAMe "),
              "# SYSTem:DNAMe 'STRA\xDF"
              "E M\xDC"
              "HLE \xC9T\xC9'");
    // Read back, the name of the check is the name alone.
    std::string text;
    for (const auto& l : lines)
        text += l + "\n";
    ParseTraceText(text, s_parsed);
    EXPECT_EQ(s_parsed.m_strCheckLastBy, d.m_strCheckLastBy);
    EXPECT_EQ(s_parsed.m_strCheckLast, d.m_strCheckLast);
}

TEST(SettingsText, KeywordNormaliser) {
    const std::pair<const char*, const char*> cases[] = {
        {"imp75", "IMP75"},
        {"video", "VIDeo"},
        {"continuous", "CONTinuous"},
        {"upplow", "UPPLow"},
        {"Video", "Video"},
        {"ON", "ON"},
        {"", ""},
    };
    for (auto [in, out] : cases)
        EXPECT_EQ(NormaliseKeyword(in), out);
}

TEST(SettingsText, StoredTraceOfEveryVersionUsesItsOwnLayout) {
    test::TempDir dir;
    const auto spectrum = TextOf(SamplePath("SPECTRUM.qtm"), dir);
    EXPECT_EQ(spectrum.front(), "# TRACE SPECTRUM;   created: 23.03.2026 12:35:19");
    EXPECT_EQ(Find(spectrum, "# *IDN"), "# *IDN 'ZARNELL, Quarn2, 1008742, 2.31'");
    EXPECT_EQ(Find(spectrum, "INSTrument:SELect"), "INSTrument:SELect SANalyzer");
    EXPECT_EQ(Find(spectrum, "SENSe:FREQuency:CENTer"), "SENSe:FREQuency:CENTer 947500000.0");
    EXPECT_EQ(Find(spectrum, "DISPlay:TRACe:Y:SCALe"), "DISPlay:TRACe:Y:SCALe 10");
    EXPECT_EQ(Find(spectrum, "# MMEMory:STORe:LIMit"),
              "# MMEMory:STORe:LIMit 'GSM_MASK',1,0,1.5,250,1.5,1,250,1.5,500,1.5,2,0,7.5,500,7.5");
    EXPECT_EQ(spectrum.back(), "# SENSe:TRACe:DATa:LIMit NA");
    for (const char* name : {"SPECTRUM_A.qtm", "SPECTRUM_C.qtm", "SPECTRUM_E.qtm", "SPECTRUM_U.qtm"}) {
        const auto lines = TextOf(SamplePath(name), dir);
        EXPECT_EQ(Find(lines, "SENSe:FREQuency:CENTer"), "SENSe:FREQuency:CENTer 947500000.0") << name;
        EXPECT_EQ(Find(lines, "SENSe:TRACe:DATa"), Find(spectrum, "SENSe:TRACe:DATa")) << name;
    }
}

TEST(SettingsText, RoundTripThroughTheParserKeepsSettingsAndPoints) {
    test::TempDir dir;
    for (const char* name : {"SPECTRUM", "CPOWER", "DTF_DB", "TRANS_ABS", "ZERO_SPAN", "SPEC_Q1"}) {
        CMyQuarnDoc original;
        ASSERT_TRUE(original.Load(SamplePath(std::string(name) + ".qtm")).ok());
        const auto lines = TextOf(SamplePath(std::string(name) + ".qtm"), dir);
        ParseRecord rec;
        ParseTraceText(sim::JoinLines(lines), rec);
        EXPECT_EQ(rec.m_dCenter, original.m_dCenter) << name;
        EXPECT_EQ(rec.m_dSpan, original.m_dSpan) << name;
        EXPECT_EQ(rec.m_arrTraceA, original.m_arrTraceA) << name;
        EXPECT_EQ(rec.m_strSweepState, original.m_strSweepState) << name;
        for (int e = 1; e <= 4; ++e) {
            EXPECT_EQ(rec.m_arrMarkerStateA[e], original.m_arrMarkerStateA[e]) << name << e;
            EXPECT_NEAR(rec.m_arrMarkerFreqA[e], original.m_arrMarkerFreqA[e], 0.1) << name << e;
            EXPECT_NEAR(rec.m_arrMarkerDistA[e], original.m_arrMarkerDistA[e], 0.002) << name << e;
        }
    }
}

TEST(SettingsText, ChannelPowerCommentsOutTheSweepLines) {
    test::TempDir dir;
    const auto lines = TextOf(SamplePath("CPOWER.qtm"), dir);
    EXPECT_EQ(Find(lines, "# SENSe:FREQuency:SPAN"), "# SENSe:FREQuency:SPAN 15000000.0");
    EXPECT_EQ(Find(lines, "# SENSe:FREQuency:CENTer"), "# SENSe:FREQuency:CENTer 2140000000.0");
    EXPECT_EQ(Find(lines, "# SENSe:BANDwidth:RESolution"), "# SENSe:BANDwidth:RESolution 100000.0");
    EXPECT_EQ(Find(lines, "# SENSe:SWEep:TIMe"), "# SENSe:SWEep:TIMe 0.1000");
    EXPECT_EQ(Find(lines, "SENSe:FREQuency:SPAN"), "<missing SENSe:FREQuency:SPAN>");
    EXPECT_EQ(
        Find(lines, "MMEMory:STORe:CHANnel"),
        "MMEMory:STORe:CHANnel '',10838,10562,3840000.0,5000000.0,2112400000.0,0.0,1,10562,2112400000.0,2,"
        "10563,2112600000.0");
    EXPECT_EQ(Find(lines, "SENSe:BANDwidth:VIDeo "), "SENSe:BANDwidth:VIDeo 300000.0");
}

TEST(SettingsText, ModelAdaptsTheSpectrumKeyword) {
    test::TempDir dir;
    EXPECT_EQ(Find(TextOf(SamplePath("SPEC_Q1.qtm"), dir), "INSTrument:SELect"),
              "INSTrument:SELect SANalizer");
    CMyQuarnDoc doc;
    doc.m_strMode = "SANalizer";
    doc.m_strModel = "Quarn2";
    EXPECT_EQ(Find(SettingsLines(doc, "X"), "INSTrument:SELect"), "INSTrument:SELect SANalyzer");
    doc.m_strMode = "cpower";
    EXPECT_EQ(Find(SettingsLines(doc, "X"), "INSTrument:SELect"), "INSTrument:SELect CPOWer");
}

TEST(SettingsText, UnreadableSourceFailsAndRemovesStaleText) {
    test::TempDir dir;
    const std::string out = dir / "~tmpfile.txt";
    ASSERT_TRUE(WriteSettingsText(SamplePath("SPECTRUM.qtr"), nullptr, out));
    ASSERT_TRUE(std::filesystem::exists(out));
    struct Case {
        std::string name;
        std::string bytes;
    };
    const std::string good = test::ReadFile(SamplePath("SPECTRUM.qtm"));
    const Case cases[] = {
        {"missing.qtm", ""},
        {"bad.qtm", "Zzz"},
        {"short.qtm", good.substr(0, 500)},
        {"short.qtr", std::string("a\x09"
                                  "abc",
                                  5)},
    };
    for (const auto& c : cases) {
        if (c.name != "missing.qtm") test::WriteFile(dir / c.name, c.bytes);
        ASSERT_TRUE(WriteSettingsText(SamplePath("SPECTRUM.qtr"), nullptr, out));
        std::string error;
        EXPECT_FALSE(WriteSettingsText(dir / c.name, &error, out)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.name << ": stale text left behind";
    }
}

TEST(SettingsText, TheTraceMathOffsetIsTheInstrumentsOwn) {
    // The trace texts carry offsets of 7 (normalised transmission) and 0 (spectrum) divisions.
    for (auto [sample, offset] : {std::pair{"TRANS_NORM.qtr", "7.0"}, std::pair{"SPECTRUM.qtr", "0.0"}}) {
        CMyQuarnDoc d;
        ASSERT_TRUE(d.Load(test::SamplePath(sample)).ok());
        bool found = false;
        for (const auto& l : SettingsLines(d, "T"))
            if (l.rfind("SENSe:TRACe:MATH:OFFSet ", 0) == 0) {
                EXPECT_EQ(l, std::string("SENSe:TRACe:MATH:OFFSet ") + offset) << sample;
                found = true;
            }
        EXPECT_TRUE(found) << sample;
    }
}
