// The settings text must set an instrument up like the trace it came from: read back through the parser
// and a take-over, it gives the same trace in every mode, unit and model.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <variant>

#include "Archive.h"
#include "AsciiExport.h"
#include "CMyQuarnDoc.h"
#include "SampleTraces.h"
#include "SettingsText.h"
#include "TestUtil.h"
#include "Text.h"
#include "TraceTextEdit.h"
#include "Units.h"

using namespace fl;
using fl::test::ContainerLines;
using fl::test::FromText;
using fl::test::With;

namespace {

CMyQuarnDoc ReadBack(const CMyQuarnDoc& d) {
    return FromText(SettingsLines(d, d.m_strTraceName));
}

bool Close(double a, double b) {
    return a == b || std::fabs(a - b) <= 1e-9 * std::max(1.0, std::max(std::fabs(a), std::fabs(b)));
}

// Fields the settings text carries, by the mode that writes them.
std::vector<std::string> CarriedFields(const std::string& mode) {
    std::vector<std::string> f = {
        "m_strTraceName",      "m_strCreated",       "m_strMaker",           "m_strModel",
        "m_strSerial",         "m_strFirmware",      "m_strCalDate",         "m_strBootVersion",
        "m_strCheckLast",      "m_strCheckLastBy",   "m_strCheckNext",       "m_strMode",
        "m_strImpedance",      "m_dAttenuation",     "m_strAttenuationAuto", "m_dScaleLog",
        "m_strRefLevelUnit",   "m_dRefLevel",        "m_strEdevFile",        "m_strEdevState",
        "m_dTransRef",         "m_strTransRefUnit",  "m_dCounterResolution", "m_strCounterExtRef",
        "m_dTraceMathOffset",  "m_strTraceMathA",    "m_strTraceMathB",      "m_nAvgFactor",
        "m_nTraceModeA",       "m_nTraceModeB",      "m_strSenseState",      "m_strSweepState",
        "m_nSweepCount",       "m_dResultObw",       "m_dResultAcprLower",   "m_dResultAcprMain",
        "m_dResultAcprUpper",  "m_dResultCpower",    "m_dCounterFreq",       "m_nMinMaxA",
        "m_strTraceDataLimit", "m_dLimitUpperLevel", "m_dLimitLowerLevel",   "m_arrLimitSegments",
    };
    auto add = [&](std::initializer_list<const char*> more) { f.insert(f.end(), more.begin(), more.end()); };
    if (mode == "CPOWer")
        add({"m_strChanFile",
             "m_nChanSysLast",
             "m_nChanSysFirst",
             "m_dChanSysWidth",
             "m_dChanSysSpacing",
             "m_dChanSysFirstCenter",
             "m_dChanSysValue4",
             "m_arrChanEntryInt1",
             "m_arrChanEntryInt2",
             "m_arrChanEntryReal",
             "m_nCpowerObw",
             "m_nCpowerChannel",
             "m_strCpowerSpan",
             "m_strCpowerMeasure",
             "m_dSpan",
             "m_dCenter",
             "m_dRbw",
             "m_dVbw",
             "m_strVbwAuto",
             "m_dSweepTime"});
    else
        add({"m_dSpan",
             "m_dCenter",
             "m_dRbw",
             "m_strRbwAuto",
             "m_dVbw",
             "m_strVbwAuto",
             "m_dSweepTime",
             "m_strSweepTimeAuto",
             "m_strTrigger",
             "m_dTriggerLevel",
             "m_strTriggerEdge",
             "m_strLimitFile",
             "m_arrLimitLines",
             "m_strLimitState",
             "m_dLimitUpper",
             "m_dLimitLower",
             "m_strLimitSimple",
             "m_nLimitFailCount",
             "m_nObwPercent",
             "m_dChannelWidth",
             "m_dChannelSpacing",
             "m_strMeasure",
             "m_nDetector"});
    if (mode == "DTF")
        add({"m_strCableLengthUnit", "m_dCableLength", "m_dDtfRef", "m_dDtfRefRfactor", "m_strDtfRefUnit",
             "m_strDtfCal", "m_strCableTypeFile", "m_dCableDielectric", "m_dCableAttenuation",
             "m_strCableAttUnit", "m_dCableCutoff"});
    if (mode == "DTF" || mode == "TRANsmission") add({"m_dGenLevel", "m_strGenerator"});
    if (mode == "TRANsmission") add({"m_strTraceMath"});
    if (mode == "RFLection")
        add({"m_strRflRefUnit", "m_dRflRefVswr", "m_dRflRefRfactor", "m_dRflRefRpower", "m_strRflCalMode"});
    if (mode == "RFLection" || mode == "CLOSs") add({"m_dRflFilter", "m_strRflFilterAuto"});
    if (mode == "EMF")
        add({"m_strEmfRefUnit", "m_dEmfRef", "m_strEmfDirection", "m_strEmfDisplay", "m_strEmfMeasure",
             "m_strEmfLast", "m_dEmfTime", "m_dResultEmf"});
    return f;
}

struct FieldDiff {
    template <class T>
    bool operator()(T TraceRecord::*p) const {
        return a.*p == b.*p;
    }
    bool operator()(double TraceRecord::*p) const { return Close(a.*p, b.*p); }
    bool operator()(RealArr TraceRecord::*p) const {
        if ((a.*p).size() != (b.*p).size()) return false;
        for (size_t i = 0; i < (a.*p).size(); ++i)
            if (!Close((a.*p)[i], (b.*p)[i])) return false;
        return true;
    }
    const TraceRecord& a;
    const TraceRecord& b;
};

// Everything the graph and the tables show of `original` is what `back` shows.
void ExpectSameTrace(const CMyQuarnDoc& original, const CMyQuarnDoc& back, const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(back.DisplayUnit(), original.DisplayUnit());
    EXPECT_PRED2(Close, back.SelectedReference(), original.SelectedReference());
    EXPECT_PRED2(Close, back.SelectedScale(), original.SelectedScale());
    EXPECT_EQ(back.m_strDeviceName, ToUpperCp1252(original.m_strDeviceName));
    for (const auto& name : CarriedFields(original.m_strMode)) {
        const FieldInfo* f = FindRecordField(name);
        ASSERT_NE(f, nullptr) << name;
        EXPECT_TRUE(std::visit(FieldDiff{original, back}, f->ptr)) << name;
    }
    // Trace A's points, wherever the three-digit code can hold them.
    for (size_t i = 0; i < original.m_arrTraceA.size(); ++i) {
        const double p = original.m_arrTraceA[i];
        const double offset = original.m_strMode == "TRANsmission" && original.m_strTransRefUnit == "DB"
                                  ? original.m_dGenLevel
                                  : 0.0;
        if (p + offset < -200.0 || p + offset > 209.5) continue;
        ASSERT_NEAR(back.m_arrTraceA[i], p, 1e-9) << "point " << i;
    }
    // Every marker that is on, on its own trace, at its own place.
    for (int e = 1; e <= 6; ++e) {
        for (bool b : {false, true}) {
            const auto& so = b ? original.m_arrUserStateB : original.m_arrUserStateA;
            const auto& sb = b ? back.m_arrUserStateB : back.m_arrUserStateA;
            if (so[e] == MARKER_OFF) continue;
            EXPECT_EQ(sb[e], so[e]) << "marker " << e << (b ? " on B" : " on A");
            auto pos = [&](const CMyQuarnDoc& d) {
                if (d.m_strMode == "DTF") return (b ? d.m_arrUserDistB : d.m_arrUserDistA)[e];
                if (d.m_dSpan != 0) return (b ? d.m_arrUserFreqB : d.m_arrUserFreqA)[e];
                return (b ? d.m_arrUserTimeB : d.m_arrUserTimeA)[e];
            };
            EXPECT_PRED2(Close, pos(back), pos(original)) << "marker " << e << (b ? " on B" : " on A");
        }
    }
}

std::string Line(const std::vector<std::string>& lines, const std::string& key) {
    for (const auto& l : lines)
        if (l.rfind(key + " ", 0) == 0) return l;
    return "<no " + key + ">";
}

}  // namespace

