#include <gtest/gtest.h>

#include "AsciiExport.h"
#include "CMyQuarnDoc.h"
#include "SettingsText.h"
#include "TestUtil.h"
#include "TraceTextEdit.h"

using namespace fl;
using fl::test::SamplePath;

namespace {

std::vector<std::string> Report(const std::string& sample, bool semicolon = true, bool showTraceB = false) {
    CMyQuarnDoc doc;
    EXPECT_TRUE(doc.Load(SamplePath(sample)).ok());
    if (showTraceB) doc.m_bShowTraceB = 1;
    return test::SplitLines(AsciiReportText(doc, semicolon), "\r\n");
}

std::vector<std::string> ReportOf(const CMyQuarnDoc& doc) {
    return test::SplitLines(AsciiReportText(doc, true), "\r\n");
}

// The spectrum sample with some settings changed.
CMyQuarnDoc Spectrum(std::initializer_list<std::pair<const char*, const char*>> settings) {
    auto lines = test::ContainerLines(SamplePath("SPECTRUM.qtr"));
    for (auto [key, value] : settings)
        lines = test::With(lines, key, value);
    return test::FromText(lines);
}

// `block` stands in the report line after line, starting at the line that equals its first entry.
void ExpectBlock(const std::vector<std::string>& r, const std::vector<std::string>& block) {
    size_t at = 0;
    while (at < r.size() && r[at] != block.front())
        ++at;
    ASSERT_LT(at, r.size()) << "no line " << block.front();
    for (size_t i = 0; i < block.size(); ++i) {
        ASSERT_LT(at + i, r.size()) << "report ends before " << block[i];
        EXPECT_EQ(r[at + i], block[i]) << "line " << i << " of the block from " << block.front();
    }
}

int IndexOf(const std::vector<std::string>& lines, const std::string& line) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == line) return static_cast<int>(i);
    return -1;
}

}  // namespace

TEST(AsciiExport, SpectrumReportLines) {
    const auto r = Report("SPECTRUM.qtr");
    const std::vector<std::string> head = {
        "Device Name;SITE NORTH 7",
        "Trace File;SPECTRUM",
        "Trace Date;23.03.2026 12:35:19",
        "Instrument Mode;Spectrum Analysis",
        "External Device State;-",
        "External Reference;OFF",
        "Impedance[Ohm];50",
        "Center[Hz];947500000",
        "Span[Hz];5000000",
        "Ref. Level[dBm];-10.0",
        "Level Scale[dB];10",
        "Attenuation[dB];10",
        "RBW[Hz];30000",
        "VBW[Hz];30000",
        "SWT[s];0,050",
    };
    // SWT carries a '.' that is not replaced: only Center, Span and trace rows use decimal commas.
    std::vector<std::string> expect = head;
    expect.back() = "SWT[s];0.050";
    ASSERT_GE(r.size(), expect.size());
    for (size_t i = 0; i < expect.size(); ++i)
        EXPECT_EQ(r[i], expect[i]) << i;
    for (const char* l : {"[Limits]",
                          "Limits State;ON",
                          "Limits Memory;GSM_MASK",
                          "Limits Fail Couter;2",
                          "[Instrument]",
                          "Company;ZARNELL",
                          "Calibrate;12.03.2026",
                          "Last Check by;J. Berger",
                          "[GPS]",
                          "Quality;OK",
                          "Altitude;545.4 m",
                          "[MARKER]",
                          "Marker Trace A;Frequency[Hz];Level[dBm]",
                          "M1;946800000;-31.9",
                          "D3;1600000;-23.4",
                          "M4;OFF",
                          "M10;OFF",
                          "[Trace A]",
                          "Frequency[Hz];Min Level[dBm];Max Level[dBm]",
                          "945000000;-97,200;-95,400"})
        EXPECT_GE(IndexOf(r, l), 0) << l;
    EXPECT_EQ(IndexOf(r, "[Trace B]"), -1);
    EXPECT_EQ(IndexOf(r, "Marker Trace B;Frequency[Hz];Level[dBm]"), -1);
    // 501 trace rows, the last at the span's upper edge.
    const int first = IndexOf(r, "Frequency[Hz];Min Level[dBm];Max Level[dBm]");
    EXPECT_EQ(r.size(), static_cast<size_t>(first + 1 + 501));
    EXPECT_EQ(r.back().substr(0, 10), "950000000;");
}

