#include <gtest/gtest.h>

#include <functional>

#include "ParseHelpers.h"
#include "SettingsText.h"
#include "TraceLineParser.h"
#include "Units.h"

using namespace fl;

namespace {

ParseRecord Parse(std::initializer_list<std::string> lines) {
    return test::ParseLines(lines);
}

}  // namespace

TEST(Parser, FirstKeyInMatchingOrderWins) {
    struct Case {
        std::string line;
        std::string key;  // empty: no key
    };
    const Case cases[] = {
        {"SENSe:TRIGger:LEVel -40", "SENSe:TRIGger:LEVel "},
        {"SENSe:TRIGger VIDeo", "SENSe:TRIGger "},
        {"DISPlay:TRACe:Y:SCALe:LOGarithmic 5", "DISPlay:TRACe:Y:SCALe:LOGarithmic "},
        {"# SENSe:SWEep:STATe SINGle,3", "# SENSe:SWEep:STATe "},
        {"CALCulate:MARKer:C 'NORMal'", "CALCulate:MARKer:C "},
        {"CALCulate:MARKer:C:DTF:STATe DELTa", "CALCulate:MARKer:C:DTF:STATe "},
        // The key need not start the line; the earlier key in the order wins over the earlier position.
        {"xx SENSe:FREQuency:SPAN 5 *CAL 2007,1,1", "*CAL "},
        {"SERVice:DCONvertor:SERialnumber12", "SERVice:DCONvertor:SERialnumber"},
        {"SENSe:TRACe:DATa:LIMit NA", "SENSe:TRACe:DATa:LIMit "},
        {"sense:freq:center 5", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TraceLineParser::KeyText(TraceLineParser::MatchKey(c.line)), c.key) << c.line;
}

TEST(Parser, PlainValues) {
    auto r = Parse({
        "SENSe:FREQuency:CENTer 1800000000",
        "# SENSe:FREQuency:SPAN 2000000",
        "MMEMory:LOAD:LIMit 'GSM900'",
        "SENSe:TRACe:AVGFactor 16abc",
        "SENSe:BANDwidth:RESolution",
        "SYSTem:DNAMe 'SITE # 7'",
        "SENSe:FREQuency:STOP 1801000000",
        "INPut:ATTenuation -5.5e1",
        "SERVice:DCONvertor:HWID 99999999999",
    });
    EXPECT_EQ(r.m_dCenter, 1800000000.0);
    EXPECT_EQ(r.m_dSpan, 2000000.0);
    EXPECT_EQ(r.m_strLimitFile, "GSM900");
    EXPECT_EQ(r.m_nAvgFactor, 16);
    EXPECT_EQ(r.m_dRbw, 0.0);
    EXPECT_EQ(r.m_strDeviceName, "# 7");  // a '#' in the value costs the first word as well
    EXPECT_EQ(r.m_dSweepStop, 1801000000.0);
    EXPECT_EQ(r.m_dAttenuation, -55.0);
    EXPECT_EQ(r.m_nDconvHwId, 2147483647);
}

TEST(Parser, SpecialKeys) {
    auto r = Parse({
        "# TRACE GSM900;   created: 12.03.2007 14:05:33",
        "*IDN ZARNELL, Quarn, 0123456, 1.20",
        "# SENSe:SWEep:STATe SINGle,0",
        "SENSe:TRACe:A:STATe MAXHold",
        "# SENSe:TRACe:B:STATe AVG,4",
        "SENSe:DETector:FUNCtion RMS",
        "SENSe:RFLection:REFerence:UNIT RFACtor",
        "# CALCulate:MEASure:ACPR -45.2,-21.4,-46.8",
        "# SERVice:CHECk:LAST '2007,3,12,J. Berger'",
        "MMEMory:STORe:CTYPe 'RG213',0.66,6.5,M100,3000000000",
        "MMEMory:STORe:CHANnel "
        "'UMTS',10838,10562,3840000.0,5000000.0,2112400000.0,0.0,1,10562,2112400000.0,2,10563",
    });
    EXPECT_EQ(r.m_strTraceName, "GSM900");
    EXPECT_EQ(r.m_strCreated, "12.03.2007 14:05:33");
    EXPECT_EQ(r.m_strMaker, "ZARNELL");
    EXPECT_EQ(r.m_strModel, "Quarn");
    EXPECT_EQ(r.m_strSerial, "0123456");
    EXPECT_EQ(r.m_strFirmware, "1.20");
    EXPECT_EQ(r.m_strSweepState, "SINGle");
    EXPECT_EQ(r.m_nSweepCount, 1);
    EXPECT_EQ(r.m_nTraceModeA, MAXHold);
    EXPECT_EQ(r.m_nTraceModeB, AVG);
    EXPECT_EQ(r.m_nDetector, RMS);
    EXPECT_EQ(r.m_strRflRefUnit, "MRHO");
    EXPECT_DOUBLE_EQ(r.m_dResultAcprLower, -45.2);
    EXPECT_DOUBLE_EQ(r.m_dResultAcprMain, -21.4);
    EXPECT_DOUBLE_EQ(r.m_dResultAcprUpper, -46.8);
    EXPECT_EQ(r.m_strCheckLast, "2007,3,12,");
    EXPECT_EQ(r.m_strCheckLastBy, "J. Berger");
    EXPECT_DOUBLE_EQ(r.m_dCableDielectric, 0.6601);
    EXPECT_DOUBLE_EQ(r.m_dCableAttenuation, 6.5001);
    EXPECT_EQ(r.m_strCableAttUnit, "M100");
    EXPECT_EQ(r.m_dCableCutoff, 3000000000.0);
    EXPECT_EQ(r.m_nChanSysLast, 10838);
    EXPECT_EQ(r.m_nChanSysFirst, 10562);
    EXPECT_DOUBLE_EQ(r.m_dChanSysWidth, 3840000.001);
    EXPECT_DOUBLE_EQ(r.m_dChanSysFirstCenter, 2112400000.001);
    // Two full entries and a last one cut short after its second field.
    EXPECT_EQ(r.m_arrChanEntryInt1, (std::vector<int>{1, 2}));
    EXPECT_EQ(r.m_arrChanEntryInt2, (std::vector<int>{10562, 10563}));
    EXPECT_EQ(r.m_arrChanEntryReal, (std::vector<double>{2112400000.0, 0.0}));
}

TEST(Parser, IdnWithoutBlanksLosesFirstCharacters) {
    auto r = Parse({"*IDN ZARNELL,Quarn2,0123456,1.20"});
    EXPECT_EQ(r.m_strMaker, "ZARNELL");
    EXPECT_EQ(r.m_strModel, "uarn2");
    EXPECT_EQ(r.m_strSerial, "123456");
    EXPECT_EQ(r.m_strFirmware, ".20");
}

TEST(Parser, LimitLinesTakeFiveFieldsEach) {
    auto r = Parse({"# MMEMory:STORe:LIMit 'MASK',1,0,1.5,250,1.5,2,250,2,500,2,3,1"});
    EXPECT_EQ(r.m_arrLimitLines, (std::vector<std::string>{"1,0,1.5,250,1.5", "2,250,2,500,2"}));
    // A second limit line replaces the first completely.
    r = Parse({"# MMEMory:STORe:LIMit 'MASK',1,0,1,2,3", "# MMEMory:STORe:LIMit 'X',4,5,6,7,8"});
    EXPECT_EQ(r.m_arrLimitLines, (std::vector<std::string>{"4,5,6,7,8"}));
}

TEST(Parser, MarkersAndDeltaMarkers) {
    auto r = Parse({
        "CALCulate:MARKer:A:STATe NORMal",
        "CALCulate:MARKer:A:X:FREQuency 100000000",
        "CALCulate:MARKer:B:STATe DELTa",
        "CALCulate:MARKer:B:X:FREQuency 5000000",
        "CALCulate:MARKer:F 'COUNter'",
        "CALCulate:MARKer:F:TSELect 'B'",
        "CALCulate:MARKer:C:DTF:STATe DELTa",
        "CALCulate:MARKer:C:X:TIMe 0.5",
    });
    EXPECT_EQ(r.m_arrMarkerStateA[1], NORMal);
    EXPECT_DOUBLE_EQ(r.m_arrMarkerFreqA[1], 100000000.001);
    EXPECT_EQ(r.m_arrMarkerStateA[2], DELTa);
    EXPECT_DOUBLE_EQ(r.m_arrMarkerFreqA[2], 105000000.002);
    EXPECT_EQ(r.m_arrMarkerStateA[6], COUNter);
    EXPECT_EQ(r.m_arrMarkerTrace[6], "B");
    EXPECT_DOUBLE_EQ(r.m_arrMarkerTimeA[3], 0.5 + 1e-9);
    for (int e : {0, 7, 8, 9, 10})
        EXPECT_EQ(r.m_arrMarkerStateA[e], 0) << e;

    // Quarn1 reports absolute positions already.
    auto q1 = Parse({"*IDN ZARNELL, Quarn1, 1, 1.0", "CALCulate:MARKer:A:X:FREQuency 100000000",
                     "CALCulate:MARKer:B:STATe DELTa", "CALCulate:MARKer:B:X:FREQuency 5000000"});
    EXPECT_DOUBLE_EQ(q1.m_arrMarkerFreqA[2], 5000000.001);
}

TEST(Parser, PointDataForms) {
    struct Case {
        std::string line;
        std::vector<std::pair<int, double>> points;  // index, level
        int minMax;
    };
    const Case cases[] = {
        {"SENSe:TRACe:DATa A,MINMax,'000001002'",
         {{0, -200.0}, {1, -999.0}, {2, -199.9}, {4, -199.8}, {6, -999.0}},
         1},
        {"SENSe:TRACe:DATa A,ALL,'000001002'",
         {{0, -200.0}, {1, -200.0}, {2, -199.9}, {3, -199.9}, {5, -199.8}, {6, -999.0}},
         0},
        {"SENSe:TRACe:DATa ACTual,ALL,'7D0 FFF'", {{0, 0.0}, {1, 0.0}, {2, 209.5}, {3, 209.5}}, 0},
        {"SENSe:TRACe:DATa A,ALL,'7d0ff'", {{0, 0.0}, {2, -999.0}}, 0},  // trailing partial group dropped
        {"SENSe:TRACe:DATa A,MINMax", {{0, -999.0}}, 1},
        {"SENSe:TRACe:DATa A", {{0, -999.0}}, 0},
    };
    for (const auto& c : cases) {
        auto r = Parse({c.line});
        for (auto [i, level] : c.points)
            EXPECT_DOUBLE_EQ(r.m_arrTraceA[i], level) << c.line << " @" << i;
        EXPECT_EQ(r.m_nMinMaxA, c.minMax) << c.line;
        EXPECT_EQ(r.m_arrTraceB[0], -999.0);
    }
}

TEST(Parser, MinMaxFillsEvenThenOddPoints) {
    std::vector<double> pts(1002);
    for (int i = 0; i < 1002; ++i)
        pts[i] = -100.0 + (i % 97) * 0.1;
    auto r = Parse({"SENSe:TRACe:DATa B,MINMax,'" + EncodePointData(pts, true) + "'"});
    EXPECT_EQ(r.m_nMinMaxB, 1);
    for (int i = 0; i < 1002; ++i)
        ASSERT_DOUBLE_EQ(r.m_arrTraceB[i], RoundTo(pts[i], 1)) << i;
    // More data than points is not written past the end: "777" is 1911, -8.9 dB, in every point of A in
    // both forms, and nothing spills into trace B.
    for (const char* form : {"MINMax", "ALL"}) {
        auto big =
            Parse({std::string("SENSe:TRACe:DATa A,") + form + ",'" + std::string(3 * 5000, '7') + "'"});
        ASSERT_EQ(big.m_arrTraceA.size(), 1002u);
        for (int i = 0; i < 1002; ++i)
            ASSERT_DOUBLE_EQ(big.m_arrTraceA[i], -8.9) << form << " " << i;
        for (double p : big.m_arrTraceB)
            ASSERT_EQ(p, -999.0) << form;
    }
}

TEST(Parser, TransmissionNormalisationSubtractsGeneratorLevel) {
    auto r = Parse({"INSTrument:SELect TRANsmission", "SENSe:TRANsmission:REFerence:UNIT DB",
                    "INSTrument:GENerator:LEVel -10", "SENSe:TRACe:DATa A,ALL,'7D0'"});
    EXPECT_DOUBLE_EQ(r.m_arrTraceA[0], 10.0);
    EXPECT_DOUBLE_EQ(r.m_arrTraceA[2], -989.0);  // every point, the missing ones too
    auto abs = Parse({"INSTrument:SELect TRANsmission", "SENSe:TRANsmission:REFerence:UNIT DBM",
                      "INSTrument:GENerator:LEVel -10", "SENSe:TRACe:DATa A,ALL,'7D0'"});
    EXPECT_DOUBLE_EQ(abs.m_arrTraceA[0], 0.0);
}

TEST(Parser, NoDataLineMeansEmptyTraces) {
    auto r = Parse({"SENSe:FREQuency:CENTer 1"});
    for (double p : r.m_arrTraceA)
        ASSERT_EQ(p, -999.0);
    for (double p : r.m_arrTraceB)
        ASSERT_EQ(p, -999.0);
}

TEST(Parser, ResetKeepsMinMaxFormOfLastParse) {
    ParseRecord rec;
    {
        TraceLineParser p(rec);
        p.ResetDefaults();
        p.ParseLine("SENSe:TRACe:DATa B,MINMax,'000'");
        p.ParseLine("SENSe:FREQuency:CENTer 5");
    }
    TraceLineParser p(rec);
    p.ResetDefaults();
    EXPECT_EQ(rec.m_nMinMaxB, 1);
    EXPECT_EQ(rec.m_dCenter, 0.0);
    EXPECT_EQ(rec.m_arrTraceB[0], -999.0);
}

TEST(Parser, HostileLinesGiveTheRulesValues) {
    // Each line alone on fresh reading defaults: a missing value gives "", 0 or 0.0 (plus the reader's
    // fixed offsets), a word that is no decimal number gives 0.0, and nothing is written out of place.
    struct Case {
        std::string line;
        std::function<bool(const ParseRecord&)> holds;
        const char* what;
    };
    const Case cases[] = {
        {"# TRACE", [](auto& r) { return r.m_strTraceName.empty(); }, "no key without its blank"},
        {"# TRACE x", [](auto& r) { return r.m_strTraceName == "x"; }, "name without created text"},
        {"# TRACE a;b:", [](auto& r) { return r.m_strTraceName == "a" && r.m_strCreated.empty(); },
         "empty created"},
        {"*IDN ,,,",
         [](auto& r) { return r.m_strMaker.empty() && r.m_strModel.empty() && r.m_strSerial.empty(); },
         "empty identity fields"},
        {"# CALCulate:MEASure:ACPR ",
         [](auto& r) {
             return r.m_dResultAcprLower == 0 && r.m_dResultAcprMain == 0 && r.m_dResultAcprUpper == 0;
         },
         "ACPR without values"},
        {"MMEMory:STORe:CHANnel ,,,,,,,,,,,,,,,,,,,",
         [](auto& r) {
             return r.m_nChanSysLast == 0 && r.m_dChanSysWidth == 0.001 && r.m_dChanSysValue4 == 0.001;
         },
         "empty channel system"},
        {"MMEMory:STORe:CTYPe ",
         [](auto& r) {
             return r.m_dCableDielectric == 0.0001 && r.m_dCableAttenuation == 0.0001 &&
                    r.m_dCableCutoff == 0;
         },
         "empty cable type"},
        {"# SERVice:CHECk:LAST ",
         [](auto& r) { return r.m_strCheckLast.empty() && r.m_strCheckLastBy.empty(); }, "empty check"},
        {"SENSe:SWEep:STATe ", [](auto& r) { return r.m_strSweepState.empty() && r.m_nSweepCount == 1; },
         "sweep count raised to 1"},
        {"SENSe:TRACe:DATa ,,", [](auto& r) { return r.m_arrTraceA[0] == -999.0 && r.m_nMinMaxA == 0; },
         "data line without data"},
        {"CALCulate:MARKer:A:X:FREQuency ", [](auto& r) { return r.m_arrMarkerFreqA[1] == 0.001; },
         "marker without value"},
        {"SENSe:FREQuency:CENTer nan", [](auto& r) { return r.m_dCenter == 0.0; }, "nan is no number"},
        {"SENSe:FREQuency:SPAN -inf", [](auto& r) { return r.m_dSpan == 0.0; }, "inf is no number"},
        {"SENSe:FREQuency:CENTer 1e999", [](auto& r) { return r.m_dCenter == 0.0; }, "beyond a double"},
        {"SENSe:FREQuency:SPAN -1e400", [](auto& r) { return r.m_dSpan == 0.0; }, "beyond, negative"},
        {"SENSe:FREQuency:CENTer -.5e3", [](auto& r) { return r.m_dCenter == -500.0; }, "a number is one"},
        {std::string("SENSe:TRACe:DATa A,ALL,'\xff\x00zz7d0", 31),
         [](auto& r) { return r.m_arrTraceA[4] == -999.0 && r.m_arrTraceB[0] == -999.0; },
         "binary data fills no more than its own groups"},
    };
    for (const auto& c : cases) {
        const ParseRecord rec = test::ParseLines({c.line});
        EXPECT_TRUE(c.holds(rec)) << c.what << ": " << c.line;
        EXPECT_EQ(rec.m_arrTraceA.size(), 1002u);
        EXPECT_EQ(rec.m_arrMarkerFreqA.size(), 11u);
    }
}