TEST(SettingsTextInverse, EveryBundledSampleReadsBackAsItWas) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(test::SamplePath(""))) {
        CMyQuarnDoc d;
        ASSERT_TRUE(d.Load(entry.path().string()).ok()) << entry.path();
        ExpectSameTrace(d, ReadBack(d), entry.path().filename().string());
        ++count;
    }
    EXPECT_GE(count, 40);
}

TEST(SettingsTextInverse, EveryLevelUnitAtBothImpedances) {
    const auto spectrum = ContainerLines(test::SamplePath("SPECTRUM.qtr"));
    for (const char* unit : {"DBM", "DBUV", "DBMV", "DBV", "V", "MV", "UV", "W", "MW", "UW"})
        for (const char* imp : {"IMP50", "IMP75"}) {
            auto lines = With(With(spectrum, "SENSe:REFLevel:UNIT", unit), "INPut:IMPedance", imp);
            lines = With(lines, "DISPlay:TRACe:Y:SCALe:LINear:VOLT", "22.5");
            lines = With(lines, "DISPlay:TRACe:Y:SCALe:LINear:WATT", "0.125");
            const CMyQuarnDoc d = FromText(lines);
            ExpectSameTrace(d, ReadBack(d), std::string(unit) + " " + imp);
        }
    const auto emf = ContainerLines(test::SamplePath("EMF.qtr"));
    for (const char* unit : {"DBUVm", "DBMVm", "DBMM2", "DBVM", "VM", "MVM", "UVM", "WM2", "MWM2", "UWM2"}) {
        auto lines = With(With(emf, "SENSe:EMF:REFerence:UNIT", unit), "SENSe:EMF:REFerence", "-7.3");
        const CMyQuarnDoc d = FromText(lines);
        ExpectSameTrace(d, ReadBack(d), unit);
    }
}