TEST(AsciiExport, TabSeparatorAndDecimalComma) {
    const auto r = Report("SPECTRUM.qtr", false);
    EXPECT_EQ(r[7], "Center[Hz]\t947500000");
    EXPECT_GE(IndexOf(r, "945000000\t-97,200\t-95,400"), 0);
}

TEST(AsciiExport, TraceBAndSimpleLimits) {
    // A file opens with trace B hidden; only a shown trace B is reported.
    EXPECT_EQ(IndexOf(Report("SPEC_TRACEB.qtr"), "[Trace B]"), -1);
    const auto r = Report("SPEC_TRACEB.qtr", true, true);
    for (const char* l :
         {"Trace B Mode;MAX", "Simple Limits State;ON", "Simple Limits Upper[div];6.5",
          "Simple Limits Lower[divB];1.0", "Marker Trace B;Frequency[Hz];Level[dBm]", "[Trace B]"})
        EXPECT_GE(IndexOf(r, l), 0) << l;
}

TEST(AsciiExport, ModeSections) {
    struct Case {
        const char* sample;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"CPOWER.qtr",
         {"Instrument Mode;Channel Power", "[Measurement]", "Channel System Memory;UMTS_B1",
          "First Channel;10562", "Last Channel;10838", "Channel Width[Hz];3840000",
          "Measure Mode;Channel Power", "Channel Span;FULL", "Actual Channel;10700", "Channel OBW;99"}},
        {"DTF_DB.qtr",
         {"Instrument Mode;Distance to Fault", "Cable Type;RG213", "Reference[dB];0.0", "[Distance to Fault]",
          "Cable Length[m];50.00", "Cable Dielectric;0.66", "Cable Attenuation[dB/m];6.50",
          "Cut Off Frequency[Hz];3000000000", "[External Device]", "Type;DC-BLOCK 18 GHz",
          "Cal. Date;2026,1,5", "Marker Trace A;Distance[m];Reference[dB]",
          "Distance[m];Min Level[dB];Max Level[dB]"}},
        {"RFL_VSWR.qtr", {"Max VSWR;3.00", "Filter[Hz];1000", "Detect Mode;VECTOR"}},
        {"RFL_RHO.qtr", {"Max Refl.Factor[mRho];800"}},
        {"RFL_POWER.qtr", {"Max Refl.Power[%];50"}},
        {"RFL_RL.qtr", {"Reference[dB];0.0"}},
        {"TRANS_NORM.qtr",
         {"Instrument Mode;Transmission", "Reference[dB];10.0", "[Measurement]", "Output Power[dBm];-10.0",
          "Normalize A/B;Normalized/Not Normalized", "[Trigger]"}},
        {"CABLE_LOSS.qtr",
         {"Instrument Mode;Cable Loss", "Average Cable Loss[dB];3.4", "Detect Mode;SCALAR"}},
        {"EMF.qtr",
         {"Antenna Factor State;ISO_ANT", "Cable Factor State;-", "Measure Time[s];6.00",
          "Electrical Field Strength[V/m];12.300 mV/m",
          "Ref. Level[dB\xB5V/m];227.0"}},  // 120 dBm + 106.9897
        {"ZERO_SPAN.qtr",
         {"Span[Hz];0", "Trigger;VIDEO", "Trigger Edge;POSITIVE", "Trigger Level[dBm];-40.0",
          "Marker Trace A;Time[s];Level[dBm]", "Time[s];Min Level[dBm];Max Level[dBm]",
          "0,000000;-25,400;-24,500"}},
        {"OBW.qtr", {"[Measurement]", "Measure Mode;OBW", "OBW;99", "OBW Result[Hz];246000"}},
        {"ACPR.qtr", {"Measure Mode;ACPR"}},
        {"SPEC_MV75.qtr", {"Impedance[Ohm];75", "Ref. Level[mV];86.60", "Level Scale[mV];50"}},
    };
    for (const auto& c : cases) {
        const auto r = Report(c.sample);
        for (const auto& l : c.lines)
            EXPECT_GE(IndexOf(r, l), 0) << c.sample << ": " << l;
    }
}

