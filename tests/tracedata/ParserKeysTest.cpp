// Every plain key of the trace text fills its own field and nothing else; the keys with their own rules
// (DTF marker keys keep their quotes, the X: marker keys add the reader's offsets, delta markers follow
// marker A) give what those rules say.
#include <gtest/gtest.h>

#include <variant>

#include "ParseHelpers.h"
#include "TraceLineParser.h"

using namespace fl;

namespace {

enum Kind { S, I, R };
struct KeyRow {
    const char* key;
    const char* field;
    Kind kind;
};

// clang-format off
const KeyRow kPlainKeys[] = {
        {"SYSTem:DNAMe ", "m_strDeviceName", S},
        {"*CAL ", "m_strCalDate", S},
        {"SERVice:CHECk:NEXT ", "m_strCheckNext", S},
        {"SERVice:BOOTversion ", "m_strBootVersion", S},
        {"SERVice:DCONvertor:HWID ", "m_nDconvHwId", I},
        {"SERVice:DCONvertor:SERialnumber", "m_strDconvSerial", S},
        {"INSTrument:SELect ", "m_strMode", S},
        {"INPut:IMPedance ", "m_strImpedance", S},
        {"MMEMory:LOAD:EDEVice ", "m_strEdevFile", S},
        {"INPut:EDEVice ", "m_strEdevState", S},
        {"INPut:ATTenuation ", "m_dAttenuation", R},
        {"INPut:ATTenuation:AUTo ", "m_strAttenuationAuto", S},
        {"INSTrument:EREFfreq ", "m_strExtRefFreq", S},
        {"DISPlay:TRACe:Y:SCALe ", "m_dScaleLog", R},
        {"DISPlay:TRACe:Y:SCALe:LOGarithmic ", "m_dScaleLog", R},
        {"DISPlay:TRACe:Y:SCALe:LINear:VOLT ", "m_dScaleVolt", R},
        {"DISPlay:TRACe:Y:SCALe:LINear:WATT ", "m_dScaleWatt", R},
        {"DISPlay:TRACe:Y:SCALe:DTF:RFACtor ", "m_dScaleDtfRfactor", R},
        {"DISPlay:TRACe:Y:SCALe:RFLection:VSWR ", "m_dScaleVswr", R},
        {"DISPlay:TRACe:Y:SCALe:RFLection:RFACtor ", "m_dScaleRfactor", R},
        {"DISPlay:TRACe:Y:SCALe:RFLection:RPOWer ", "m_dScaleRpower", R},
        {"SENSe:REFLevel ", "m_dRefLevel", R},
        {"SENSe:REFLevel:UNIT ", "m_strRefLevelUnit", S},
        {"SENSe:RFLection:REFerence:VSWR ", "m_dRflRefVswr", R},
        {"SENSe:RFLection:REFerence:RFACtor ", "m_dRflRefRfactor", R},
        {"SENSe:RFLection:REFerence:RPOWer ", "m_dRflRefRpower", R},
        {"SENSe:DTF:REFerence:RFACtor ", "m_dDtfRefRfactor", R},
        {"SENSe:TRACe:AVGFactor ", "m_nAvgFactor", I},
        {"SENSe:TRACe:MATH ", "m_strTraceMath", S},
        {"SENSe:TRACe:MATH:A ", "m_strTraceMathA", S},
        {"SENSe:TRACe:MATH:B ", "m_strTraceMathB", S},
        {"SENSe:TRACe:MATH:OFFSet ", "m_dTraceMathOffset", R},
        {"SENSe:TRACe:DATa:LIMit ", "m_strTraceDataLimit", S},
        {"SENSe:FREQuency:CENTer ", "m_dCenter", R},
        {"SENSe:FREQuency:SPAN ", "m_dSpan", R},
        {"SENSe:FREQuency:STOP:MAX ", "m_dStopMax", R},
        {"SENSe:BANDwidth:RESolution ", "m_dRbw", R},
        {"SENSe:BANDwidth:RESolution:AUTo ", "m_strRbwAuto", S},
        {"SENSe:BANDwidth:VIDeo ", "m_dVbw", R},
        {"SENSe:BANDwidth:VIDeo:AUTo ", "m_strVbwAuto", S},
        {"SENSe:SWEep:TIMe ", "m_dSweepTime", R},
        {"SENSe:SWEep:TIMe:AUTo ", "m_strSweepTimeAuto", S},
        {"SENSe:STATe ", "m_strSenseState", S},
        {"SENSe:TRIGger ", "m_strTrigger", S},
        {"SENSe:TRIGger:LEVel ", "m_dTriggerLevel", R},
        {"SENSe:TRIGger:EDGe ", "m_strTriggerEdge", S},
        {"CALCulate:MARKer:FCOunt:RESolution ", "m_dCounterResolution", R},
        {"CALCulate:MARKer:FCOunt ", "m_dCounterFreq", R},
        {"CALCulate:MARKer:FCOunt:EREFfreq ", "m_strCounterExtRef", S},
        {"CALCulate:MEASure:OBW ", "m_dResultObw", R},
        {"CALCulate:MEASure:CPOWer ", "m_dResultCpower", R},
        {"CALCulate:MEASure:ACLoss ", "m_dResultCableLoss", R},
        {"# CALCulate:MEASure:EMF ", "m_dResultEmf", R},
        {"MMEMory:LOAD:LIMit ", "m_strLimitFile", S},
        {"CALCulate:LIMit:STATe ", "m_strLimitState", S},
        {"CALCulate:LIMit:FCOunt:COUNt ", "m_nLimitFailCount", I},
        {"CALCulate:LIMit:SIMPle:UPPer ", "m_dLimitUpper", R},
        {"CALCulate:LIMit:SIMPle:LOWer ", "m_dLimitLower", R},
        {"CALCulate:LIMit:SIMPle ", "m_strLimitSimple", S},
        {"SENSe:MEASure ", "m_strMeasure", S},
        {"SENSe:MEASure:CHANnel:WIDTh ", "m_dChannelWidth", R},
        {"SENSe:MEASure:CHANnel:SPACing ", "m_dChannelSpacing", R},
        {"SENSe:MEASure:OBW ", "m_nObwPercent", I},
        {"MMEMory:LOAD:CHANnel ", "m_strChanFile", S},
        {"SENSe:CPOWer:OBW ", "m_nCpowerObw", I},
        {"SENSe:CPOWer:SPAN ", "m_strCpowerSpan", S},
        {"SENSe:CPOWer:CHANnel ", "m_nCpowerChannel", I},
        {"SENSe:CPOWer:MEASure ", "m_strCpowerMeasure", S},
        {"SENSe:DTF:CLENgth:UNIT ", "m_strCableLengthUnit", S},
        {"SENSe:DTF:CLENgth ", "m_dCableLength", R},
        {"SENSe:DTF:REFerence:UNIT ", "m_strDtfRefUnit", S},
        {"SENSe:DTF:REFerence ", "m_dDtfRef", R},
        {"SENSe:DTF:CALibration ", "m_strDtfCal", S},
        {"SENSe:DTF:CALibration:ENABled ", "m_strDtfCalEnabled", S},
        {"MMEMory:LOAD:CTYPe ", "m_strCableTypeFile", S},
        {"SENSe:TRANsmission:REFerence ", "m_dTransRef", R},
        {"SENSe:TRANsmission:REFerence:UNIT ", "m_strTransRefUnit", S},
        {"INSTrument:GENerator ", "m_strGenerator", S},
        {"INSTrument:GENerator:LEVel ", "m_dGenLevel", R},
        {"INSTrument:GENerator:MODe ", "m_strGenMode", S},
        {"SENSe:RFLection:CALibration ", "m_strRflCal", S},
        {"SENSe:RFLection:CALibration:MODe ", "m_strRflCalMode", S},
        {"SENSe:RFLection:CALibration:ENABled ", "m_strRflCalEnabled", S},
        {"SENSe:RFLection:FILTer ", "m_dRflFilter", R},
        {"SENSe:RFLection:FILTer:AUTo ", "m_strRflFilterAuto", S},
        {"INPut:AFACtor ", "m_strAfactorState", S},
        {"MMEMory:LOAD:AFACtor ", "m_strAfactorFile", S},
        {"MMEMory:LOAD:AFACtor:ANTenna ", "m_strAfactorAntenna", S},
        {"INPut:CFACtor ", "m_strCfactorState", S},
        {"SERVice:EDEVice:TYPe ", "m_strEdevType", S},
        {"SERVice:EDEVice:TEXT ", "m_strEdevText", S},
        {"SERVice:EDEVice:SERialnumber ", "m_strEdevSerial", S},
        {"SERVice:EDEVice:CALibration:DATe ", "m_strEdevCalDate", S},
        {"SENSe:EMF:ANTenna:DIRection ", "m_strEmfDirection", S},
        {"SENSe:EMF:MEASure:DISPlay ", "m_strEmfDisplay", S},
        {"SENSe:EMF:MEASure ", "m_strEmfMeasure", S},
        {"SENSe:EMF:MEASure:LAST ", "m_strEmfLast", S},
        {"SENSe:EMF:MEASure:TIMe ", "m_dEmfTime", R},
        {"SENSe:EMF:REFerence:UNIT ", "m_strEmfRefUnit", S},
        {"SENSe:EMF:REFerence ", "m_dEmfRef", R},
        {"INSTrument:GPS:LONGitude ", "m_dGpsLongitude", R},
        {"INSTrument:GPS:LATitude ", "m_dGpsLatitude", R},
        {"INSTrument:GPS:TRACk:DATe ", "m_nGpsDate", I},
        {"INSTrument:GPS:TIMe ", "m_nGpsTime", I},
        {"INSTrument:GPS:QUALity ", "m_strGpsQuality", S},
        {"INSTrument:GPS:SATellites ", "m_nGpsSatellites", I},
        {"INSTrument:GPS:HDOP ", "m_dGpsHdop", R},
        {"INSTrument:GPS:SPEed ", "m_dGpsSpeed", R},
        {"INSTrument:GPS:SPEed:UNIT ", "m_strGpsSpeedUnit", S},
        {"INSTrument:GPS:ALTitude ", "m_dGpsAltitude", R},
        {"INSTrument:GPS:ALTitude:UNIT ", "m_strGpsAltitudeUnit", S},
};
// clang-format on

// The fields of `a` that differ from `b`.
std::vector<std::string> Changed(const TraceRecord& a, const TraceRecord& b) {
    std::vector<std::string> out;
    for (const auto& f : AllRecordFields())
        if (!std::visit([&](auto member) { return a.*member == b.*member; }, f.ptr)) out.push_back(f.name);
    return out;
}

}  // namespace

