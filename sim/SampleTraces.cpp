#include "SampleTraces.h"

#include <cmath>
#include <functional>

#include "Archive.h"
#include "SettingsText.h"
#include "Text.h"
#include "TraceRecord.h"

namespace fl::sim {

namespace {

// Small deterministic generator (xorshift32), so samples are identical on every machine.
class Noise {
  public:
    explicit Noise(uint32_t seed) : m_state(seed ? seed : 0x9E3779B9u) {}
    double Uniform() {  // 0..1
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return (m_state & 0xFFFFFF) / double(0x1000000);
    }
    double Around(double spread) { return (Uniform() * 2.0 - 1.0) * spread; }

  private:
    uint32_t m_state;
};

struct Peak {
    double column;  // 0..500
    double height;  // dB above the floor
    double width;   // columns
};

// 1002 points, column by column (min, max), from a floor, peaks and noise; levels in tenths of a dB.
std::vector<double> MakePoints(Noise& noise, double floor, double spread, const std::vector<Peak>& peaks,
                               const std::function<double(int)>& shape = {}) {
    std::vector<double> pts(kTracePoints);
    for (int c = 0; c < kTraceColumns; ++c) {
        double level = shape ? shape(c) : floor;
        for (const Peak& p : peaks) {
            double x = (c - p.column) / p.width;
            level = std::max(level, floor + p.height * std::exp(-x * x));
        }
        double hi = level + std::fabs(noise.Around(spread));
        double lo = level - std::fabs(noise.Around(spread));
        hi = std::clamp(std::round(hi * 10) / 10, -200.0, 209.5);
        lo = std::clamp(std::round(lo * 10) / 10, -200.0, hi);
        pts[static_cast<size_t>(2 * c)] = lo;
        pts[static_cast<size_t>(2 * c + 1)] = hi;
    }
    return pts;
}

std::string DataLine(char trace, const std::vector<double>& pts, bool minMax = true) {
    return Format("SENSe:TRACe:DATa %c,%s,'%s'", trace, minMax ? "MINMax" : "ALL",
                  EncodePointData(pts, minMax).c_str());
}

struct Builder {
    std::vector<std::string> L;
    void operator()(std::string s) { L.push_back(std::move(s)); }
};

void Identity(Builder& b, const std::string& name, const std::string& model, const std::string& created) {
    b("# TRACE " + name + ";   created: " + created);
    b("*IDN ZARNELL, " + model + ", 100" + std::to_string(name.size()) + "742, 2.31");
    b("*CAL 2026,3,12");
    b("SYSTem:DNAMe 'SITE NORTH 7'");
    b("SERVice:BOOTversion 1.07");
    b("# SERVice:CHECk:LAST '2026,3,12,J. Berger'");
    b("SERVice:CHECk:NEXT 2027,3,12");
    b("SERVice:DCONvertor:HWID 3");
    b("SERVice:DCONvertor:SERialnumber 55102");
}

void Common(Builder& b, const std::string& mode) {
    b("INSTrument:SELect " + mode);
    b("INPut:IMPedance IMP50");
    b("INPut:ATTenuation 10");
    b("INPut:ATTenuation:AUTo ON");
    b("INSTrument:EREFfreq OFF");
    b("MMEMory:LOAD:EDEVice ''");
    b("INPut:EDEVice OFF");
    b("SENSe:TRACe:AVGFactor 4");
    b("SENSe:STATe ON");
    b("# SENSe:SWEep:STATe CONTinuous,1");
    b("INSTrument:GPS:QUALity OK");
    b("INSTrument:GPS:LATitude 48.117300");
    b("INSTrument:GPS:LONGitude 11.516667");
    b("INSTrument:GPS:ALTitude 545.4");
    b("INSTrument:GPS:ALTitude:UNIT METer");
    b("INSTrument:GPS:SATellites 8");
    b("INSTrument:GPS:HDOP 0.9");
    b("INSTrument:GPS:TRACk:DATe 230326");
    b("INSTrument:GPS:TIMe 123519");
}

void Sweep(Builder& b, double center, double span, double rbw, double vbw, double swt) {
    b(Format("SENSe:FREQuency:CENTer %.0f", center));
    b(Format("SENSe:FREQuency:SPAN %.0f", span));
    b(Format("SENSe:FREQuency:STOP %.0f", center + span / 2));
    b("SENSe:FREQuency:STOP:MAX 4000000000");
    b(Format("SENSe:BANDwidth:RESolution %.0f", rbw));
    b("SENSe:BANDwidth:RESolution:AUTo ON");
    b(Format("SENSe:BANDwidth:VIDeo %.0f", vbw));
    b("SENSe:BANDwidth:VIDeo:AUTo ON");
    b(Format("SENSe:SWEep:TIMe %.4f", swt));
    b("SENSe:SWEep:TIMe:AUTo ON");
    b("SENSe:TRIGger OFF");
    b("SENSe:TRIGger:LEVel 0.0");
    b("SENSe:TRIGger:EDGe POSitive");
}

void Markers(Builder& b, const std::vector<std::pair<std::string, double>>& m, const char* axis) {
    for (size_t i = 0; i < m.size(); ++i) {
        const char letter = static_cast<char>('A' + i);
        b(Format("CALCulate:MARKer:%c:STATe %s", letter, m[i].first.c_str()));
        b(Format("CALCulate:MARKer:%c:X:%s %.3f", letter, axis, m[i].second));
    }
}

// Column of a frequency inside the span.
double Col(double f, double center, double span) {
    return (f - (center - span / 2)) / span * 500.0;
}

SampleTrace Spectrum(const std::string& name, const std::string& model, uint32_t seed, int variant) {
    Noise n(seed * 7919u + static_cast<uint32_t>(variant));
    Builder b;
    const double center = 947500000, span = 5000000;
    Identity(b, name, model, "23.03.2026 12:35:19");
    Common(b, model == "Quarn1" ? "SANalizer" : "SANalyzer");
    Sweep(b, center, span, 30000, 30000, 0.05);
    b("SENSe:REFLevel:UNIT DBM");
    b("SENSe:REFLevel -10.0");
    b("DISPlay:TRACe:Y:SCALe 10");
    b("SENSe:DETector:FUNCtion POSNeg");
    b("SENSe:TRACe:A:STATe ACTual");
    b(variant == 1 ? "SENSe:TRACe:B:STATe MAXHold" : "SENSe:TRACe:B:STATe OFF");
    const std::vector<Peak> peaks = {{Col(946800000, center, span), 62, 4},
                                     {Col(947600000, center, span), 55, 4},
                                     {Col(948400000, center, span), 40, 3}};
    auto a = MakePoints(n, -96, 2.5, peaks);
    b("SENSe:MEASure NONe");
    if (variant == 0) {
        // Markers on the carriers, a delta marker and limit lines.
        Markers(b, {{"NORMal", 946800000}, {"NORMal", 947600000}, {"DELTa", 1600000}}, "FREQuency");
        b("CALCulate:MARKer:B:TSELect A");
        b("# MMEMory:STORe:LIMit 'GSM_MASK',1,0,1.5,250,1.5,1,250,1.5,500,1.5,2,0,7.5,500,7.5");
        b("MMEMory:LOAD:LIMit 'GSM_MASK'");
        b("CALCulate:LIMit:STATe ON");
        b("CALCulate:LIMit:SIMPle OFF");
        b("CALCulate:LIMit:FCOunt:COUNt 2");
    } else if (variant == 1) {
        // Marker on trace B and simple limits.
        Markers(b, {{"NORMal", 946800000}, {"NORMal", 948400000}}, "FREQuency");
        b("CALCulate:MARKer:B:TSELect B");
        b("CALCulate:LIMit:STATe OFF");
        b("CALCulate:LIMit:SIMPle ON");
        b("CALCulate:LIMit:SIMPle:UPPer 6.5");
        b("CALCulate:LIMit:SIMPle:LOWer 1.0");
        b(DataLine('B', MakePoints(n, -94, 1.0, peaks)));
    } else if (variant == 2) {
        // Quarn1: the delta marker stays relative.
        Markers(b, {{"NORMal", 947600000}, {"DELTa", 800000}}, "FREQuency");
        b("CALCulate:LIMit:STATe OFF");
    } else {
        Markers(b, {{"NORMal", 947600000}}, "FREQuency");
        b("CALCulate:LIMit:STATe OFF");
    }
    b(DataLine('A', a));
    b("SENSe:TRACe:DATa:LIMit NA");
    return {name, "spectrum analysis", b.L};
}

SampleTrace ChannelPower(const std::string& name, const std::string& measure, uint32_t seed) {
    Noise n(seed * 104729u + static_cast<uint32_t>(measure.size()));
    Builder b;
    const double center = 2140000000, span = 15000000;
    Identity(b, name, "Quarn2", "02.04.2026 09:12:44");
    Common(b, "CPOWer");
    Sweep(b, center, span, 100000, 300000, 0.1);
    b("SENSe:REFLevel:UNIT DBM");
    b("SENSe:REFLevel 0.0");
    b("DISPlay:TRACe:Y:SCALe 10");
    b("SENSe:DETector:FUNCtion RMS");
    b("SENSe:TRACe:A:STATe ACTual");
    b("SENSe:TRACe:B:STATe OFF");
    b("MMEMory:LOAD:CHANnel 'UMTS_B1'");
    b("MMEMory:STORe:CHANnel "
      "'UMTS_B1',10838,10562,3840000.0,5000000.0,2112400000.0,0.0,1,10562,2112400000.0,2,10563,2112600000.0");
    b("SENSe:CPOWer:OBW 99");
    b("SENSe:CPOWer:SPAN FULL");
    b("SENSe:CPOWer:CHANnel 10700");
    b("SENSe:CPOWer:MEASure " + measure);
    b("CALCulate:MEASure:CPOWer -21.4");
    b("# CALCulate:MEASure:ACPR -45.2,-21.4,-46.8");
    b("CALCulate:MEASure:OBW 4150000");
    b("CALCulate:LIMit:STATe OFF");
    auto shape = [&](int c) { return std::abs(c - 250) < 64 ? -58.0 : c % 170 < 40 ? -84.0 : -97.0; };
    b(DataLine('A', MakePoints(n, -97, 1.5, {}, shape)));
    return {name, "channel power (" + measure + ")", b.L};
}

SampleTrace Obw(const std::string& name, uint32_t seed) {
    SampleTrace t = Spectrum(name, "Quarn2", seed, 3);
    for (auto& l : t.lines)
        if (l == "SENSe:MEASure NONe") l = "SENSe:MEASure OBW";
    t.lines.insert(t.lines.end() - 2,
                   {"SENSe:MEASure:OBW 99", "SENSe:MEASure:CHANnel:WIDTh 200000",
                    "SENSe:MEASure:CHANnel:SPACing 200000", "CALCulate:MEASure:OBW 246000"});
    t.description = "occupied bandwidth";
    return t;
}

SampleTrace Dtf(const std::string& name, const std::string& unit, uint32_t seed) {
    Noise n(seed * 15485863u + static_cast<uint32_t>(unit.size()));
    Builder b;
    Identity(b, name, "Quarn3", "17.05.2026 16:02:10");
    Common(b, "DTF");
    Sweep(b, 1800000000, 200000000, 0, 0, 0.5);
    b("SENSe:DTF:CLENgth:UNIT METer");
    b("SENSe:DTF:CLENgth 50.0");
    b("SENSe:DTF:REFerence:UNIT " + unit);
    b("SENSe:DTF:REFerence 0.0");
    b("SENSe:DTF:REFerence:RFACtor 500.0");
    b("DISPlay:TRACe:Y:SCALe:DTF:RFACtor 100");
    b("DISPlay:TRACe:Y:SCALe 5");
    b("SENSe:DTF:CALibration CALibrated");
    b("SENSe:DTF:CALibration:ENABled ON");
    b("MMEMory:LOAD:CTYPe 'RG213'");
    b("MMEMory:STORe:CTYPe 'RG213',0.66,6.50,M100,3000000000");
    b("SENSe:TRACe:A:STATe ACTual");
    b("SENSe:TRACe:B:STATe OFF");
    b("CALCulate:MARKer:A:DTF NORMal");
    b("CALCulate:MARKer:A:X:DISTance 12.500");
    b("CALCulate:MARKer:B:DTF NORMal");
    b("CALCulate:MARKer:B:X:DISTance 31.250");
    b("INSTrument:GENerator ON");
    b("INSTrument:GENerator:LEVel -10.0");
    b("SERVice:EDEVice:TYPe 'DC-BLOCK'");
    b("SERVice:EDEVice:TEXT ' 18 GHz'");
    b("SERVice:EDEVice:CALibration:DATe 2026,1,5");
    b(DataLine('A', MakePoints(n, -48, 1.2, {{125, 22, 2}, {312, 30, 2}, {480, 38, 3}})));
    return {name, "distance to fault (" + unit + ")", b.L};
}

SampleTrace Reflection(const std::string& name, const std::string& unitWord, uint32_t seed) {
    Noise n(seed * 32452843u + static_cast<uint32_t>(unitWord.size()));
    Builder b;
    Identity(b, name, "Quarn3", "17.05.2026 15:40:02");
    Common(b, "RFLection");
    Sweep(b, 900000000, 200000000, 0, 0, 0.2);
    b("SENSe:RFLection:REFerence:UNIT " + unitWord);
    b("SENSe:RFLection:REFerence:VSWR 3.0");
    b("SENSe:RFLection:REFerence:RFACtor 800.0");
    b("SENSe:RFLection:REFerence:RPOWer 50.0");
    b("SENSe:TRANsmission:REFerence 0.0");
    b("DISPlay:TRACe:Y:SCALe:RFLection:VSWR 0.25");
    b("DISPlay:TRACe:Y:SCALe:RFLection:RFACtor 100");
    b("DISPlay:TRACe:Y:SCALe:RFLection:RPOWer 5");
    b("DISPlay:TRACe:Y:SCALe 5");
    b("SENSe:RFLection:CALibration CALibrated");
    b("SENSe:RFLection:CALibration:MODe VECTor");
    b("SENSe:RFLection:CALibration:ENABled ON");
    b("SENSe:RFLection:FILTer 1000");
    b("SENSe:RFLection:FILTer:AUTo ON");
    b("SENSe:TRACe:A:STATe ACTual");
    b("SENSe:TRACe:B:STATe OFF");
    Markers(b, {{"NORMal", 880000000}}, "FREQuency");
    auto shape = [](int c) {
        return -22.0 + 8.0 * std::sin(c / 40.0) - (std::abs(c - 260) < 30 ? 14.0 : 0.0);
    };
    b(DataLine('A', MakePoints(n, -40, 0.4, {}, shape)));
    return {name, "reflection (" + unitWord + ")", b.L};
}

SampleTrace Transmission(const std::string& name, bool normalised, uint32_t seed) {
    Noise n(seed * 49979687u + (normalised ? 1u : 2u));
    Builder b;
    Identity(b, name, "Quarn2", "03.06.2026 11:20:55");
    Common(b, "TRANsmission");
    Sweep(b, 1000000000, 1800000000, 100000, 100000, 0.3);
    b("SENSe:REFLevel:UNIT DBM");
    b("SENSe:REFLevel 0.0");
    b(std::string("SENSe:TRANsmission:REFerence:UNIT ") + (normalised ? "DB" : "DBM"));
    b("SENSe:TRANsmission:REFerence 10.0");
    b("DISPlay:TRACe:Y:SCALe 10");
    b("INSTrument:GENerator ON");
    b("INSTrument:GENerator:LEVel -10.0");
    b("INSTrument:GENerator:MODe CW");
    b(std::string("SENSe:TRACe:MATH ") + (normalised ? "NORMalize" : "OFF"));
    b(std::string("SENSe:TRACe:MATH:A ") + (normalised ? "NORMalized" : "UNNormalized"));
    b("SENSe:TRACe:MATH:B UNNormalized");
    b("SENSe:TRACe:MATH:OFFSet 7");
    b("SENSe:TRACe:A:STATe ACTual");
    b("SENSe:TRACe:B:STATe OFF");
    Markers(b, {{"NORMal", 900000000}}, "FREQuency");
    auto shape = [](int c) { return -12.0 - c * 0.03 - (std::abs(c - 350) < 25 ? 25.0 : 0.0); };
    b(DataLine('A', MakePoints(n, -60, 0.3, {}, shape)));
    return {name, normalised ? "transmission, normalised" : "transmission, absolute", b.L};
}

SampleTrace CableLoss(const std::string& name, uint32_t seed) {
    Noise n(seed * 67867967u);
    Builder b;
    Identity(b, name, "Quarn3", "21.06.2026 08:05:31");
    Common(b, "CLOSs");
    Sweep(b, 1500000000, 1000000000, 0, 0, 0.2);
    b("SENSe:TRANsmission:REFerence 0.0");
    b("DISPlay:TRACe:Y:SCALe 1");
    b("CALCulate:MEASure:ACLoss 3.4");
    b("SENSe:TRACe:A:STATe ACTual");
    b("SENSe:TRACe:B:STATe OFF");
    auto shape = [](int c) { return -2.6 - c * 0.0032; };
    b(DataLine('A', MakePoints(n, -60, 0.1, {}, shape)));
    return {name, "cable loss", b.L};
}

SampleTrace Emf(const std::string& name, uint32_t seed) {
    Noise n(seed * 86028121u);
    Builder b;
    const double center = 1842500000, span = 75000000;
    Identity(b, name, "Quarn2B", "30.06.2026 13:47:08");
    Common(b, "EMF");
    Sweep(b, center, span, 200000, 200000, 1.0);
    b("SENSe:EMF:REFerence:UNIT DBUVm");
    b("SENSe:EMF:REFerence 120.0");
    b("DISPlay:TRACe:Y:SCALe 10");
    b("SENSe:EMF:ANTenna:DIRection ISO");
    b("SENSe:EMF:MEASure:DISPlay EM");
    b("SENSe:EMF:MEASure EFIeld");
    b("SENSe:EMF:MEASure:LAST OFF");
    b("SENSe:EMF:MEASure:TIMe 6.0");
    b("# CALCulate:MEASure:EMF 0.0123");
    b("INPut:AFACtor ON");
    b("MMEMory:LOAD:AFACtor 'ISO_ANT'");
    b("MMEMory:LOAD:AFACtor:ANTenna 'ISOTROPIC 3D'");
    b("INPut:CFACtor ON");
    b("SENSe:TRACe:A:STATe ACTual");
    b("SENSe:TRACe:B:STATe OFF");
    Markers(b, {{"NORMal", 1842500000}}, "FREQuency");
    b(DataLine('A', MakePoints(n, -92, 2.0, {{Col(1842500000, center, span), 45, 30}})));
    return {name, "EMF field strength", b.L};
}

SampleTrace ZeroSpan(const std::string& name, uint32_t seed) {
    Noise n(seed * 122949823u);
    Builder b;
    Identity(b, name, "Quarn2", "11.07.2026 10:10:10");
    Common(b, "SANalyzer");
    Sweep(b, 935200000, 0, 300000, 300000, 0.0046);
    b("SENSe:TRIGger VIDeo");
    b("SENSe:TRIGger:LEVel -40.0");
    b("SENSe:REFLevel:UNIT DBM");
    b("SENSe:REFLevel 0.0");
    b("DISPlay:TRACe:Y:SCALe 10");
    b("SENSe:DETector:FUNCtion SAMPle");
    b("SENSe:TRACe:A:STATe ACTual");
    b("SENSe:TRACe:B:STATe OFF");
    Markers(b, {{"NORMal", 0.0012}, {"NORMal", 0.0030}}, "TIMe");
    auto shape = [](int c) { return (c / 63) % 2 == 0 ? -25.0 : -88.0; };
    b(DataLine('A', MakePoints(n, -90, 0.8, {}, shape)));
    return {name, "zero span (time domain)", b.L};
}

SampleTrace LinearUnits(const std::string& name, uint32_t seed) {
    SampleTrace t = Spectrum(name, "Quarn2", seed, 4);
    for (auto& l : t.lines) {
        if (l == "SENSe:REFLevel:UNIT DBM") l = "SENSe:REFLevel:UNIT MV";
        if (l == "INPut:IMPedance IMP50") l = "INPut:IMPedance IMP75";
    }
    t.lines.insert(t.lines.end() - 2, "DISPlay:TRACe:Y:SCALe:LINear:VOLT 50.0");
    t.description = "spectrum in millivolts at 75 ohm";
    return t;
}

}  // namespace

std::vector<SampleTrace> AllSampleTraces(uint32_t seed) {
    return {
        Spectrum("SPECTRUM", "Quarn2", seed, 0),
        Spectrum("SPEC_TRACEB", "Quarn2", seed, 1),
        Spectrum("SPEC_Q1", "Quarn1", seed, 2),
        LinearUnits("SPEC_MV75", seed),
        ChannelPower("CPOWER", "CPOWer", seed),
        ChannelPower("ACPR", "ACPR", seed),
        Obw("OBW", seed),
        Dtf("DTF_DB", "DB", seed),
        Dtf("DTF_MRHO", "MRHO", seed),
        Reflection("RFL_RL", "RETurnloss", seed),
        Reflection("RFL_VSWR", "VSWR", seed),
        Reflection("RFL_RHO", "RFACtor", seed),
        Reflection("RFL_POWER", "RPOWer", seed),
        Transmission("TRANS_NORM", true, seed),
        Transmission("TRANS_ABS", false, seed),
        CableLoss("CABLE_LOSS", seed),
        Emf("EMF", seed),
        ZeroSpan("ZERO_SPAN", seed),
    };
}

SampleTrace SampleTraceByName(const std::string& name, uint32_t seed) {
    for (auto& t : AllSampleTraces(seed))
        if (t.name == name) return t;
    return {};
}

std::string LineContainerBytes(const std::vector<std::string>& lines) {
    ArchiveWriter w;
    w.Byte('a');
    for (const auto& l : lines)
        w.String(l);
    return w.Take();
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) {
        out += l;
        out += '\n';
    }
    return out;
}

}  // namespace fl::sim
