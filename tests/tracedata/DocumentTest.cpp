#include <gtest/gtest.h>

#include "Archive.h"
#include "CMyQuarnDoc.h"
#include "ParseHelpers.h"
#include "SampleTraces.h"
#include "StoredLayout.h"
#include "TestUtil.h"
#include "Units.h"

using namespace fl;
using fl::test::ParseLines;
using fl::test::SamplePath;

namespace {

class FakeGps : public IGpsFixProvider {
  public:
    std::optional<GpsFixValues> CurrentFix() const override { return fix; }
    std::optional<GpsFixValues> fix;
};

}  // namespace

TEST(Document, TakeOverValidatesAndMovesMarkers) {
    ParseRecord rec = ParseLines({
        "INSTrument:SELect SANalyzer", "SENSe:FREQuency:CENTer 100000000", "SENSe:FREQuency:SPAN 10000000",
        "CALCulate:MARKer:A:STATe NORMal", "CALCulate:MARKer:A:X:FREQuency 101000000",
        "CALCulate:MARKer:B:STATe NORMal",
        "CALCulate:MARKer:B:X:FREQuency 106000000",  // outside the span: switched off
        "CALCulate:MARKer:C:STATe NORMal", "CALCulate:MARKer:C:X:FREQuency 99000000",
        "CALCulate:MARKer:C:TSELect B",  // placed on trace B
    });
    CMyQuarnDoc doc;
    doc.OnNewDocument(rec, DocEnvironment{});
    EXPECT_EQ(doc.m_arrMarkerStateA[1], NORMal);
    EXPECT_EQ(doc.m_arrMarkerStateA[2], MARKER_OFF);
    EXPECT_EQ(doc.m_arrMarkerStateA[3], MARKER_OFF);
    EXPECT_EQ(doc.m_arrMarkerStateB[3], NORMal);
    EXPECT_DOUBLE_EQ(doc.m_arrMarkerFreqB[3], 99000000.001);
    EXPECT_DOUBLE_EQ(doc.m_arrMarkerFreqB[1], 101000000.001);  // marker A follows both traces
    EXPECT_EQ(doc.m_arrUserStateB, doc.m_arrMarkerStateB);
    EXPECT_EQ(doc.m_arrUserFreqA, doc.m_arrMarkerFreqA);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(doc.m_strPathName.empty());
}

TEST(Document, ZeroSpanAndDtfMarkersValidateTheirOwnAxis) {
    CMyQuarnDoc zs;
    zs.OnNewDocument(ParseLines({"SENSe:SWEep:TIMe 0.01", "CALCulate:MARKer:A:STATe NORMal",
                                 "CALCulate:MARKer:A:X:TIMe 0.02", "CALCulate:MARKer:B:STATe NORMal",
                                 "CALCulate:MARKer:B:X:TIMe 0.005"}),
                     DocEnvironment{});
    EXPECT_EQ(zs.m_arrMarkerStateA[1], MARKER_OFF);
    EXPECT_EQ(zs.m_arrMarkerStateA[2], NORMal);
    CMyQuarnDoc dtf;
    dtf.OnNewDocument(ParseLines({"INSTrument:SELect DTF", "SENSe:FREQuency:SPAN 100", "SENSe:DTF:CLENgth 50",
                                  "CALCulate:MARKer:A:DTF NORMal", "CALCulate:MARKer:A:X:DISTance 51",
                                  "CALCulate:MARKer:B:DTF NORMal", "CALCulate:MARKer:B:X:DISTance 12"}),
                      DocEnvironment{});
    EXPECT_EQ(dtf.m_arrMarkerStateA[1], MARKER_OFF);
    EXPECT_EQ(dtf.m_arrMarkerStateA[2], NORMal);
}

