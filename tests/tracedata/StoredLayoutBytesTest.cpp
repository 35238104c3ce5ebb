// The stored layouts built byte by byte from their published field order, independent of the program's
// own field list: a field read or written out of place changes a value and fails here.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <variant>

#include "CMyQuarnDoc.h"
#include "TraceRecord.h"

using namespace fl;

namespace {

enum Kind { Int, Real, Str, RealArr, IntArr, StrArr, IntEntry, RealEntry };
struct Field {
    const char* name;  // empty: an int that is read and not used
    Kind kind;
    int entry;  // for one element of a marker array, written without a count
};

// clang-format off
const Field kVersionF[] = {
    {"m_arrTraceA", RealArr, -1},
    {"m_nMinMaxA", Int, -1},
    {"m_arrTraceB", RealArr, -1},
    {"m_nMinMaxB", Int, -1},
    {"m_arrLimitLines", StrArr, -1},
    {"m_strTraceName", Str, -1},
    {"m_strCreated", Str, -1},
    {"m_strDeviceName", Str, -1},
    {"m_strComment", Str, -1},
    {"m_strMaker", Str, -1},
    {"m_strModel", Str, -1},
    {"m_strSerial", Str, -1},
    {"m_strFirmware", Str, -1},
    {"m_strCalDate", Str, -1},
    {"m_strCheckLast", Str, -1},
    {"m_strCheckLastBy", Str, -1},
    {"m_strCheckNext", Str, -1},
    {"m_strMode", Str, -1},
    {"m_strImpedance", Str, -1},
    {"m_strEdevFile", Str, -1},
    {"m_strEdevState", Str, -1},
    {"m_dAttenuation", Real, -1},
    {"m_strAttenuationAuto", Str, -1},
    {"m_dRefLevel", Real, -1},
    {"m_dScaleLog", Real, -1},
    {"m_strRefLevelUnit", Str, -1},
    {"m_nTraceModeA", Int, -1},
    {"m_nTraceModeB", Int, -1},
    {"m_nAvgFactor", Int, -1},
    {"m_dResultObw", Real, -1},
    {"m_dResultAcprLower", Real, -1},
    {"m_dResultAcprMain", Real, -1},
    {"m_dResultAcprUpper", Real, -1},
    {"m_dResultCpower", Real, -1},
    {"m_dCenter", Real, -1},
    {"m_dSpan", Real, -1},
    {"m_dRbw", Real, -1},
    {"m_strRbwAuto", Str, -1},
    {"m_dVbw", Real, -1},
    {"m_strVbwAuto", Str, -1},
    {"m_dSweepTime", Real, -1},
    {"m_strSweepTimeAuto", Str, -1},
    {"m_nSweepCount", Int, -1},
    {"m_nDetector", Int, -1},
    {"m_strSweepState", Str, -1},
    {"m_strSenseState", Str, -1},
    {"m_strLimitFile", Str, -1},
    {"m_strLimitState", Str, -1},
    {"m_nLimitFailCount", Int, -1},
    {"m_dLimitUpper", Real, -1},
    {"m_dLimitLower", Real, -1},
    {"m_strLimitState", Str, -1},
    {"m_strTrigger", Str, -1},
    {"m_strTriggerEdge", Str, -1},
    {"m_dTriggerLevel", Real, -1},
    {"m_strMeasure", Str, -1},
    {"m_dChannelWidth", Real, -1},
    {"m_dChannelSpacing", Real, -1},
    {"m_nObwPercent", Int, -1},
    {"m_strChanFile", Str, -1},
    {"m_dChanSysFirstCenter", Real, -1},
    {"m_nChanSysLast", Int, -1},
    {"m_nChanSysFirst", Int, -1},
    {"m_dChanSysWidth", Real, -1},
    {"m_dChanSysSpacing", Real, -1},
    {"m_dChanSysValue4", Real, -1},
    {"m_nCpowerObw", Int, -1},
    {"m_strCpowerSpan", Str, -1},
    {"m_nCpowerChannel", Int, -1},
    {"m_strCpowerMeasure", Str, -1},
    {"m_strCableLengthUnit", Str, -1},
    {"m_dCableLength", Real, -1},
    {"m_dTraceMathOffset", Real, -1},
    {"m_strTraceMathA", Str, -1},
    {"m_strTraceMathB", Str, -1},
    {"m_strCableTypeFile", Str, -1},
    {"m_dGenLevel", Real, -1},
    {"m_strGenerator", Str, -1},
    {"m_dCableDielectric", Real, -1},
    {"m_dCableAttenuation", Real, -1},
    {"m_strCableAttUnit", Str, -1},
    {"m_arrChanEntryInt1", IntArr, -1},
    {"m_arrChanEntryInt2", IntArr, -1},
    {"m_arrChanEntryReal", RealArr, -1},
    {"m_dCounterResolution", Real, -1},
    {"m_dCounterFreq", Real, -1},
    {"m_strTraceDataLimit", Str, -1},
    {"m_strBootVersion", Str, -1},
    {"m_strCounterExtRef", Str, -1},
    {"m_strTraceMath", Str, -1},
    {"m_strDtfRefUnit", Str, -1},
    {"m_dDtfRef", Real, -1},
    {"m_strDtfCal", Str, -1},
    {"m_strGenMode", Str, -1},
    {"m_dTransRef", Real, -1},
    {"m_strTransRefUnit", Str, -1},
    {"m_strEdevType", Str, -1},
    {"m_strEdevText", Str, -1},
    {"m_strEdevSerial", Str, -1},
    {"m_strEdevCalDate", Str, -1},
    {"m_strRflCal", Str, -1},
    {"m_strRflCalMode", Str, -1},
    {"m_dResultCableLoss", Real, -1},
    {"m_arrUserStateA", IntArr, -1},
    {"m_arrUserFreqA", RealArr, -1},
    {"m_arrUserTimeA", RealArr, -1},
    {"m_arrUserDistA", RealArr, -1},
    {"m_arrMarkerTextA", StrArr, -1},
    {"m_arrUserStateB", IntArr, -1},
    {"m_arrUserFreqB", RealArr, -1},
    {"m_arrUserTimeB", RealArr, -1},
    {"m_arrUserDistB", RealArr, -1},
    {"m_arrMarkerTextB", StrArr, -1},
    {"m_bShowGrid", Int, -1},
    {"m_bShowMarkersA", Int, -1},
    {"m_bShowMarkersB", Int, -1},
    {"m_bShowLevelPanel", Int, -1},
    {"m_bShowStatusPanel", Int, -1},
    {"m_bShowTracePanel", Int, -1},
    {"m_bShowInstrumentPanel", Int, -1},
    {"m_bShowEdevPanel", Int, -1},
    {"m_nOrientation", Int, -1},
    {"m_bShowTraceA", Int, -1},
    {"m_bShowTraceB", Int, -1},
    {"m_nViewInt1", Int, -1},
    {"m_nFrontTrace", Int, -1},
    {"m_bThresholdSet", Int, -1},
    {"m_dMarkerThreshold", Real, -1},
    {"m_dRflRefVswr", Real, -1},
    {"m_dRflRefRfactor", Real, -1},
    {"m_dRflRefRpower", Real, -1},
    {"m_dScaleVolt", Real, -1},
    {"m_dScaleWatt", Real, -1},
    {"m_dScaleDtfRfactor", Real, -1},
    {"m_dScaleVswr", Real, -1},
    {"m_dScaleRfactor", Real, -1},
    {"m_dScaleRpower", Real, -1},
    {"m_dDtfRefRfactor", Real, -1},
    {"m_dCableCutoff", Real, -1},
    {"m_strRflRefUnit", Str, -1},
    {"m_dUserLevel", Real, -1},
    {"m_strLimitSimple", Str, -1},
    {"m_strRflCalEnabled", Str, -1},
    {"m_strDtfCalEnabled", Str, -1},
    {"m_arrUserTrace", StrArr, -1},
    {"m_arrMarkerStateA", IntArr, -1},
    {"m_arrMarkerFreqA", RealArr, -1},
    {"m_arrMarkerTimeA", RealArr, -1},
    {"m_arrMarkerDistA", RealArr, -1},
    {"m_arrMarkerStateB", IntArr, -1},
    {"m_arrMarkerFreqB", RealArr, -1},
    {"m_arrMarkerTimeB", RealArr, -1},
    {"m_arrMarkerDistB", RealArr, -1},
    {"m_strAfactorState", Str, -1},
    {"m_strAfactorFile", Str, -1},
    {"m_strCfactorState", Str, -1},
    {"m_strCfactorFile", Str, -1},
    {"m_strEmfDirection", Str, -1},
    {"m_dResultEmf", Real, -1},
    {"m_strEmfDisplay", Str, -1},
    {"m_strEmfMeasure", Str, -1},
    {"m_dEmfTime", Real, -1},
    {"m_strEmfRefUnit", Str, -1},
    {"m_dEmfRef", Real, -1},
    {"m_strAfactorAntenna", Str, -1},
    {"m_strEmfLast", Str, -1},
    {"m_bShowGpsPanel", Int, -1},
    {"m_nGpsSel1", Int, -1},
    {"m_nGpsSel2", Int, -1},
    {"m_nGpsSel3", Int, -1},
    {"m_dGpsLongitude", Real, -1},
    {"m_dGpsLatitude", Real, -1},
    {"m_nGpsDate", Int, -1},
    {"m_nGpsTime", Int, -1},
    {"m_strGpsQuality", Str, -1},
    {"m_nGpsSatellites", Int, -1},
    {"m_dGpsHdop", Real, -1},
    {"m_dGpsSpeed", Real, -1},
    {"m_strGpsSpeedUnit", Str, -1},
    {"m_dGpsAltitude", Real, -1},
    {"m_strGpsAltitudeUnit", Str, -1},
    {"m_dStopMax", Real, -1},
    {"m_arrMarkerFlagA", IntArr, -1},
    {"m_arrMarkerFlagB", IntArr, -1},
    {"m_strExtRefFreq", Str, -1},
};
const Field kUnversioned[] = {
    {"m_arrTraceA", RealArr, -1},
    {"m_arrLimitLines", StrArr, -1},
    {"m_nMinMaxA", Int, -1},
    {"m_strTraceName", Str, -1},
    {"m_strCreated", Str, -1},
    {"m_strDeviceName", Str, -1},
    {"m_strComment", Str, -1},
    {"m_strMaker", Str, -1},
    {"m_strModel", Str, -1},
    {"m_strSerial", Str, -1},
    {"m_strFirmware", Str, -1},
    {"m_strCalDate", Str, -1},
    {"m_strCheckLast", Str, -1},
    {"m_strCheckLastBy", Str, -1},
    {"m_strCheckNext", Str, -1},
    {"m_strMode", Str, -1},
    {"m_strImpedance", Str, -1},
    {"m_strEdevFile", Str, -1},
    {"m_strEdevState", Str, -1},
    {"m_dAttenuation", Real, -1},
    {"m_strAttenuationAuto", Str, -1},
    {"m_dRefLevel", Real, -1},
    {"m_dScaleLog", Real, -1},
    {"", Int, -1},
    {"m_nTraceModeA", Int, -1},
    {"m_nTraceModeB", Int, -1},
    {"m_arrMarkerStateA", IntEntry, 1},
    {"m_arrMarkerStateA", IntEntry, 2},
    {"m_arrMarkerStateA", IntEntry, 3},
    {"m_arrMarkerStateA", IntEntry, 4},
    {"m_arrMarkerFreqA", RealEntry, 1},
    {"m_arrMarkerFreqA", RealEntry, 2},
    {"m_arrMarkerFreqA", RealEntry, 3},
    {"m_arrMarkerFreqA", RealEntry, 4},
    {"m_arrMarkerTimeA", RealEntry, 1},
    {"m_arrMarkerTimeA", RealEntry, 2},
    {"m_arrMarkerTimeA", RealEntry, 3},
    {"m_arrMarkerTimeA", RealEntry, 4},
    {"m_nAvgFactor", Int, -1},
    {"m_dResultObw", Real, -1},
    {"m_dResultAcprLower", Real, -1},
    {"m_dResultAcprMain", Real, -1},
    {"m_dResultAcprUpper", Real, -1},
    {"m_dResultCpower", Real, -1},
    {"m_dCenter", Real, -1},
    {"m_dSpan", Real, -1},
    {"m_dRbw", Real, -1},
    {"m_strRbwAuto", Str, -1},
    {"m_dVbw", Real, -1},
    {"m_strVbwAuto", Str, -1},
    {"m_dSweepTime", Real, -1},
    {"m_strSweepTimeAuto", Str, -1},
    {"m_nSweepCount", Int, -1},
    {"m_nDetector", Int, -1},
    {"m_strSweepState", Str, -1},
    {"m_strSenseState", Str, -1},
    {"m_strLimitFile", Str, -1},
    {"m_strLimitState", Str, -1},
    {"m_nLimitFailCount", Int, -1},
    {"m_dLimitUpper", Real, -1},
    {"m_dLimitLower", Real, -1},
    {"m_strLimitState", Str, -1},
    {"m_strTrigger", Str, -1},
    {"m_strTriggerEdge", Str, -1},
    {"m_dTriggerLevel", Real, -1},
    {"m_strMeasure", Str, -1},
    {"m_dChannelWidth", Real, -1},
    {"m_dChannelSpacing", Real, -1},
    {"m_nObwPercent", Int, -1},
    {"m_strChanFile", Str, -1},
    {"m_strChanFile", Str, -1},
    {"m_nChanSysLast", Int, -1},
    {"m_nChanSysFirst", Int, -1},
    {"m_dChanSysWidth", Real, -1},
    {"m_dChanSysSpacing", Real, -1},
    {"m_dChanSysValue4", Real, -1},
    {"m_nCpowerObw", Int, -1},
    {"m_strCpowerSpan", Str, -1},
    {"m_nCpowerChannel", Int, -1},
    {"m_strCpowerMeasure", Str, -1},
};
const Field kUnversionedExtension[] = {
    {"m_dChanSysFirstCenter", Real, -1},
    {"m_strCableLengthUnit", Str, -1},
    {"m_dCableLength", Real, -1},
    {"m_dTraceMathOffset", Real, -1},
    {"m_strTraceMathA", Str, -1},
    {"m_strTraceMathB", Str, -1},
    {"m_strCableTypeFile", Str, -1},
    {"m_arrMarkerDistA", RealEntry, 1},
    {"m_arrMarkerDistA", RealEntry, 2},
    {"m_arrMarkerDistA", RealEntry, 3},
    {"m_arrMarkerDistA", RealEntry, 4},
    {"m_dGenLevel", Real, -1},
    {"m_strGenerator", Str, -1},
    {"m_dCableDielectric", Real, -1},
    {"m_dCableAttenuation", Real, -1},
    {"m_strCableAttUnit", Str, -1},
    {"m_arrChanEntryInt1", IntArr, -1},
    {"m_arrChanEntryInt2", IntArr, -1},
    {"m_arrChanEntryReal", RealArr, -1},
    {"m_dCounterResolution", Real, -1},
    {"m_dCounterFreq", Real, -1},
    {"m_strTraceDataLimit", Str, -1},
    {"m_strBootVersion", Str, -1},
    {"m_strCounterExtRef", Str, -1},
    {"m_strTraceMath", Str, -1},
    {"m_strDtfRefUnit", Str, -1},
    {"m_dDtfRef", Real, -1},
    {"m_strDtfCal", Str, -1},
    {"m_strGenMode", Str, -1},
    {"m_dTransRef", Real, -1},
};
// clang-format on

using Value =
    std::variant<int, double, std::string, std::vector<double>, std::vector<int>, std::vector<std::string>>;

class Bytes {
  public:
    void Byte(unsigned char b) { s.push_back(static_cast<char>(b)); }
    void Int(int v) {
        for (int i = 0; i < 4; ++i)
            Byte(static_cast<unsigned char>((static_cast<unsigned>(v) >> (8 * i)) & 0xFF));
    }
    void Real(double v) {
        unsigned char b[8];
        std::memcpy(b, &v, 8);  // little-endian host
        for (unsigned char c : b)
            Byte(c);
    }
    void Count(size_t n) {
        Byte(static_cast<unsigned char>(n & 0xFF));
        Byte(static_cast<unsigned char>(n >> 8));
    }
    void String(const std::string& t) {
        if (t.size() < 255) {
            Byte(static_cast<unsigned char>(t.size()));
        } else {
            Byte(0xFF);
            Count(t.size());
        }
        s += t;
    }
    std::string s;
};

// Writes each field with a value of its own (strings of different lengths, reals that differ in every
// field) and records what reading must give.
class Builder {
  public:
    void Add(const Field& f) {
        ++n;
        switch (f.kind) {
            case Int: {
                const int v = 1000 + n;
                out.Int(v);
                Expect(f, v);
                break;
            }
            case Real: {
                const double v = n * 1.5 + 0.25;
                out.Real(v);
                Expect(f, v);
                break;
            }
            case Str: {
                std::string v = "v" + std::to_string(n) + std::string(static_cast<size_t>(n % 9), '.');
                if (std::string(f.name) == "m_strComment") v = std::string(300, 'c');  // long prefix form
                // Carried twice: the second one is kept, the writer puts the kept value at both places.
                if (std::string(f.name) == "m_strLimitState") {
                    const bool first = !expected.count(f.name);
                    v = first && firstLimitStateDiffers ? "first limit state" : "limit state";
                }
                out.String(v);
                Expect(f, v);
                break;
            }
            case RealArr: {
                const bool points = std::string(f.name).rfind("m_arrTrace", 0) == 0;
                std::vector<double> v(points ? 1002 : 11);
                if (std::string(f.name) == "m_arrChanEntryReal") v.resize(3);
                for (size_t i = 0; i < v.size(); ++i)
                    v[i] = n * 100.0 + static_cast<double>(i) * 0.5;
                out.Count(v.size());
                for (double x : v)
                    out.Real(x);
                Expect(f, v);
                break;
            }
            case IntArr: {
                std::vector<int> v(std::string(f.name).rfind("m_arrChanEntry", 0) == 0 ? 3 : 11);
                for (size_t i = 0; i < v.size(); ++i)
                    v[i] = n * 100 + static_cast<int>(i);
                out.Count(v.size());
                for (int x : v)
                    out.Int(x);
                Expect(f, v);
                break;
            }
            case StrArr: {
                std::vector<std::string> v(std::string(f.name) == "m_arrLimitLines" ? 2 : 11);
                for (size_t i = 0; i < v.size(); ++i)
                    v[i] = std::to_string(n) + "/" + std::string(i + 1, 'x');
                out.Count(v.size());
                for (const auto& x : v)
                    out.String(x);
                Expect(f, v);
                break;
            }
            case IntEntry: {
                const int v = 500 + n;
                out.Int(v);
                entries[f.name][f.entry] = v;
                break;
            }
            case RealEntry: {
                const double v = n + 0.125;
                out.Real(v);
                entries[f.name][f.entry] = v;
                break;
            }
        }
    }
    template <class T>
    void Expect(const Field& f, T v) {
        if (*f.name) expected[f.name] = Value(std::move(v));
    }