TEST(ParserKeys, EveryPlainKeyFillsItsOwnFieldOnly) {
    const ParseRecord defaults = test::ParseLines({});
    for (const auto& row : kPlainKeys) {
        const std::string key = row.key;
        const std::string sep = key.back() == ' ' ? "" : " ";
        const char* value = row.kind == S ? "'Ab c'" : row.kind == I ? "42" : "-12.5";
        std::vector<std::string> forms = {key + sep + value};
        if (key[0] != '#') forms.push_back("# " + key + sep + value);  // the comment form reads the same
        for (const auto& line : forms) {
            const ParseRecord r = test::ParseLines({line});
            const FieldInfo* f = FindRecordField(row.field);
            ASSERT_NE(f, nullptr) << row.field;
            bool ok = false;
            if (row.kind == S) ok = r.*std::get<Str TraceRecord::*>(f->ptr) == "Ab c";
            if (row.kind == I) ok = r.*std::get<Int TraceRecord::*>(f->ptr) == 42;
            if (row.kind == R) ok = r.*std::get<Real TraceRecord::*>(f->ptr) == -12.5;
            EXPECT_TRUE(ok) << line << " -> " << row.field;
            EXPECT_EQ(Changed(r, defaults), std::vector<std::string>{row.field}) << line;
        }
    }
}