TEST(Document, NewDocumentTakesDisplayPreferencesAndTitle) {
    DocEnvironment env;
    env.prefs.showLevelPanel = 1;
    env.prefs.orientation = 0;
    env.prefs.showGrid = 0;
    env.gpsPositionFormat = 2;
    CMyQuarnDoc doc;
    doc.OnNewDocument(ParseLines({"# TRACE GSM900;   created: x"}), env);
    EXPECT_EQ(doc.GetTitle(), "GSM900");
    EXPECT_EQ(doc.m_bShowLevelPanel, 1);
    EXPECT_EQ(doc.m_bShowGrid, 0);
    EXPECT_EQ(doc.m_nOrientation, 0);
    EXPECT_EQ(doc.m_sizePage.cx, 6700);
    EXPECT_EQ(doc.m_sizePage.cy, 8600);
    EXPECT_EQ(doc.m_nGpsSel1, 2);
}

TEST(Document, GpsReceiverFixReplacesInstrumentPosition) {
    FakeGps gps;
    gps.fix = GpsFixValues{11.5, -33.25, 230326, 123519, "OK", 7, 1.1, 41.5, "KPH", 12.0, "M"};
    DocEnvironment env;
    env.gps = &gps;
    env.useGps = true;
    CMyQuarnDoc doc;
    doc.OnNewDocument(ParseLines({"INSTrument:GPS:LATitude 48.1"}), env);
    EXPECT_EQ(doc.m_dGpsLatitude, -33.25);
    EXPECT_EQ(doc.m_strGpsQuality, "OK");
    EXPECT_EQ(doc.m_strGpsSpeedUnit, "KPH");
    gps.fix.reset();  // receiver stopped delivering: the instrument's values stay
    CMyQuarnDoc doc2;
    doc2.OnNewDocument(ParseLines({"INSTrument:GPS:LATitude 48.1"}), env);
    EXPECT_EQ(doc2.m_dGpsLatitude, 48.1);
}

TEST(Document, DisplaySelectionByMode) {
    struct Case {
        std::vector<std::string> lines;
        double TraceRecord::*ref;
        double TraceRecord::*scale;
        std::string unit;
    };
    using R = TraceRecord;
    const Case cases[] = {
        {{"INSTrument:SELect TRANsmission", "SENSe:TRANsmission:REFerence:UNIT DBM"},
         &R::m_dRefLevel,
         &R::m_dScaleLog,
         "DBM"},
        {{"INSTrument:SELect TRANsmission", "SENSe:TRANsmission:REFerence:UNIT DB"},
         &R::m_dTransRef,
         &R::m_dScaleLog,
         "DB"},
        {{"INSTrument:SELect DTF", "SENSe:DTF:REFerence:UNIT MRHO"},
         &R::m_dDtfRefRfactor,
         &R::m_dScaleDtfRfactor,
         "MRHO"},
        {{"INSTrument:SELect DTF"}, &R::m_dDtfRef, &R::m_dScaleLog, "DB"},
        {{"INSTrument:SELect RFLection", "SENSe:RFLection:REFerence:UNIT VSWR"},
         &R::m_dRflRefVswr,
         &R::m_dScaleVswr,
         "VSWR"},
        {{"INSTrument:SELect RFLection", "SENSe:RFLection:REFerence:UNIT RFACtor"},
         &R::m_dRflRefRfactor,
         &R::m_dScaleRfactor,
         "MRHO"},
        {{"INSTrument:SELect RFLection", "SENSe:RFLection:REFerence:UNIT RPOWer"},
         &R::m_dRflRefRpower,
         &R::m_dScaleRpower,
         "%"},
        {{"INSTrument:SELect RFLection", "SENSe:RFLection:REFerence:UNIT RETurnloss"},
         &R::m_dTransRef,
         &R::m_dScaleLog,
         "DB"},
        {{"INSTrument:SELect EMF", "SENSe:EMF:REFerence:UNIT MVM"}, &R::m_dEmfRef, &R::m_dScaleVolt, "MVM"},
        {{"INSTrument:SELect EMF", "SENSe:EMF:REFerence:UNIT UWM2"}, &R::m_dEmfRef, &R::m_dScaleWatt, "UWM2"},
        {{"INSTrument:SELect EMF", "SENSe:EMF:REFerence:UNIT DBUVm"},
         &R::m_dEmfRef,
         &R::m_dScaleLog,
         "DBUVm"},
        {{"INSTrument:SELect CLOSs", "SENSe:REFLevel:UNIT DBM"}, &R::m_dTransRef, &R::m_dScaleLog, "DB"},
        {{"INSTrument:SELect SANalyzer", "SENSe:REFLevel:UNIT UV"}, &R::m_dRefLevel, &R::m_dScaleVolt, "UV"},
        {{"INSTrument:SELect SANalyzer", "SENSe:REFLevel:UNIT MW"}, &R::m_dRefLevel, &R::m_dScaleWatt, "MW"},
        {{"INSTrument:SELect SANalyzer", "SENSe:REFLevel:UNIT DBUV"},
         &R::m_dRefLevel,
         &R::m_dScaleLog,
         "DBUV"},
    };
    for (const auto& c : cases) {
        // Distinct values in every candidate field show which one was chosen.
        std::vector<std::string> lines = c.lines;
        for (const char* l : {"SENSe:REFLevel 1", "SENSe:TRANsmission:REFerence 2", "SENSe:DTF:REFerence 3",
                              "SENSe:DTF:REFerence:RFACtor 4", "SENSe:RFLection:REFerence:VSWR 5",
                              "SENSe:RFLection:REFerence:RFACtor 6", "SENSe:RFLection:REFerence:RPOWer 7",
                              "SENSe:EMF:REFerence 8"})
            lines.push_back(l);
        CMyQuarnDoc doc;
        doc.OnNewDocument(ParseLines(lines), DocEnvironment{});
        EXPECT_EQ(doc.DisplayUnit(), c.unit) << c.lines[0];
        EXPECT_EQ(&doc.SelectedReference(), &(static_cast<TraceRecord&>(doc).*c.ref)) << c.lines.back();
        EXPECT_EQ(&doc.SelectedScale(), &(static_cast<TraceRecord&>(doc).*c.scale)) << c.lines.back();
    }
}