TEST(SettingsTextInverse, MarkersOnEitherTraceAndDeltaMarkersStayWhereTheyWere) {
    auto lines = ContainerLines(test::SamplePath("SPECTRUM.qtr"));
    // Centre 947.5 MHz, span 5 MHz (945 to 950 MHz).
    lines = With(lines, "SENSe:FREQuency:SPAN", "5000000");
    lines = With(lines, "CALCulate:MARKer:A:STATe", "NORMal");
    lines = With(lines, "CALCulate:MARKer:A:X:FREQuency", "946000000");
    lines = With(lines, "CALCulate:MARKer:B:STATe", "DELTa");
    lines = With(lines, "CALCulate:MARKer:B:X:FREQuency", "1250000");
    lines = With(lines, "CALCulate:MARKer:C:STATe", "NORMal");
    lines = With(lines, "CALCulate:MARKer:C:X:FREQuency", "949000000");
    lines = With(lines, "CALCulate:MARKer:C:TSELect", "B");
    lines = With(lines, "CALCulate:MARKer:E:STATe", "NOISe");
    lines = With(lines, "CALCulate:MARKer:E:X:FREQuency", "948123456.5");
    const CMyQuarnDoc d = FromText(lines);
    // Marker B is absolute once read: 946 MHz + 1.25 MHz (and the reader's 0.001 Hz on each).
    ASSERT_EQ(d.m_arrUserStateA[2], DELTa);
    EXPECT_NEAR(d.m_arrUserFreqA[2], 947250000.002, 1e-6);
    ASSERT_EQ(d.m_arrUserStateB[3], NORMal);
    EXPECT_EQ(d.m_arrUserStateA[3], MARKER_OFF);
    const auto text = SettingsLines(d, "T");
    EXPECT_EQ(Line(text, "CALCulate:MARKer:B:X:FREQuency"), "CALCulate:MARKer:B:X:FREQuency 1250000.0");
    EXPECT_EQ(Line(text, "CALCulate:MARKer:C:STATe"), "CALCulate:MARKer:C:STATe NORMal");
    EXPECT_EQ(Line(text, "CALCulate:MARKer:C:TSELect"), "CALCulate:MARKer:C:TSELect B");
    EXPECT_EQ(Line(text, "CALCulate:MARKer:E:X:FREQuency"), "CALCulate:MARKer:E:X:FREQuency 948123456.5");
    EXPECT_EQ(Line(text, "CALCulate:MARKer:F:STATe"), "<no CALCulate:MARKer:F:STATe>");
    CMyQuarnDoc back = ReadBack(d);
    ExpectSameTrace(d, back, "spectrum markers");
    // Read and written ten times over, nothing creeps.
    for (int i = 0; i < 10; ++i)
        back = ReadBack(back);
    ExpectSameTrace(d, back, "ten round trips");
}