TEST(AsciiExport, FileNameProposal) {
    EXPECT_EQ(ProposeAsciiFileName("GSM900"), "GSM900.TXT");
    EXPECT_EQ(ProposeAsciiFileName("trace active 3"), "active.TXT");
    EXPECT_EQ(ProposeAsciiFileName("2026/03/05"), ".TXT");
}

TEST(AsciiExport, UncreatableFileIsReported) {
    CMyQuarnDoc doc;
    std::string error;
    EXPECT_FALSE(WriteAsciiReport(doc, "/nonexistent-folder/x.TXT", true, &error));
    EXPECT_NE(error.find("/nonexistent-folder/x.TXT"), std::string::npos);
    test::TempDir dir;
    EXPECT_TRUE(WriteAsciiReport(doc, dir / "x.TXT", true, &error));
    EXPECT_EQ(test::ReadFile(dir / "x.TXT").substr(0, 14), "Device Name;\r\n");
}

TEST(AsciiExport, SectionsStandInOrder) {
    struct Case {
        const char* what;
        CMyQuarnDoc doc;
        std::vector<std::string> block;
    };
    const Case cases[] = {
        {"frequency counter",
         Spectrum({{"CALCulate:MARKer:A:STATe", "COUNter"},
                   {"CALCulate:MARKer:FCOunt", "947512345.6"},
                   {"CALCulate:MARKer:FCOunt:RESolution", "10"}}),
         {"Limits Fail Couter;2", "[Frequency Counter]", "Frequency Counter State;ON", "Result[Hz];947512346",
          "Counter Resolution[Hz];10", "[Instrument]"}},
        // The channel power of -20.5 dBm is 86.4897 dBuV, the reference of -10 dBm 96.9897 dBuV and the
        // trigger of -40 dBm 66.9897 dBuV: every value under the unit label is in that unit.
        {"spectrum channel power in dBuV",
         Spectrum({{"SENSe:REFLevel:UNIT", "DBUV"},
                   {"SENSe:MEASure", "CPOWer"},
                   {"SENSe:MEASure:CHANnel:WIDTh", "200000"},
                   {"SENSe:MEASure:CHANnel:SPACing", "250000"},
                   {"CALCulate:MEASure:CPOWer", "-20.5"},
                   {"SENSe:TRIGger", "VIDeo"},
                   {"SENSe:TRIGger:LEVel", "-40.0"}}),
         {"[Measurement]", "Measure Mode;Channel Power", "Channel Width[Hz];200000",
          "Channel Spacing[Hz];250000", "Channel Power Result[dB\xB5V];86.5", "[Trigger]", "Trigger;VIDEO",
          "Trigger Edge;POSITIVE", "Trigger Level[dB\xB5V];67.0", "[Limits]"}},
        {"reference in dBuV",
         Spectrum({{"SENSe:REFLevel:UNIT", "DBUV"}}),
         {"Ref. Level[dB\xB5V];97.0", "Level Scale[dB];10"}},
        // -12.5 dBm at 50 Ohm: sqrt(10^-1.25 * 0.001 * 50) = 53.03 mV.
        {"spectrum ACPR in mV",
         Spectrum({{"SENSe:REFLevel:UNIT", "MV"},
                   {"SENSe:MEASure", "ACPR"},
                   {"SENSe:MEASure:CHANnel:WIDTh", "200000"},
                   {"SENSe:MEASure:CHANnel:SPACing", "200000"},
                   {"# CALCulate:MEASure:ACPR", "-45.2,-12.5,-47.8"}}),
         {"[Measurement]", "Measure Mode;ACPR", "Channel Width[Hz];200000", "Channel Spacing[Hz];200000",
          "ACPR Main[mV];53.0", "ACPR Left[dB];-45.2", "ACPR Right[dB];-47.8", "[Trigger]"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectBlock(ReportOf(c.doc), c.block);
    }
}

TEST(AsciiExport, EmfPowerDensityPositiveAndNegative) {
    const auto emf = test::ContainerLines(SamplePath("EMF.qtr"));
    struct Case {
        const char* measure;
        const char* value;
        const char* line;
    };
    const Case cases[] = {
        {"PDENsity", "0.0123", "Power Density[W/m\xB2];12.300 mW/m\xB2"},
        {"PDENsity", "-0.0123", "Power Density[W/m\xB2];-12.300 mW/m\xB2"},
        {"EFIeld", "-123.4", "Electrical Field Strength[V/m];-123.40 V/m"},
        {"EFIeld", "-1234.5", "Electrical Field Strength[V/m];-1.2345 kV/m"},
        {"EFIeld", "-0.0000005", "Electrical Field Strength[V/m];-500.00 nV/m"},
    };
    for (const auto& c : cases) {
        auto lines =
            test::With(test::With(emf, "SENSe:EMF:MEASure", c.measure), "# CALCulate:MEASure:EMF", c.value);
        ExpectBlock(ReportOf(test::FromText(lines)),
                    {"[Measurement]", std::string("Measure Mode;") + c.measure, "Measure Time[s];6.00",
                     c.line, "[Trigger]"});
    }
}

TEST(AsciiExport, NegativeSpanIsAFrequencyRange) {
    // 947.5 MHz with a span of -5 MHz runs from 950 MHz down to 945 MHz.
    const CMyQuarnDoc d = Spectrum({{"SENSe:FREQuency:SPAN", "-5000000"}});
    const auto r = ReportOf(d);
    EXPECT_GE(IndexOf(r, "Span[Hz];-5000000"), 0);
    EXPECT_GE(IndexOf(r, "Marker Trace A;Frequency[Hz];Level[dBm]"), 0);
    EXPECT_EQ(IndexOf(r, "Marker Trace A;Time[s];Level[dBm]"), -1);
    // The marker at 946.8 MHz lies inside the range and stays on.
    EXPECT_EQ(d.m_arrUserStateA[1], NORMal);
    const int rows = IndexOf(r, "Frequency[Hz];Min Level[dBm];Max Level[dBm]");
    ASSERT_GE(rows, 0);
    EXPECT_EQ(r[static_cast<size_t>(rows) + 1].substr(0, 10), "950000000;");
    EXPECT_EQ(r.back().substr(0, 10), "945000000;");
}

TEST(AsciiExport, Quarn1DeltaMarkerIsReportedRelativeToMarkerA) {
    // Marker A at 947.6 MHz, the delta marker 0.8 MHz after it.
    const auto r = Report("SPEC_Q1.qtr");
    const int at = IndexOf(r, "Marker Trace A;Frequency[Hz];Level[dBm]");
    ASSERT_GE(at, 0);
    EXPECT_EQ(r[static_cast<size_t>(at) + 1].substr(0, 13), "M1;947600000;");
    EXPECT_EQ(r[static_cast<size_t>(at) + 2].substr(0, 10), "D2;800000;");
}

TEST(AsciiExport, EachTraceConvertsAtItsOwnImpedance) {
    // -10 dBm at 75 Ohm is sqrt(0.1 * 0.001 * 75) = 86.60 mV; opening a 50 Ohm trace afterwards must not
    // change the report or the settings text of the 75 Ohm one.
    test::TempDir dir;
    auto made = [&](bool openOtherFirst) {
        CMyQuarnDoc mv75;
        EXPECT_TRUE(mv75.Load(SamplePath("SPEC_MV75.qtr")).ok());
        CMyQuarnDoc other;
        if (openOtherFirst) {
            EXPECT_TRUE(other.Load(SamplePath("SPECTRUM.qtr")).ok());
        }
        std::string error;
        EXPECT_TRUE(WriteSettingsText(SamplePath("SPEC_MV75.qtm"), &error, dir / "~tmpfile.txt")) << error;
        return std::pair{AsciiReportText(mv75, true), test::ReadFile(dir / "~tmpfile.txt")};
    };
    const auto alone = made(false);
    const auto after = made(true);
    EXPECT_EQ(after.first, alone.first);
    EXPECT_EQ(after.second, alone.second);
    const auto r = test::SplitLines(alone.first, "\r\n");
    EXPECT_GE(IndexOf(r, "Ref. Level[mV];86.60"), 0);
    EXPECT_NE(alone.second.find("\nSENSe:REFLevel -10.0\n"), std::string::npos);
}