TEST(Document, ReflectionAndCableLossSetMeasurementStyle) {
    CMyQuarnDoc vec;
    vec.OnNewDocument(ParseLines({"INSTrument:SELect RFLection", "SENSe:RFLection:CALibration:MODe VECTor"}),
                      DocEnvironment{});
    EXPECT_EQ(vec.m_nDetector, VECTOR);
    CMyQuarnDoc closs;
    closs.OnNewDocument(ParseLines({"INSTrument:SELect CLOSs", "SENSe:DETector:FUNCtion RMS"}),
                        DocEnvironment{});
    EXPECT_EQ(closs.m_nDetector, SCALAR);
    EXPECT_EQ(closs.m_strRefLevelUnit, "DB");
}

TEST(Document, LimitsAndTraceMathBecomeDisplayLevels) {
    CMyQuarnDoc doc;
    doc.OnNewDocument(ParseLines({"SENSe:REFLevel -10", "DISPlay:TRACe:Y:SCALe 10",
                                  "CALCulate:LIMit:SIMPle ON", "CALCulate:LIMit:SIMPle:UPPer 6.5",
                                  "CALCulate:LIMit:SIMPle:LOWer 1", "SENSe:TRACe:MATH:OFFSet 7"}),
                      DocEnvironment{});
    EXPECT_DOUBLE_EQ(doc.m_dLimitUpperLevel, -25.0);
    EXPECT_DOUBLE_EQ(doc.m_dLimitLowerLevel, -80.0);
    EXPECT_DOUBLE_EQ(doc.m_dTraceMathOffset, -20.0);
    EXPECT_DOUBLE_EQ(doc.m_dUserLevel, -10.0);

    CMyQuarnDoc lines;
    lines.OnNewDocument(
        ParseLines({"SENSe:REFLevel 0", "DISPlay:TRACe:Y:SCALe 5", "CALCulate:LIMit:STATe ON",
                    "CALCulate:LIMit:SIMPle OFF", "# MMEMory:STORe:LIMit 'M',1,0,1.5,250,2,2,250,2,500,4"}),
        DocEnvironment{});
    EXPECT_EQ(lines.m_arrLimitSegments,
              (std::vector<std::string>{"1,0.000000,-7.500000,250.000000,-10.000000",
                                        "2,250.000000,-10.000000,500.000000,-20.000000"}));
}

