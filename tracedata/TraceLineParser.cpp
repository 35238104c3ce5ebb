#include "TraceLineParser.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "Text.h"
#include "Units.h"

namespace fl {

ParseRecord s_parsed;

namespace {

enum class Kind : uint8_t {
    Plain,
    SweepStop,
    TraceHeader,
    Idn,
    MarkerState,
    MarkerTrace,
    DtfMarkerState,
    DtfMarkerTrace,
    MarkerDistance,
    MarkerFrequency,
    MarkerTime,
    Acpr,
    LimitLines,
    ChannelSystem,
    CableType,
    SweepState,
    TraceStateA,
    TraceStateB,
    TraceData,
    Detector,
    RflRefUnit,
    CheckLast,
};

struct Key {
    std::string key;
    Kind kind;
    FieldPtr field{};  // for Plain
    int entry = 0;     // marker entry 1..6
};

std::vector<Key> BuildKeys() {
    std::vector<Key> k;
    auto plain = [&](std::string key, FieldPtr f) { k.push_back({std::move(key), Kind::Plain, f, 0}); };
    auto special = [&](std::string key, Kind kind) { k.push_back({std::move(key), kind, {}, 0}); };
    auto markers = [&](const char* suffix, Kind kind) {
        for (int i = 0; i < 6; ++i)
            k.push_back({std::string("CALCulate:MARKer:") + char('A' + i) + suffix, kind, {}, i + 1});
    };
    using R = TraceRecord;
    special("# TRACE ", Kind::TraceHeader);
    special("*IDN ", Kind::Idn);
    plain("*CAL ", &R::m_strCalDate);
    markers(":STATe ", Kind::MarkerState);
    markers(" ", Kind::MarkerState);
    markers(":TSELect ", Kind::MarkerTrace);
    markers(":DTF ", Kind::DtfMarkerState);
    markers(":DTF:STATe ", Kind::DtfMarkerState);
    markers(":DTF:TSELect ", Kind::DtfMarkerTrace);
    markers(":X:DISTance ", Kind::MarkerDistance);
    markers(":X:FREQuency ", Kind::MarkerFrequency);
    markers(":X:TIMe ", Kind::MarkerTime);
    plain("CALCulate:MARKer:FCOunt:RESolution ", &R::m_dCounterResolution);
    plain("CALCulate:MARKer:FCOunt:EREFfreq ", &R::m_strCounterExtRef);
    plain("CALCulate:MARKer:FCOunt ", &R::m_dCounterFreq);
    special("# CALCulate:MEASure:ACPR ", Kind::Acpr);
    plain("CALCulate:MEASure:OBW ", &R::m_dResultObw);
    plain("CALCulate:MEASure:CPOWer ", &R::m_dResultCpower);
    plain("CALCulate:MEASure:ACLoss ", &R::m_dResultCableLoss);
    plain("# CALCulate:MEASure:EMF ", &R::m_dResultEmf);
    plain("CALCulate:LIMit:STATe ", &R::m_strLimitState);
    plain("CALCulate:LIMit:FCOunt:COUNt ", &R::m_nLimitFailCount);
    plain("CALCulate:LIMit:SIMPle:UPPer ", &R::m_dLimitUpper);
    plain("CALCulate:LIMit:SIMPle:LOWer ", &R::m_dLimitLower);
    plain("CALCulate:LIMit:SIMPle ", &R::m_strLimitSimple);
    plain("DISPlay:TRACe:Y:SCALe ", &R::m_dScaleLog);
    plain("DISPlay:TRACe:Y:SCALe:LOGarithmic ", &R::m_dScaleLog);
    plain("DISPlay:TRACe:Y:SCALe:LINear:VOLT ", &R::m_dScaleVolt);
    plain("DISPlay:TRACe:Y:SCALe:LINear:WATT ", &R::m_dScaleWatt);
    plain("DISPlay:TRACe:Y:SCALe:DTF:RFACtor ", &R::m_dScaleDtfRfactor);
    plain("DISPlay:TRACe:Y:SCALe:RFLection:VSWR ", &R::m_dScaleVswr);
    plain("DISPlay:TRACe:Y:SCALe:RFLection:RFACtor ", &R::m_dScaleRfactor);
    plain("DISPlay:TRACe:Y:SCALe:RFLection:RPOWer ", &R::m_dScaleRpower);
    plain("INPut:AFACtor ", &R::m_strAfactorState);
    plain("INPut:ATTenuation:AUTo ", &R::m_strAttenuationAuto);
    plain("INPut:ATTenuation ", &R::m_dAttenuation);
    plain("INPut:CFACtor ", &R::m_strCfactorState);
    plain("INPut:EDEVice ", &R::m_strEdevState);
    plain("INPut:IMPedance ", &R::m_strImpedance);
    plain("INSTrument:GENerator ", &R::m_strGenerator);
    plain("INSTrument:GENerator:LEVel ", &R::m_dGenLevel);
    plain("INSTrument:GENerator:MODe ", &R::m_strGenMode);
    plain("INSTrument:SELect ", &R::m_strMode);
    plain("INSTrument:EREFfreq ", &R::m_strExtRefFreq);
    plain("INSTrument:GPS:QUALity ", &R::m_strGpsQuality);
    plain("INSTrument:GPS:LATitude ", &R::m_dGpsLatitude);
    plain("INSTrument:GPS:LONGitude ", &R::m_dGpsLongitude);
    plain("INSTrument:GPS:SPEed ", &R::m_dGpsSpeed);
    plain("INSTrument:GPS:SPEed:UNIT ", &R::m_strGpsSpeedUnit);
    plain("INSTrument:GPS:TRACk:DATe ", &R::m_nGpsDate);
    plain("INSTrument:GPS:TIMe ", &R::m_nGpsTime);
    plain("INSTrument:GPS:SATellites ", &R::m_nGpsSatellites);
    plain("INSTrument:GPS:HDOP ", &R::m_dGpsHdop);
    plain("INSTrument:GPS:ALTitude ", &R::m_dGpsAltitude);
    plain("INSTrument:GPS:ALTitude:UNIT ", &R::m_strGpsAltitudeUnit);
    special("# MMEMory:STORe:LIMit ", Kind::LimitLines);
    special("MMEMory:STORe:CHANnel ", Kind::ChannelSystem);
    special("MMEMory:STORe:CTYPe ", Kind::CableType);
    plain("MMEMory:LOAD:LIMit ", &R::m_strLimitFile);
    plain("MMEMory:LOAD:CHANnel ", &R::m_strChanFile);
    plain("MMEMory:LOAD:EDEVice ", &R::m_strEdevFile);
    plain("MMEMory:LOAD:CTYPe ", &R::m_strCableTypeFile);
    plain("MMEMory:LOAD:AFACtor ", &R::m_strAfactorFile);
    plain("MMEMory:LOAD:AFACtor:ANTenna ", &R::m_strAfactorAntenna);
    plain("SENSe:DTF:CLENgth:UNIT ", &R::m_strCableLengthUnit);
    plain("SENSe:DTF:CLENgth ", &R::m_dCableLength);
    plain("SENSe:DTF:REFerence ", &R::m_dDtfRef);
    plain("SENSe:DTF:REFerence:UNIT ", &R::m_strDtfRefUnit);
    plain("SENSe:DTF:CALibration ", &R::m_strDtfCal);
    plain("SENSe:DTF:CALibration:ENABled ", &R::m_strDtfCalEnabled);
    plain("SENSe:DTF:REFerence:RFACtor ", &R::m_dDtfRefRfactor);
    plain("SENSe:TRANsmission:REFerence:UNIT ", &R::m_strTransRefUnit);
    plain("SENSe:TRANsmission:REFerence ", &R::m_dTransRef);
    plain("SENSe:FREQuency:CENTer ", &R::m_dCenter);
    plain("SENSe:FREQuency:SPAN ", &R::m_dSpan);
    plain("SENSe:FREQuency:STOP:MAX ", &R::m_dStopMax);
    special("SENSe:FREQuency:STOP ", Kind::SweepStop);
    plain("SENSe:REFLevel:UNIT ", &R::m_strRefLevelUnit);
    plain("SENSe:REFLevel ", &R::m_dRefLevel);
    plain("SENSe:BANDwidth:RESolution:AUTo ", &R::m_strRbwAuto);
    plain("SENSe:BANDwidth:RESolution ", &R::m_dRbw);
    plain("SENSe:BANDwidth:VIDeo:AUTo ", &R::m_strVbwAuto);
    plain("SENSe:BANDwidth:VIDeo ", &R::m_dVbw);
    plain("SENSe:SWEep:TIMe:AUTo ", &R::m_strSweepTimeAuto);
    plain("SENSe:SWEep:TIMe ", &R::m_dSweepTime);
    special("# SENSe:SWEep:STATe ", Kind::SweepState);
    special("SENSe:SWEep:STATe ", Kind::SweepState);
    special("SENSe:DETector:FUNCtion ", Kind::Detector);
    plain("SENSe:TRACe:AVGFactor ", &R::m_nAvgFactor);
    special("# SENSe:TRACe:A:STATe ", Kind::TraceStateA);
    special("SENSe:TRACe:A:STATe ", Kind::TraceStateA);
    special("# SENSe:TRACe:B:STATe ", Kind::TraceStateB);
    special("SENSe:TRACe:B:STATe ", Kind::TraceStateB);
    special("SENSe:TRACe:DATa ", Kind::TraceData);
    plain("SENSe:TRACe:MATH:OFFSet ", &R::m_dTraceMathOffset);
    plain("SENSe:TRACe:MATH:A ", &R::m_strTraceMathA);
    plain("SENSe:TRACe:MATH:B ", &R::m_strTraceMathB);
    plain("SENSe:TRACe:MATH ", &R::m_strTraceMath);
    plain("SENSe:MEASure:CHANnel:WIDTh ", &R::m_dChannelWidth);
    plain("SENSe:MEASure:CHANnel:SPACing ", &R::m_dChannelSpacing);
    plain("SENSe:MEASure:OBW ", &R::m_nObwPercent);
    plain("SENSe:MEASure ", &R::m_strMeasure);
    plain("SENSe:STATe ", &R::m_strSenseState);
    plain("SENSe:TRIGger:LEVel ", &R::m_dTriggerLevel);
    plain("SENSe:TRIGger:EDGe ", &R::m_strTriggerEdge);
    plain("SENSe:TRIGger ", &R::m_strTrigger);
    plain("SENSe:CPOWer:OBW ", &R::m_nCpowerObw);
    plain("SENSe:CPOWer:SPAN ", &R::m_strCpowerSpan);
    plain("SENSe:CPOWer:CHANnel ", &R::m_nCpowerChannel);
    plain("SENSe:CPOWer:MEASure ", &R::m_strCpowerMeasure);
    plain("SENSe:TRACe:DATa:LIMit ", &R::m_strTraceDataLimit);
    special("SENSe:RFLection:REFerence:UNIT ", Kind::RflRefUnit);
    plain("SENSe:RFLection:REFerence:VSWR ", &R::m_dRflRefVswr);
    plain("SENSe:RFLection:REFerence:RFACtor ", &R::m_dRflRefRfactor);
    plain("SENSe:RFLection:REFerence:RPOWer ", &R::m_dRflRefRpower);
    plain("SENSe:RFLection:CALibration ", &R::m_strRflCal);
    plain("SENSe:RFLection:CALibration:MODe ", &R::m_strRflCalMode);
    plain("SENSe:RFLection:CALibration:ENABled ", &R::m_strRflCalEnabled);
    plain("SENSe:RFLection:FILTer ", &R::m_dRflFilter);
    plain("SENSe:RFLection:FILTer:AUTo ", &R::m_strRflFilterAuto);
    plain("SENSe:EMF:ANTenna:DIRection ", &R::m_strEmfDirection);
    plain("SENSe:EMF:MEASure:DISPlay ", &R::m_strEmfDisplay);
    plain("SENSe:EMF:MEASure ", &R::m_strEmfMeasure);
    plain("SENSe:EMF:MEASure:LAST ", &R::m_strEmfLast);
    plain("SENSe:EMF:MEASure:TIMe ", &R::m_dEmfTime);
    plain("SENSe:EMF:REFerence:UNIT ", &R::m_strEmfRefUnit);
    plain("SENSe:EMF:REFerence ", &R::m_dEmfRef);
    plain("SYSTem:DNAMe ", &R::m_strDeviceName);
    plain("SERVice:BOOTversion ", &R::m_strBootVersion);
    plain("SERVice:CHECk:NEXT ", &R::m_strCheckNext);
    special("# SERVice:CHECk:LAST ", Kind::CheckLast);
    plain("SERVice:EDEVice:TYPe ", &R::m_strEdevType);
    plain("SERVice:EDEVice:TEXT ", &R::m_strEdevText);
    plain("SERVice:EDEVice:SERialnumber ", &R::m_strEdevSerial);
    plain("SERVice:EDEVice:CALibration:DATe ", &R::m_strEdevCalDate);
    plain("SERVice:DCONvertor:HWID ", &R::m_nDconvHwId);
    plain("SERVice:DCONvertor:SERialnumber", &R::m_strDconvSerial);
    return k;
}

const std::vector<Key>& Keys() {
    static const std::vector<Key> keys = BuildKeys();
    return keys;
}

// A trie over all keys, so that one pass over a line finds the earliest key in matching order that
// occurs anywhere in it, instead of one substring search per key.
class KeyMatcher {
  public:
    KeyMatcher() {
        m_map.fill(0);
        const auto& keys = Keys();
        int next = 1;
        for (const auto& k : keys)
            for (unsigned char c : k.key)
                if (!m_map[c]) m_map[c] = static_cast<uint8_t>(next++);
        m_width = next;
        m_nodes.push_back(Node(m_width));
        for (size_t i = 0; i < keys.size(); ++i) {
            int n = 0;
            for (unsigned char c : keys[i].key) {
                int slot = m_map[c];
                if (!m_nodes[n].child[slot]) {
                    m_nodes[n].child[slot] = static_cast<int>(m_nodes.size());
                    m_nodes.push_back(Node(m_width));
                }
                n = m_nodes[n].child[slot];
            }
            if (m_nodes[n].key < 0) m_nodes[n].key = static_cast<int>(i);
        }
    }

