#include <gtest/gtest.h>

#include "CMyQuarnDoc.h"
#include "TraceLineParser.h"
#include "TraceRecord.h"

using namespace fl;

TEST(Record, ConstructedDefaults) {
    TraceRecord r;
    ASSERT_EQ(r.m_arrTraceA.size(), 1002u);
    ASSERT_EQ(r.m_arrTraceB.size(), 1002u);
    for (double p : r.m_arrTraceA)
        EXPECT_EQ(p, -999.0);
    for (double p : r.m_arrTraceB)
        EXPECT_EQ(p, -999.0);
    EXPECT_EQ(r.m_nTraceModeA, ACTual);
    EXPECT_EQ(r.m_nTraceModeB, TRACE_OFF);
    EXPECT_EQ(r.m_nAvgFactor, 2);
    for (double v :
         {r.m_dResultObw, r.m_dResultAcprLower, r.m_dResultAcprMain, r.m_dResultAcprUpper, r.m_dResultCpower})
        EXPECT_EQ(v, -9999.0);
    EXPECT_EQ(r.m_arrMarkerStateA.size(), 11u);
    EXPECT_EQ(r.m_arrMarkerTrace, std::vector<std::string>(11, "A"));
    EXPECT_EQ(r.m_dCableCutoff, r.m_dStopMax);
    EXPECT_EQ(r.m_strMaker, "ZARNELL");
    EXPECT_EQ(r.m_nGpsSel1, -1);
}

TEST(Record, NewDocumentDiffersOnlyWhereItShould) {
    CMyQuarnDoc doc;
    TraceRecord reading;
    EXPECT_EQ(doc.m_nMinMaxA, 1);
    EXPECT_EQ(doc.m_nMinMaxB, 1);
    EXPECT_EQ(doc.m_dScaleRfactor, 1000.0);
    EXPECT_EQ(doc.m_dScaleRpower, 200.0);
    TraceRecord copy = doc;
    copy.m_nMinMaxA = copy.m_nMinMaxB = 0;
    copy.m_dScaleRfactor = 200.0;
    copy.m_dScaleRpower = 20.0;
    EXPECT_TRUE(copy == reading);
}

TEST(Record, KeywordEnumerationsAreExactAndCaseSensitive) {
    struct Case {
        int (*fn)(std::string_view);
        const char* word;
        int value;
    };
    const Case cases[] = {
        {TraceModeFromKeyword, "ACTual", 0},    {TraceModeFromKeyword, "MAXHold", 1},
        {TraceModeFromKeyword, "MINHold", 2},   {TraceModeFromKeyword, "HOLD", 3},
        {TraceModeFromKeyword, "AVG", 4},       {TraceModeFromKeyword, "OFF", 5},
        {TraceModeFromKeyword, "maxhold", 0},   {TraceModeFromKeyword, "MAXHOLD", 0},
        {DetectorFromKeyword, "POSNeg", 0},     {DetectorFromKeyword, "SAMPle", 1},
        {DetectorFromKeyword, "POSitive", 2},   {DetectorFromKeyword, "NEGative", 3},
        {DetectorFromKeyword, "RMS", 4},        {DetectorFromKeyword, "SCALAR", 5},
        {DetectorFromKeyword, "VECTOR", 6},     {DetectorFromKeyword, "QPEak", 0},
        {MarkerStateFromKeyword, "OFF", 0},     {MarkerStateFromKeyword, "NORMal", 1},
        {MarkerStateFromKeyword, "DELTa", 2},   {MarkerStateFromKeyword, "NOISe", 3},
        {MarkerStateFromKeyword, "COUNter", 4}, {MarkerStateFromKeyword, "delta", 0},
        {MarkerStateFromKeyword, "", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.fn(c.word), c.value) << c.word;
    EXPECT_EQ(DetectorKeyword(4), "RMS");
    EXPECT_EQ(DetectorKeyword(5), "");  // the settings text knows five detectors
    EXPECT_EQ(TraceModeKeyword(6), "");
    EXPECT_EQ(MarkerStateKeyword(-1), "");
}

TEST(Record, FieldTableNamesEveryFieldOnce) {
    const auto& fields = AllRecordFields();
    std::set<std::string> names;
    for (const auto& f : fields)
        EXPECT_TRUE(names.insert(f.name).second) << f.name;
    EXPECT_NE(FindRecordField("m_dCenter"), nullptr);
    EXPECT_NE(FindRecordField("m_strExtRefFreq"), nullptr);
    EXPECT_EQ(FindRecordField("m_dSweepStop"), nullptr);  // parse record only
}

TEST(Record, NormalizeShapesRepairsArraysOfAnySize) {
    TraceRecord r;
    r.m_arrTraceA.resize(3);
    r.m_arrTraceB.clear();
    r.m_arrMarkerStateA.resize(2);
    r.m_arrUserTrace.resize(40);
    r.NormalizeShapes();
    EXPECT_EQ(r.m_arrTraceA.size(), 1002u);
    EXPECT_EQ(r.m_arrTraceA[1001], -999.0);
    EXPECT_EQ(r.m_arrTraceB.size(), 1002u);
    EXPECT_EQ(r.m_arrMarkerStateA.size(), 11u);
    EXPECT_EQ(r.m_arrUserTrace.size(), 11u);
}