TEST(ParserKeys, TheStopFrequencyFillsOnlyTheSweepStop) {
    const ParseRecord r = test::ParseLines({"SENSe:FREQuency:STOP 1801000000"});
    EXPECT_EQ(r.m_dSweepStop, 1801000000.0);
    EXPECT_TRUE(Changed(r, test::ParseLines({})).empty());
}

TEST(ParserKeys, MarkerKeys) {
    struct Case {
        std::string line;
        const char* field;
        int entry;
        double value;  // for the state arrays the MarkerState value
    };
    const Case cases[] = {
        // State keys with and without STATe, quotes removed; B to F are entries 2 to 6.
        {"CALCulate:MARKer:A:STATe NORMal", "m_arrMarkerStateA", 1, 1},
        {"CALCulate:MARKer:D 'DELTa'", "m_arrMarkerStateA", 4, 2},
        {"CALCulate:MARKer:F:STATe COUNter", "m_arrMarkerStateA", 6, 4},
        {"CALCulate:MARKer:E:STATe noise", "m_arrMarkerStateA", 5, 0},
        // DTF state keys: only the key is removed, so quotes stay and make the word unknown.
        {"CALCulate:MARKer:C:DTF NORMal", "m_arrMarkerStateA", 3, 1},
        {"CALCulate:MARKer:C:DTF 'NORMal'", "m_arrMarkerStateA", 3, 0},
        {"CALCulate:MARKer:B:DTF:STATe NOISe", "m_arrMarkerStateA", 2, 3},
        {"# CALCulate:MARKer:B:DTF:STATe NOISe", "m_arrMarkerStateA", 2, 0},
        // Positions: the number after the key plus 0.001 (1e-9 s for time); quotes are not removed.
        {"CALCulate:MARKer:A:X:FREQuency 947500000", "m_arrMarkerFreqA", 1, 947500000.001},
        {"CALCulate:MARKer:B:X:FREQuency '5'", "m_arrMarkerFreqA", 2, 0.001},
        {"CALCulate:MARKer:E:X:TIMe 0.25", "m_arrMarkerTimeA", 5, 0.250000001},
        {"CALCulate:MARKer:F:X:DISTance 12.5", "m_arrMarkerDistA", 6, 12.501},
    };
    const ParseRecord defaults = test::ParseLines({});
    for (const auto& c : cases) {
        const ParseRecord r = test::ParseLines({c.line});
        const FieldInfo* f = FindRecordField(c.field);
        ASSERT_NE(f, nullptr);
        double got = -1;
        if (auto p = std::get_if<IntArr TraceRecord::*>(&f->ptr))
            got = (r.*(*p))[static_cast<size_t>(c.entry)];
        if (auto p = std::get_if<RealArr TraceRecord::*>(&f->ptr))
            got = (r.*(*p))[static_cast<size_t>(c.entry)];
        EXPECT_NEAR(got, c.value, 1e-12) << c.line;
        const auto changed = Changed(r, defaults);
        EXPECT_LE(changed.size(), 1u) << c.line;
    }
    // Trace letters: the plain key drops quotes, the DTF key keeps them.
    EXPECT_EQ(test::ParseLines({"CALCulate:MARKer:B:TSELect 'B'"}).m_arrMarkerTrace[2], "B");
    EXPECT_EQ(test::ParseLines({"CALCulate:MARKer:D:DTF:TSELect B"}).m_arrMarkerTrace[4], "B");
    EXPECT_EQ(test::ParseLines({"CALCulate:MARKer:D:DTF:TSELect 'B'"}).m_arrMarkerTrace[4], "'B'");
}