TEST(SettingsTextInverse, DistanceMarkersOnEitherTraceAndAsDeltas) {
    auto lines = ContainerLines(test::SamplePath("DTF_DB.qtr"));  // cable length 50 m
    lines = With(lines, "CALCulate:MARKer:B:DTF", "DELTa");
    lines = With(lines, "CALCulate:MARKer:B:X:DISTance", "7.25");
    lines = With(lines, "CALCulate:MARKer:C:DTF", "NORMal");
    lines = With(lines, "CALCulate:MARKer:C:X:DISTance", "40.125");
    lines = With(lines, "CALCulate:MARKer:C:DTF:TSELect", "B");
    const CMyQuarnDoc d = FromText(lines);
    // Marker B: 12.5 m + 7.25 m and the reader's 0.001 m on each.
    ASSERT_EQ(d.m_arrUserStateA[2], DELTa);
    EXPECT_NEAR(d.m_arrUserDistA[2], 19.752, 1e-9);
    ASSERT_EQ(d.m_arrUserStateB[3], NORMal);
    const auto text = SettingsLines(d, d.m_strTraceName);
    EXPECT_EQ(Line(text, "CALCulate:MARKer:B:X:DISTance"), "CALCulate:MARKer:B:X:DISTance 7.250");
    EXPECT_EQ(Line(text, "CALCulate:MARKer:C:DTF:TSELect"), "CALCulate:MARKer:C:DTF:TSELect B");
    CMyQuarnDoc back = d;
    for (int i = 0; i < 5; ++i)
        back = ReadBack(back);
    ExpectSameTrace(d, back, "distance markers, five round trips");
}

TEST(SettingsTextInverse, Quarn1DeltaMarkerIsKept) {
    // Quarn1 reports a delta marker relative to marker A and the record keeps it so: 947.6 MHz + 0.8 MHz
    // lies inside 945 to 950 MHz and must not be switched off.
    CMyQuarnDoc d;
    ASSERT_TRUE(d.Load(test::SamplePath("SPEC_Q1.qtr")).ok());
    ASSERT_EQ(d.m_arrUserStateA[2], DELTa);
    EXPECT_NEAR(d.m_arrUserFreqA[2], 800000.001, 1e-6);
    EXPECT_EQ(Line(SettingsLines(d, "T"), "CALCulate:MARKer:B:X:FREQuency"),
              "CALCulate:MARKer:B:X:FREQuency 800000.0");
    // Outside the span (947.6 + 3 MHz) it is off, as any marker there.
    auto lines =
        With(ContainerLines(test::SamplePath("SPEC_Q1.qtr")), "CALCulate:MARKer:B:X:FREQuency", "3000000");
    EXPECT_EQ(FromText(lines).m_arrUserStateA[2], MARKER_OFF);
}