    int Match(std::string_view line) const {
        int best = -1;
        const size_t len = line.size();
        for (size_t p = 0; p < len; ++p) {
            int slot = m_map[static_cast<unsigned char>(line[p])];
            if (!slot) continue;
            int n = m_nodes[0].child[slot];
            size_t q = p + 1;
            while (n) {
                int key = m_nodes[n].key;
                if (key >= 0 && (best < 0 || key < best)) {
                    best = key;
                    if (best == 0) return 0;
                }
                if (q >= len) break;
                int s = m_map[static_cast<unsigned char>(line[q++])];
                if (!s) break;
                n = m_nodes[n].child[s];
            }
        }
        return best;
    }

  private:
    struct Node {
        explicit Node(int width) : child(static_cast<size_t>(width), 0) {}
        std::vector<int> child;
        int key = -1;
    };
    std::array<uint8_t, 256> m_map;
    int m_width = 0;
    std::vector<Node> m_nodes;
};

const KeyMatcher& Matcher() {
    static const KeyMatcher matcher;
    return matcher;
}

// --- text slicing; every operation stays inside the text ---

std::string_view AfterFirst(std::string_view s, char c) {
    size_t p = s.find(c);
    return p == std::string_view::npos ? s : s.substr(p + 1);
}

std::string_view BeforeFirst(std::string_view s, char c) {
    size_t p = s.find(c);
    return p == std::string_view::npos ? s : s.substr(0, p);
}

std::string WithoutChar(std::string_view s, char c) {
    std::string out;
    out.reserve(s.size());
    for (char ch : s)
        if (ch != c) out.push_back(ch);
    return out;
}

// The plain value rule: a line with a '#' loses its first word, every line loses its key, quotes go.
std::string PlainValue(std::string_view line) {
    std::string_view v = line;
    if (v.find('#') != std::string_view::npos) v = AfterFirst(v, ' ');
    v = AfterFirst(v, ' ');
    return WithoutChar(v, '\'');
}

// Takes the text up to the next comma (not included) and moves past the comma; the rest when none.
std::string_view NextField(std::string_view& rest) {
    size_t p = rest.find(',');
    std::string_view f = rest.substr(0, p);
    rest = p == std::string_view::npos ? std::string_view() : rest.substr(p + 1);
    return f;
}

std::string_view AfterKey(std::string_view line, const std::string& key) {
    size_t p = line.find(key);
    return p == std::string_view::npos ? std::string_view() : line.substr(p + key.size());
}

std::string NormaliseRflUnit(std::string_view word) {
    if (word == "VSWR") return "VSWR";
    if (word == "RFACtor") return "MRHO";
    if (word == "RPOWer") return "%";
    return "DB";
}

}  // namespace

TraceLineParser::TraceLineParser(ParseRecord& target) : m_rec(target) {
    m_rec.m_arrTraceA.assign(kTracePoints, kNoPoint);
    m_rec.m_arrTraceB.assign(kTracePoints, kNoPoint);
    m_rec.m_arrLimitLines.clear();
    m_rec.m_arrChanEntryInt1.clear();
    m_rec.m_arrChanEntryInt2.clear();
    m_rec.m_arrChanEntryReal.clear();
    m_rec.NormalizeShapes();
}

void TraceLineParser::ResetDefaults() {
    const int minMaxA = m_rec.m_nMinMaxA;
    const int minMaxB = m_rec.m_nMinMaxB;
    static_cast<TraceRecord&>(m_rec) = TraceRecord{};
    m_rec.m_dSweepStop = 0.0;
    m_rec.m_nMinMaxA = minMaxA;
    m_rec.m_nMinMaxB = minMaxB;
}

int TraceLineParser::MatchKey(std::string_view line) {
    return Matcher().Match(line);
}

std::string_view TraceLineParser::KeyText(int index) {
    const auto& keys = Keys();
    if (index < 0 || static_cast<size_t>(index) >= keys.size()) return {};
    return keys[static_cast<size_t>(index)].key;
}

void TraceLineParser::ParseLine(std::string_view line) {
    const int index = Matcher().Match(line);
    if (index < 0) return;
    const Key& key = Keys()[static_cast<size_t>(index)];
    ParseRecord& r = m_rec;
    const int e = key.entry;

    switch (key.kind) {
        case Kind::Plain: {
            std::string v = PlainValue(line);
            std::visit(
                [&](auto member) {
                    using T = std::decay_t<decltype(r.*member)>;
                    if constexpr (std::is_same_v<T, std::string>)
                        r.*member = std::move(v);
                    else if constexpr (std::is_same_v<T, int>)
                        r.*member = LeadingInt(v);
                    else if constexpr (std::is_same_v<T, double>)
                        r.*member = LeadingReal(v);
                },
                key.field);
            break;
        }
        case Kind::SweepStop:
            r.m_dSweepStop = LeadingReal(PlainValue(line));
            break;
        case Kind::TraceHeader: {
            std::string_view v = AfterFirst(AfterFirst(line, ' '), ' ');
            r.m_strTraceName = std::string(BeforeFirst(v, ';'));
            size_t colon = v.find(':');
            r.m_strCreated = colon == std::string_view::npos
                                 ? std::string()
                                 : std::string(v.substr(std::min(v.size(), colon + 2)));
            break;
        }
        case Kind::Idn: {
            std::string v = PlainValue(line);
            std::string_view rest = v;
            for (std::string* f : {&r.m_strMaker, &r.m_strModel, &r.m_strSerial}) {
                size_t c = rest.find(',');
                *f = std::string(rest.substr(0, c));
                rest = c == std::string_view::npos ? std::string_view()
                                                   : rest.substr(std::min(rest.size(), c + 2));
            }
            r.m_strFirmware = std::string(rest);
            break;
        }
        case Kind::MarkerState:
            r.m_arrMarkerStateA[e] = MarkerStateFromKeyword(PlainValue(line));
            break;
        case Kind::MarkerTrace:
            r.m_arrMarkerTrace[e] = PlainValue(line);
            break;
        case Kind::DtfMarkerState:
            r.m_arrMarkerStateA[e] = MarkerStateFromKeyword(AfterFirst(line, ' '));
            break;
        case Kind::DtfMarkerTrace:
            r.m_arrMarkerTrace[e] = std::string(AfterFirst(line, ' '));
            break;
        case Kind::MarkerDistance:
            r.m_arrMarkerDistA[e] = LeadingReal(AfterFirst(line, ' ')) + 0.001;
            break;
        case Kind::MarkerFrequency:
            r.m_arrMarkerFreqA[e] = LeadingReal(AfterFirst(line, ' ')) + 0.001;
            break;
        case Kind::MarkerTime:
            r.m_arrMarkerTimeA[e] = LeadingReal(AfterFirst(line, ' ')) + 1e-9;
            break;
        case Kind::Acpr: {
            std::string_view rest = AfterFirst(AfterFirst(line, ' '), ' ');
            r.m_dResultAcprLower = LeadingReal(NextField(rest));
            r.m_dResultAcprMain = LeadingReal(NextField(rest));
            r.m_dResultAcprUpper = LeadingReal(NextField(rest));
            break;
        }
        case Kind::LimitLines: {
            r.m_arrLimitLines.clear();
            std::string text = WithoutChar(AfterFirst(AfterFirst(line, ' '), ' '), '\'');
            std::string_view rest = AfterFirst(text, ',');
            while (!rest.empty()) {
                // Four fields that each end in a comma, then the fifth up to the next comma or the end.
                size_t end = 0;
                bool complete = true;
                for (int f = 0; f < 4; ++f) {
                    size_t c = rest.find(',', end);
                    if (c == std::string_view::npos) {
                        complete = false;
                        break;
                    }
                    end = c + 1;
                }
                if (!complete) break;
                size_t c = rest.find(',', end);
                r.m_arrLimitLines.emplace_back(rest.substr(0, c));
                rest = c == std::string_view::npos ? std::string_view() : rest.substr(c + 1);
            }
            break;
        }
        case Kind::ChannelSystem: {
            r.m_arrChanEntryInt1.clear();
            r.m_arrChanEntryInt2.clear();
            r.m_arrChanEntryReal.clear();
            std::string_view rest = AfterFirst(AfterFirst(line, ' '), ',');
            r.m_nChanSysLast = LeadingInt(NextField(rest));
            r.m_nChanSysFirst = LeadingInt(NextField(rest));
            r.m_dChanSysWidth = LeadingReal(NextField(rest)) + 0.001;
            r.m_dChanSysSpacing = LeadingReal(NextField(rest)) + 0.001;
            r.m_dChanSysFirstCenter = LeadingReal(NextField(rest)) + 0.001;
            r.m_dChanSysValue4 = LeadingReal(NextField(rest)) + 0.001;
            while (!rest.empty()) {
                r.m_arrChanEntryInt1.push_back(LeadingInt(NextField(rest)));
                r.m_arrChanEntryInt2.push_back(LeadingInt(NextField(rest)));
                r.m_arrChanEntryReal.push_back(LeadingReal(NextField(rest)));
            }
            break;
        }
        case Kind::CableType: {
            std::string_view rest = AfterFirst(AfterFirst(line, ' '), ',');
            r.m_dCableDielectric = LeadingReal(NextField(rest)) + 0.0001;
            r.m_dCableAttenuation = LeadingReal(NextField(rest)) + 0.0001;
            r.m_strCableAttUnit = std::string(NextField(rest));
            r.m_dCableCutoff = LeadingReal(rest);
            break;
        }
        case Kind::SweepState: {
            std::string_view rest = AfterKey(line, key.key);
            r.m_strSweepState = std::string(NextField(rest));
            r.m_nSweepCount = std::max(1, LeadingInt(rest));
            break;
        }
        case Kind::TraceStateA:
            r.m_nTraceModeA = TraceModeFromKeyword(BeforeFirst(AfterKey(line, key.key), ','));
            break;
        case Kind::TraceStateB:
            r.m_nTraceModeB = TraceModeFromKeyword(BeforeFirst(AfterKey(line, key.key), ','));
            break;
        case Kind::TraceData: {
            std::string_view rest = AfterFirst(line, ' ');
            size_t c1 = rest.find(',');
            m_strLetter = std::string(rest.substr(0, c1));
            std::string_view afterLetter =
                c1 == std::string_view::npos ? std::string_view() : rest.substr(c1 + 1);
            size_t c2 = afterLetter.find(',');
            m_strForm = std::string(afterLetter.substr(0, c2));
            m_strData =
                c2 == std::string_view::npos ? std::string() : ToLowerAscii(afterLetter.substr(c2 + 1));
            DecodePoints();
            break;
        }
        case Kind::Detector:
            r.m_nDetector = DetectorFromKeyword(PlainValue(line));
            break;
        case Kind::RflRefUnit:
            r.m_strRflRefUnit = NormaliseRflUnit(PlainValue(line));
            break;
        case Kind::CheckLast: {
            std::string text = WithoutChar(AfterFirst(AfterFirst(line, ' '), ' '), '\'');
            size_t end = 0;
            for (int f = 0; f < 3; ++f) {
                size_t c = text.find(',', end);
                if (c == std::string::npos) break;
                end = c + 1;
            }
            r.m_strCheckLast = text.substr(0, end);
            r.m_strCheckLastBy = text.substr(end);
            break;
        }
    }
}

void TraceLineParser::DecodePoints() {
    const bool traceB = m_strLetter == "B";
    const int minMax = m_strForm == "MINMax" ? 1 : 0;
    std::vector<double>& points = traceB ? m_rec.m_arrTraceB : m_rec.m_arrTraceA;
    (traceB ? m_rec.m_nMinMaxB : m_rec.m_nMinMaxA) = minMax;

    std::string digits;
    digits.reserve(m_strData.size());
    for (char c : m_strData)
        if (c != '\'' && c != ' ') digits.push_back(c);

    const size_t levels = digits.size() / 3;
    for (size_t i = 0; i < levels; ++i) {
        // h * 0.1 - 200 rounded to one decimal is exactly (h - 2000) / 10.
        const double level = (HexPrefixValue(std::string_view(digits).substr(i * 3, 3)) - 2000) / 10.0;
        if (minMax) {
            // All even points first, then all odd points.
            size_t point = i < kTraceColumns ? i * 2 : (i - kTraceColumns) * 2 + 1;
            if (point >= static_cast<size_t>(kTracePoints)) break;
            points[point] = level;
        } else {
            size_t point = i * 2;
            if (point + 1 >= static_cast<size_t>(kTracePoints)) break;
            points[point] = level;
            points[point + 1] = level;
        }
    }

    if (m_rec.m_strMode == "TRANsmission" && m_rec.m_strTransRefUnit == "DB")
        for (double& p : points)
            p -= m_rec.m_dGenLevel;
}

void TraceLineParser::Finish() {
    if (m_rec.m_strModel == "Quarn1") return;
    // Marker A is the reference of the others; the instrument reports deltas relative to it.
    for (int e = 2; e < kMarkerEntries; ++e) {
        if (m_rec.m_arrMarkerStateA[e] != DELTa) continue;
        m_rec.m_arrMarkerFreqA[e] += m_rec.m_arrMarkerFreqA[1];
        m_rec.m_arrMarkerTimeA[e] += m_rec.m_arrMarkerTimeA[1];
        m_rec.m_arrMarkerDistA[e] += m_rec.m_arrMarkerDistA[1];
    }
}

void ParseTraceText(std::string_view text, ParseRecord& target) {
    TraceLineParser parser(target);
    parser.ResetDefaults();
    while (!text.empty()) {
        size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        parser.ParseLine(line);
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    }
    parser.Finish();
}

}  // namespace fl