TEST(Document, LinearUnitsConvertReferenceAndScale) {
    CMyQuarnDoc doc;
    doc.OnNewDocument(
        ParseLines({"SENSe:REFLevel:UNIT MV", "SENSe:REFLevel 0", "DISPlay:TRACe:Y:SCALe:LINear:VOLT 50"}),
        DocEnvironment{});
    EXPECT_NEAR(doc.m_dRefLevel, 223.6068, 1e-4);
    EXPECT_DOUBLE_EQ(doc.m_dScaleVolt, 50.0);
    EXPECT_NEAR(doc.m_dUserLevel, 223.6068, 1e-4);
}

TEST(Document, Quarn1HasNoTraceB) {
    CMyQuarnDoc doc;
    doc.m_bShowTraceB = 1;
    doc.OnNewDocument(ParseLines({"*IDN ZARNELL, Quarn1, 1, 1.0", "SENSe:TRACe:B:STATe MAXHold"}),
                      DocEnvironment{});
    EXPECT_EQ(doc.m_nTraceModeB, TRACE_OFF);
    EXPECT_EQ(doc.m_bShowTraceB, 0);
}

TEST(Document, SaveRules) {
    struct Case {
        std::string path;
        bool saveAs;
        bool asks;
        std::string proposal;
    };
    const Case cases[] = {
        {"/data/GSM900.QTR", false, true, "GSM900.qtm"},
        {"/data/site.qtr", false, true, "site.qtm"},
        {"/data/site.qtm", false, false, ""},
        {"/data/site.qtm", true, true, "site.qtm"},
        {"/data/site.QTM", false, false, ""},
    };
    for (const auto& c : cases) {
        CMyQuarnDoc doc;
        DocEnvironment env;
        env.modifiedTraceFolder = "/home/me/traces";
        if (c.saveAs) doc.SaveAsCommand();
        SavePlan plan = doc.PlanSave(c.path, env);
        EXPECT_EQ(plan.askName, c.asks) << c.path;
        EXPECT_EQ(plan.proposedFileName, c.proposal) << c.path;
        if (c.asks) {
            EXPECT_EQ(plan.startFolder, "/home/me/traces");
            EXPECT_EQ(plan.filter, "Quarn Trace Files ( *.qtm ) |*.qtm||");
        }
        EXPECT_FALSE(doc.m_bAskSaveName);
    }
}

TEST(Document, SaveAsChosenWritesQtmAndLeavesQtrUntouched) {
    test::TempDir dir;
    const std::string qtr = dir / "SPECTRUM.qtr";
    std::filesystem::copy_file(SamplePath("SPECTRUM.qtr"), qtr);
    const std::string before = test::ReadFile(qtr);
    CMyQuarnDoc doc;
    ASSERT_TRUE(doc.Load(qtr).ok());
    ASSERT_TRUE(doc.PlanSave(doc.m_strPathName).askName);
    DocEnvironment env;
    ASSERT_TRUE(doc.SaveAsChosen(dir / "SITE7.qtm", env));
    EXPECT_EQ(test::ReadFile(qtr), before);
    EXPECT_EQ(doc.m_strTraceName, "SITE7");
    EXPECT_EQ(doc.GetTitle(), "SITE7");
    EXPECT_EQ(env.modifiedTraceFolder, dir.path());
    EXPECT_FALSE(doc.IsModified());
    CMyQuarnDoc back;
    ASSERT_TRUE(back.Load(dir / "SITE7.qtm").ok());
    EXPECT_EQ(back.m_strTraceName, "SITE7");
    EXPECT_EQ(back.m_arrTraceA, doc.m_arrTraceA);
}