    bool firstLimitStateDiffers = true;
    Bytes out;
    std::map<std::string, Value> expected;
    std::map<std::string, std::map<int, double>> entries;
    int n = 0;
};

// Every field the bytes carried holds what was written into its place.
void ExpectFields(const TraceRecord& r, const Builder& b) {
    for (const auto& [name, value] : b.expected) {
        const FieldInfo* f = FindRecordField(name);
        ASSERT_NE(f, nullptr) << name;
        const bool same = std::visit(
            [&](auto member) {
                using T = std::decay_t<decltype(r.*member)>;
                const T* want = std::get_if<T>(&value);
                return want && r.*member == *want;
            },
            f->ptr);
        EXPECT_TRUE(same) << name;
    }
    for (const auto& [name, byEntry] : b.entries) {
        const FieldInfo* f = FindRecordField(name);
        ASSERT_NE(f, nullptr) << name;
        for (const auto& [entry, v] : byEntry)
            std::visit(
                [&](auto member) {
                    using T = std::decay_t<decltype(r.*member)>;
                    if constexpr (std::is_same_v<T, std::vector<int>> ||
                                  std::is_same_v<T, std::vector<double>>)
                        EXPECT_EQ(static_cast<double>((r.*member)[static_cast<size_t>(entry)]), v)
                            << name << " entry " << entry;
                    else
                        ADD_FAILURE() << name << " is not a marker array";
                },
                f->ptr);
    }
}

size_t FirstDifference(const std::string& a, const std::string& b) {
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    return i;
}

Builder VersionBytes(char version, const char* lastField, bool firstLimitStateDiffers = true) {
    Builder b;
    b.firstLimitStateDiffers = firstLimitStateDiffers;
    b.out.Byte(static_cast<unsigned char>(version));
    for (const Field& f : kVersionF) {
        b.Add(f);
        if (std::string(f.name) == lastField) break;
    }
    return b;
}

}  // namespace