TEST(SettingsTextInverse, TheReportedReproductions) {
    struct Case {
        const char* sample;
        const char* line;
    };
    const Case cases[] = {
        // Linear units: the reference as the instrument sent it, each scale under its own key.
        {"SPEC_MV75.qtr", "SENSe:REFLevel -10.0"},
        {"SPEC_MV75.qtr", "DISPlay:TRACe:Y:SCALe 10"},
        {"SPEC_MV75.qtr", "DISPlay:TRACe:Y:SCALe:LINear:VOLT 50.0"},
        {"DTF_MRHO.qtr", "DISPlay:TRACe:Y:SCALe:DTF:RFACtor 100.0"},
        {"DTF_MRHO.qtr", "SENSe:DTF:REFerence:RFACtor 500.0"},
        {"RFL_VSWR.qtr", "DISPlay:TRACe:Y:SCALe:RFLection:VSWR 0.25"},
        {"RFL_VSWR.qtr", "SENSe:RFLection:REFerence:UNIT VSWR"},
        {"RFL_RHO.qtr", "SENSe:RFLection:REFerence:UNIT RFACtor"},
        {"RFL_POWER.qtr", "SENSe:RFLection:REFerence:UNIT RPOWer"},
        {"RFL_RL.qtr", "SENSe:RFLection:REFerence:UNIT RETurnloss"},
        // The cable as the instrument knows it: dielectric 0.66, 6.5 dB per 100 m, cut-off 3 GHz.
        {"DTF_DB.qtr", "MMEMory:STORe:CTYPe '',0.66,6.50,M100,3000000000.0"},
        {"DTF_DB.qtr", "CALCulate:MARKer:A:X:DISTance 12.500"},
        {"DTF_DB.qtr", "CALCulate:MARKer:B:X:DISTance 31.250"},
        {"TRANS_NORM.qtr", "SENSe:TRANsmission:REFerence:UNIT DB"},
        {"TRANS_ABS.qtr", "SENSe:TRANsmission:REFerence:UNIT DBM"},
        {"SPEC_TRACEB.qtr", "CALCulate:MARKer:B:STATe NORMal"},
        {"SPEC_TRACEB.qtr", "CALCulate:MARKer:B:TSELect B"},
        {"SPEC_TRACEB.qtr", "CALCulate:MARKer:B:X:FREQuency 948400000.0"},
    };
    for (const auto& c : cases) {
        CMyQuarnDoc d;
        ASSERT_TRUE(d.Load(test::SamplePath(c.sample)).ok());
        const auto text = SettingsLines(d, "T");
        const std::string line = c.line;
        const std::string key = line.substr(0, line.find(' '));
        EXPECT_EQ(Line(text, key), line) << c.sample;
    }
}

TEST(SettingsTextInverse, RelativeTransmissionPointsComeBackLessTheGeneratorLevel) {
    // The instrument sends 7D0 (0.0 dB) with a generator at -10 dBm; the record holds +10 dB, the text
    // must carry 7D0 again.
    auto lines = ContainerLines(test::SamplePath("TRANS_NORM.qtr"));
    std::string data = "SENSe:TRACe:DATa A,ALL,'";
    for (int i = 0; i < kTraceColumns; ++i)
        data += "7d0";
    lines = With(lines, "SENSe:TRACe:DATa", data.substr(std::string("SENSe:TRACe:DATa ").size()) + "'");
    const CMyQuarnDoc d = FromText(lines);
    ASSERT_NEAR(d.m_arrTraceA[0], 10.0, 1e-9);
    const std::string written = Line(SettingsLines(d, "T"), "SENSe:TRACe:DATa");
    EXPECT_EQ(written.substr(0, 33), "SENSe:TRACe:DATa ACTual,ALL,'7D07");
}