TEST(Document, FailedWriteKeepsDocumentModifiedAndOldFile) {
    test::TempDir dir;
    CMyQuarnDoc doc;
    doc.SetModifiedFlag();
    std::string error;
    EXPECT_FALSE(doc.WriteTo(dir / "missing/x.qtm", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(doc.IsModified());
}

TEST(Document, LoadFailures) {
    test::TempDir dir;
    struct Case {
        std::string bytes;
        LoadStatus status;
        std::string message;
    };
    const std::string good = test::ReadFile(SamplePath("SPECTRUM.qtm"));
    const Case cases[] = {
        {"G-not-a-trace", LoadStatus::UnsupportedFormat, "Not supported file format   "},
        {"", LoadStatus::ReadError, "Unexpected file format."},
        {good.substr(0, good.size() - 1), LoadStatus::ReadError, "Unexpected file format."},
        {std::string("a\x05"
                     "abc",
                     5),
         LoadStatus::ReadError, "Unexpected file format."},
        {std::string("\xEA\x03", 2), LoadStatus::ReadError, "Unexpected file format."},
    };
    for (const auto& c : cases) {
        test::WriteFile(dir / "t.qtm", c.bytes);
        CMyQuarnDoc doc;
        LoadResult r = doc.Load(dir / "t.qtm");
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.message, c.message);
        EXPECT_TRUE(static_cast<TraceRecord&>(doc) ==
                    static_cast<TraceRecord&>(*std::make_unique<CMyQuarnDoc>()))
            << "a failed read must leave the constructed record";
    }
    CMyQuarnDoc doc;
    EXPECT_EQ(doc.Load(dir / "does-not-exist.qtr").status, LoadStatus::OpenError);
}

TEST(Document, AnInstrumentTraceShowsTheViewDefaults) {
    // A fresh start: markers A and B, Level, Status, Trace/Detector, Instrument, External Device and the
    // grid on, GPS off, landscape; a .qtr carries no view state, so it shows exactly that.
    const DocEnvironment fresh;
    CMyQuarnDoc doc;
    ASSERT_TRUE(doc.Load(SamplePath("EMF.qtr"), fresh).ok());
    const int expected[] = {1, 1, 1, 1, 1, 1, 1, 0, 1, 1};
    const int actual[] = {doc.m_bShowMarkersA,    doc.m_bShowMarkersB,   doc.m_bShowLevelPanel,
                          doc.m_bShowStatusPanel, doc.m_bShowTracePanel, doc.m_bShowInstrumentPanel,
                          doc.m_bShowEdevPanel,   doc.m_bShowGpsPanel,   doc.m_bShowGrid,
                          doc.m_nOrientation};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(actual[i], expected[i]) << "flag " << i;
    // A stored trace keeps its own.
    CMyQuarnDoc stored = doc;
    stored.m_bShowLevelPanel = 0;
    stored.m_nOrientation = 0;
    test::TempDir dir;
    ASSERT_TRUE(stored.WriteTo(dir / "t.qtm"));
    CMyQuarnDoc back;
    ASSERT_TRUE(back.Load(dir / "t.qtm", fresh).ok());
    EXPECT_EQ(back.m_bShowLevelPanel, 0);
    EXPECT_EQ(back.m_nOrientation, 0);
}

TEST(Document, OpeningQtrEqualsParsingItsText) {
    const auto sample = sim::SampleTraceByName("SPEC_TRACEB");
    CMyQuarnDoc fromFile;
    ASSERT_TRUE(fromFile.Load(SamplePath("SPEC_TRACEB.qtr")).ok());
    CMyQuarnDoc fromText;
    ParseTraceText(sim::JoinLines(sample.lines), s_parsed);
    fromText.TakeOver(s_parsed, s_docEnv);
    fromText.ApplyViewDefaults(s_docEnv.prefs);
    EXPECT_TRUE(static_cast<TraceRecord&>(fromFile) == static_cast<TraceRecord&>(fromText));
    EXPECT_FALSE(fromFile.IsModified());
    EXPECT_EQ(fromFile.GetTitle(), "SPEC_TRACEB.qtr");
}

TEST(Document, ATraceTooLargeToOpenIsNotSaved) {
    CMyQuarnDoc d;
    d.m_strComment.assign(65u << 20, 'x');  // more than the 64 MiB a trace file may have
    test::TempDir dir;
    std::string error;
    EXPECT_FALSE(d.WriteTo(dir / "big.qtm", &error));
    EXPECT_NE(error.find("too large"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "big.qtm"));
}