TEST(StoredLayoutBytes, VersionFReadsEveryFieldFromItsPlaceAndWritesTheSameBytes) {
    const Builder b = VersionBytes('F', "");
    ASSERT_EQ(b.n, 185);
    CMyQuarnDoc d;
    ASSERT_TRUE(d.LoadBytes(b.out.s).ok());
    ExpectFields(d, b);
    // The limit state is carried twice; the second one is kept.
    EXPECT_EQ(d.m_strLimitState, "limit state");
    // Written again, the record gives the same bytes (the kept limit state at both places).
    const std::string expect = VersionBytes('F', "", false).out.s;
    const std::string written = d.SerializeStored();
    EXPECT_TRUE(written == expect) << "first difference at byte " << FirstDifference(written, expect)
                                   << " of " << expect.size();
}

TEST(StoredLayoutBytes, EarlierVersionsStopAtTheirLastField) {
    const std::pair<char, const char*> versions[] = {{'A', "m_arrMarkerDistB"},
                                                     {'B', "m_dEmfRef"},
                                                     {'C', "m_strGpsAltitudeUnit"},
                                                     {'D', "m_dStopMax"},
                                                     {'E', "m_arrMarkerFlagB"}};
    const CMyQuarnDoc defaults;
    for (auto [version, last] : versions) {
        SCOPED_TRACE(version);
        const Builder b = VersionBytes(version, last);
        CMyQuarnDoc d;
        ASSERT_TRUE(d.LoadBytes(b.out.s).ok());
        ExpectFields(d, b);
        EXPECT_EQ(d.m_strExtRefFreq, defaults.m_strExtRefFreq);  // carried by F alone
        if (version == 'A') {
            EXPECT_EQ(d.m_strEmfRefUnit, defaults.m_strEmfRefUnit);
            EXPECT_EQ(d.m_dGpsLatitude, defaults.m_dGpsLatitude);
            EXPECT_EQ(d.m_strAfactorFile, defaults.m_strAfactorFile);
        }
        // One byte short of the last field is a broken file, not a shorter trace.
        CMyQuarnDoc broken;
        EXPECT_FALSE(broken.LoadBytes(b.out.s.substr(0, b.out.s.size() - 1)).ok());
    }
}