// The instrument gives every reference in dBm; the document shows it in the unit chosen, and a stored
// trace keeps the instrument's form, as the instrument's own program wrote it. Saved and opened again it
// shows the same reference, sends the instrument's dBm, and saves to the same bytes.
TEST(StoredReference, HeldInTheUnitShownStoredAndSentInDbm) {
    const struct {
        const char* sample;
        const char* unitKey;
        const char* refKey;
        const char* unit;
        const char* sentLine;  // what the settings text sends for the reference
        const char* reportLine;
    } cases[] = {
        // -11 dBm is 95.9897 dBuV and 35.9897 dBmV.
        {"SPECTRUM", "SENSe:REFLevel:UNIT", "SENSe:REFLevel", "DBUV", "SENSe:REFLevel -11.0",
         "Ref. Level[dB\xB5V];96.0"},
        {"SPECTRUM", "SENSe:REFLevel:UNIT", "SENSe:REFLevel", "DBMV", "SENSe:REFLevel -11.0",
         "Ref. Level[dBmV];36.0"},
        // -11 dBm into 50 ohm: sqrt(10^-1.1 * 0.001 * 50) = 0.06302 V/m: 63.02 mV/m, 63021 uV/m.
        {"EMF", "SENSe:EMF:REFerence:UNIT", "SENSe:EMF:REFerence", "MVM", "SENSe:EMF:REFerence -11.0",
         "Ref. Level[mV/m];63.02"},
        {"EMF", "SENSe:EMF:REFerence:UNIT", "SENSe:EMF:REFerence", "UVM", "SENSe:EMF:REFerence -11.0",
         "Ref. Level[\xB5V/m];63021"},
        // 10^-1.1 mW = 0.0794 mW/m2 = 79.4 uW/m2.
        {"EMF", "SENSe:EMF:REFerence:UNIT", "SENSe:EMF:REFerence", "UWM2", "SENSe:EMF:REFerence -11.0",
         "Ref. Level[\xB5W/m\xB2];79.43"},
        {"EMF", "SENSe:EMF:REFerence:UNIT", "SENSe:EMF:REFerence", "DBUVm", "SENSe:EMF:REFerence -11.0",
         "Ref. Level[dB\xB5V/m];96.0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.unit);
        auto lines = ContainerLines(test::SamplePath(std::string(c.sample) + ".qtr"));
        lines = With(With(lines, c.unitKey, c.unit), c.refKey, "-11.0");
        const CMyQuarnDoc fetched = FromText(lines);
        const std::string bytes = fetched.SerializeStored();
        // The file holds the instrument's -11 dBm, not the value shown.
        const double minus11 = -11.0;
        EXPECT_NE(bytes.find(std::string(reinterpret_cast<const char*>(&minus11), 8)), std::string::npos);
        CMyQuarnDoc stored;
        ASSERT_TRUE(stored.LoadBytes(bytes).ok());
        EXPECT_EQ(stored.SelectedReference(), fetched.SelectedReference());
        EXPECT_EQ(stored.SerializeStored(), bytes);
        const auto sent = SettingsLines(stored, stored.m_strTraceName);
        EXPECT_NE(std::find(sent.begin(), sent.end(), c.sentLine), sent.end());
        const std::string report = AsciiReportText(stored, true);
        EXPECT_NE(report.find(c.reportLine), std::string::npos) << report.substr(0, 900);
    }
}

// A trace without a last check keeps none through the settings text (not "00.01.1970").
TEST(SettingsText, EmptyLastCheckStaysEmpty) {
    for (const char* by : {"", "J. Berger"}) {
        auto lines = With(ContainerLines(test::SamplePath("SPECTRUM.qtr")), "# SERVice:CHECk:LAST",
                          std::string("'") + by + "'");
        const CMyQuarnDoc back = ReadBack(FromText(lines));
        EXPECT_EQ(back.m_strCheckLast, "");
        EXPECT_EQ(back.m_strCheckLastBy, by);
        EXPECT_NE(AsciiReportText(back, true).find("Last Check;\r\n"), std::string::npos);
    }
}
