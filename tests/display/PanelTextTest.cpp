#include <gtest/gtest.h>

#include "CMyQuarnDoc.h"
#include "PageCanvas.h"
#include "PanelText.h"
#include "TestUtil.h"
#include "Text.h"

using namespace fl;

TEST(PanelText, ModeNamesAndCaptions) {
    const std::pair<const char*, const char*> modes[] = {
        {"SANalyzer", "Spectrum Analysis"},
        {"SANalizer", "Spectrum Analysis"},
        {"CPOWer", "Channel Power"},
        {"DTF", "Distance to Fault"},
        {"TRANsmission", "Transmission"},
        {"SGENerator", "Signal Generator"},
        {"RFLection", "Reflection"},
        {"CLOSs", "Cable Loss"},
        {"EMF", "EMF (EMI)"},
        {"PSENsor", "PSENsor"},
    };
    for (auto [k, name] : modes)
        EXPECT_EQ(ModeDisplayName(k), name);
    EXPECT_EQ(DetectorCaption(0), "Pos./Neg.");
    EXPECT_EQ(DetectorCaption(6), "Vector");
    EXPECT_EQ(DetectorCaption(7), "");
    EXPECT_EQ(DetectorCaption(-1), "");
    EXPECT_EQ(TraceModeCaption(5), "(OFF)");
    EXPECT_EQ(TraceModeCaption(9), "");
    EXPECT_EQ(PanelKeyword("IMP75"), "75 Ohm");
    EXPECT_EQ(PanelKeyword("UPPLow"), "Upper&Lower");
    EXPECT_EQ(PanelKeyword("strange"), "strange");
}

TEST(PanelText, KeywordsReadAsTextsAndRowsFollowTheMeasurement) {
    CMyQuarnDoc spectrum;
    spectrum.m_strMode = "SANalyzer";
    spectrum.m_strMeasure = "NONe";
    auto value = [](const Panel& p, const std::string& caption) {
        for (const auto& r : p.rows)
            if (r.caption == caption) return r.value;
        return std::string("<none>");
    };
    EXPECT_EQ(value(StatusPanel(spectrum, false), "Measure Mode"), "None");
    spectrum.m_strMeasure = "CPOWer";
    EXPECT_EQ(value(StatusPanel(spectrum, false), "Measure Mode"), "Channel Power");
    // The OBW percentage row belongs to OBW measurements of channel power only.
    CMyQuarnDoc cpower;
    cpower.m_strMode = "CPOWer";
    cpower.m_nCpowerObw = 99;
    for (auto [measure, shown] : {std::pair{"ACPR", false}, {"CPOWer", false}, {"OBW", true}}) {
        cpower.m_strCpowerMeasure = measure;
        EXPECT_EQ(value(StatusPanel(cpower, false), "OBW") == "99", shown) << measure;
    }
    // The GPS heading is the receiver status caption.
    CMyQuarnDoc gps;
    for (auto [quality, heading] : {std::pair{"OK", "GPS - Data OK"},
                                    {"WARNing", "GPS - Receiver warning"},
                                    {"FAIL", "GPS - No valid data"}}) {
        gps.m_strGpsQuality = quality;
        EXPECT_EQ(GpsPanel(gps).heading, heading);
    }
    gps.m_dGpsAltitude = 12.0;
    gps.m_nGpsSel2 = 0;
    EXPECT_EQ(value(GpsPanel(gps), "Altitude"), "12.0 m");
}

TEST(PanelText, FrequencyTexts) {
    const std::pair<double, const char*> cases[] = {
        {0, "0 Hz"},
        {7, "7 Hz"},
        {12, " 12 Hz"},
        {5000, "5.000 kHz"},
        {500000, "500.000 kHz"},
        {2000000, "2.000000 MHz"},
        {15000000, "15.00000 MHz"},
        {947500000, "947.5000 MHz"},
        {1800000000, "1.800000 GHz"},
    };
    for (auto [hz, text] : cases)
        EXPECT_EQ(FrequencyText(hz), text) << hz;
}

TEST(PanelText, LevelPanelReferenceAndScaleRows) {
    struct Case {
        double vswr;
        const char* text;
    };
    for (auto [vswr, text] : {Case{150, "150.0"}, Case{15, "15.00"}, Case{1.5, "1.500"}}) {
        CMyQuarnDoc d;
        d.m_strMode = "RFLection";
        d.m_strRflRefUnit = "VSWR";
        d.m_dRflRefVswr = vswr;
        d.RunPostReadSteps();
        Panel p = LevelPanel(d, false);
        ASSERT_EQ(p.rows.size(), 5u);
        EXPECT_EQ(p.rows[2].caption, "Max VSWR");
        EXPECT_EQ(p.rows[2].value, text);
        EXPECT_EQ(p.rows[4].value, "10.000 VSWR/div");
    }
    CMyQuarnDoc dtf;
    dtf.m_strMode = "DTF";
    dtf.RunPostReadSteps();
    EXPECT_EQ(LevelPanel(dtf, false).rows[1].value, "User defined");
    CMyQuarnDoc emf;
    emf.m_strMode = "EMF";
    emf.RunPostReadSteps();
    EXPECT_EQ(LevelPanel(emf, false).rows.size(), 6u);
    EXPECT_EQ(LevelPanel(emf, false).rows[2].caption, "Cable. Factor");
    EXPECT_EQ(LevelPanel(emf, true).rows[2].caption, "Cable Factor");
}