TEST(StoredLayoutBytes, UnversionedLayoutWithAndWithoutItsExtension) {
    for (bool extension : {false, true}) {
        SCOPED_TRACE(extension);
        Builder b;
        for (const Field& f : kUnversioned)
            b.Add(f);
        if (extension) {
            b.out.Int(1);
            for (const Field& f : kUnversionedExtension)
                b.Add(f);
        }
        // The first bytes are trace A's count, 1002 (0xEA 0x03), which is how the layout is recognised.
        ASSERT_EQ(static_cast<unsigned char>(b.out.s[0]), 0xEA);
        ASSERT_EQ(b.out.s[1], 0x03);
        CMyQuarnDoc d;
        ASSERT_TRUE(d.LoadBytes(b.out.s).ok());
        ExpectFields(d, b);
        // The channel file is carried twice: the second is kept. The layout has no trace B.
        EXPECT_EQ(d.m_strChanFile, std::get<std::string>(b.expected.at("m_strChanFile")));
        EXPECT_EQ(d.m_arrTraceB, CMyQuarnDoc().m_arrTraceB);
        EXPECT_EQ(d.m_arrMarkerFreqA[5], 0.0);
    }
}

TEST(StoredLayoutBytes, UnversionedExtensionCleansTextFields) {
    Builder b;
    for (const Field& f : kUnversioned) {
        if (std::string(f.name) == "m_strSerial") {
            ++b.n;
            b.out.String("12\r\n3\"4");
            continue;
        }
        b.Add(f);
    }
    b.out.Int(1);
    for (const Field& f : kUnversionedExtension)
        b.Add(f);
    CMyQuarnDoc d;
    ASSERT_TRUE(d.LoadBytes(b.out.s).ok());
    EXPECT_EQ(d.m_strSerial, "1234");
}