TEST(ParserKeys, DeltaMarkersFollowMarkerA) {
    // Marker A at 100 MHz, B a delta of 5 MHz, C a delta of -2 MHz, D normal at 101 MHz: after Finish B and
    // C are absolute (each with both 0.001 offsets), A and D stay where they are, also when A itself is a
    // delta marker.
    for (const char* a : {"NORMal", "DELTa"}) {
        const ParseRecord r = test::ParseLines({
            std::string("CALCulate:MARKer:A:STATe ") + a,
            "CALCulate:MARKer:A:X:FREQuency 100000000",
            "CALCulate:MARKer:A:X:DISTance 10",
            "CALCulate:MARKer:B:STATe DELTa",
            "CALCulate:MARKer:B:X:FREQuency 5000000",
            "CALCulate:MARKer:B:X:DISTance 2.5",
            "CALCulate:MARKer:C:STATe DELTa",
            "CALCulate:MARKer:C:X:FREQuency -2000000",
            "CALCulate:MARKer:D:STATe NORMal",
            "CALCulate:MARKer:D:X:FREQuency 101000000",
        });
        EXPECT_NEAR(r.m_arrMarkerFreqA[1], 100000000.001, 1e-6) << a;
        EXPECT_NEAR(r.m_arrMarkerFreqA[2], 105000000.002, 1e-6) << a;
        EXPECT_NEAR(r.m_arrMarkerDistA[2], 12.502, 1e-9) << a;
        EXPECT_NEAR(r.m_arrMarkerFreqA[3], 98000000.002, 1e-6) << a;
        EXPECT_NEAR(r.m_arrMarkerFreqA[4], 101000000.001, 1e-6) << a;
    }
    // A Quarn1 reports its deltas the same way but keeps them relative.
    const ParseRecord q =
        test::ParseLines({"*IDN ZARNELL, Quarn1, 1, 2.31", "CALCulate:MARKer:A:X:FREQuency 100000000",
                          "CALCulate:MARKer:B:STATe DELTa", "CALCulate:MARKer:B:X:FREQuency 5000000"});
    EXPECT_NEAR(q.m_arrMarkerFreqA[2], 5000000.001, 1e-6);
}