TEST(PanelText, StatusAndDevicePanelsFollowTheMode) {
    CMyQuarnDoc doc;
    ASSERT_TRUE(doc.Load(test::SamplePath("ZERO_SPAN.qtr")).ok());
    Panel s = StatusPanel(doc, false);
    EXPECT_EQ(s.rows[0].value, "Spectrum Analysis");
    EXPECT_EQ(s.rows[1].value, "935.2000 MHz");
    EXPECT_EQ(s.rows[2].value, "0 Hz");
    EXPECT_EQ(s.rows[6].value, "Video");
    EXPECT_EQ(s.rows[7].caption, "Trigger Level");
    EXPECT_EQ(s.rows[8].value, "Positive");
    EXPECT_FALSE(HasExternalDevicePanel("Spectrum Analysis"));
    for (const char* m : {"Distance to Fault", "Reflection", "Cable Loss", "EMF (EMI)"})
        EXPECT_TRUE(HasExternalDevicePanel(m));
    CMyQuarnDoc dtf;
    ASSERT_TRUE(dtf.Load(test::SamplePath("DTF_DB.qtr")).ok());
    EXPECT_EQ(ExternalDevicePanel(dtf).rows[0].value, "DC-BLOCK 18 GHz");
    EXPECT_EQ(InstrumentPanel(dtf).rows[4].value, "12.03.2026 by J. Berger");
    EXPECT_EQ(GpsPanel(dtf).heading, "GPS - Data OK");
}

TEST(PanelText, MarkerLines) {
    CMyQuarnDoc doc;
    ASSERT_TRUE(doc.Load(test::SamplePath("SPECTRUM.qtr")).ok());
    auto lines = MarkerLines(doc, 'A');
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "M1 -31.9 dBm 946.8000 MHz");
    EXPECT_EQ(lines[2].substr(0, 3), "D3 ");
    EXPECT_NE(lines[2].find(" dB 1.600000 MHz"), std::string::npos) << lines[2];
    CMyQuarnDoc dtf;
    ASSERT_TRUE(dtf.Load(test::SamplePath("DTF_DB.qtr")).ok());
    EXPECT_NE(MarkerLines(dtf, 'A')[0].find("12.50 m"), std::string::npos);
    // A Quarn1 delta marker (held relative, 0.8 MHz after marker A at 947.6 MHz) reads as 0.8 MHz, and it
    // stands on the trace where marker A plus 0.8 MHz lies: 948.4 MHz.
    CMyQuarnDoc q1;
    ASSERT_TRUE(q1.Load(test::SamplePath("SPEC_Q1.qtr")).ok());
    const auto q = MarkerLines(q1, 'A');
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[1].substr(0, 3), "D2 ");
    EXPECT_NE(q[1].find(" dB 800.000 kHz"), std::string::npos) << q[1];
    EXPECT_NEAR(MarkerPosition(q1, 'A', 2), 948400000.002, 1e-3);
}

TEST(Cp1252, EveryByteSurvivesTheWayToUnicodeAndBack) {
    // The one code page both ways, at the Qt edge and as UTF-8: "€" is 0x80 (not Latin-1's control
    // character), the quotes and dashes of 0x91-0x97 are theirs, and the five bytes Windows-1252 leaves
    // undefined stand for themselves.
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(fl::ToCp1252(fl::FromCp1252(all)), all);
    EXPECT_EQ(fl::Utf8ToCp1252(fl::Cp1252ToUtf8(all)), all);
    const struct {
        const char* bytes;
        const char16_t* text;
    } cases[] = {{"\x80 \x93q\x94 \x96", u"\u20ac \u201cq\u201d \u2013"},
                 {"M\xDC"
                  "LLER \xB5V/m\xB2",
                  u"M\u00dcLLER \u00b5V/m\u00b2"},
                 {"\x81\x8D\x8F\x90\x9D", u"\u0081\u008d\u008f\u0090\u009d"}};
    for (const auto& c : cases) {
        EXPECT_EQ(fl::FromCp1252(c.bytes), QString::fromStdU16String(c.text)) << c.bytes;
        EXPECT_EQ(fl::ToCp1252(QString::fromStdU16String(c.text)), c.bytes) << c.bytes;
    }
    // What the code page lacks becomes "?" on the way out, never a different letter.
    EXPECT_EQ(fl::ToCp1252(QString::fromStdU16String(u"\u65e5\u0100x")), "??x");
    EXPECT_FALSE(fl::Utf8ToCp1252("\xE6\x97\xA5").has_value());
}
