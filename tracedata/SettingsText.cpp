#include "SettingsText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <filesystem>

#include "Archive.h"
#include "CMyQuarnDoc.h"
#include "FileIo.h"
#include "ProgramFolder.h"
#include "Text.h"
#include "Units.h"

namespace fl {

std::string NormaliseKeyword(std::string_view v) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 14> kTable = {{
        {"imp50", "IMP50"},
        {"imp75", "IMP75"},
        {"video", "VIDeo"},
        {"extern", "EXTern"},
        {"positive", "POSitive"},
        {"negative", "NEGative"},
        {"continuous", "CONTinuous"},
        {"hold", "HOLD"},
        {"none", "NONe"},
        {"cpower", "CPOWer"},
        {"acpr", "ACPR"},
        {"single", "SINGle"},
        {"full", "FULL"},
        {"upplow", "UPPLow"},
    }};
    for (const auto& [from, to] : kTable)
        if (v == from) return std::string(to);
    return std::string(v);
}

std::string EncodePointData(const std::vector<double>& points, bool minMax) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    auto code = [&](size_t i) {
        double p = i < points.size() ? points[i] : kNoPoint;
        if (!(p >= -200.0)) p = -200.0;  // also catches NaN
        if (p > 209.5) p = 209.5;
        // The small bias keeps levels read from the instrument (tenths of a dB) on their own code.
        return static_cast<int>(std::trunc((p + 200.0) * 10.0 + 1e-6));
    };
    std::string out;
    out.reserve(minMax ? 3 * kTracePoints : 3 * kTraceColumns);
    auto put = [&](int v) {
        out.push_back(kHex[(v >> 8) & 0xF]);
        out.push_back(kHex[(v >> 4) & 0xF]);
        out.push_back(kHex[v & 0xF]);
    };
    for (size_t i = 0; i < static_cast<size_t>(kTracePoints); i += 2)
        put(code(i));
    if (minMax)
        for (size_t i = 1; i < static_cast<size_t>(kTracePoints); i += 2)
            put(code(i));
    return out;
}

std::string TraceNameFromPath(const std::string& path) {
    // Stored files from the home platform carry backslash paths ("C:\traces\GSM900_SITE_A.qtr").
    const size_t cut = path.find_last_of("/\\");
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    name = name.substr(0, name.find('.'));
    if (name.size() > 11) name.resize(11);
    return name;
}

namespace {

// A value as text that reads back as the same double: the given number of decimals when they are
// enough, else the shortest fixed form that is exact. Noise from undoing the reader's offsets and unit
// conversions (below the 12th significant digit) is dropped first.
std::string Num(double v, int decimals) {
    if (std::isfinite(v) && v != 0) {
        const double magnitude = std::pow(10.0, 11 - static_cast<int>(std::floor(std::log10(std::fabs(v)))));
        if (std::isfinite(magnitude) && std::isfinite(v * magnitude))
            v = std::round(v * magnitude) / magnitude;
    }
    if (v == 0) v = 0.0;  // no "-0.0"
    std::string text = Format("%.*f", decimals, v);
    if (!std::isfinite(v) || LeadingReal(text) == v) return text;
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    return r.ec == std::errc() ? std::string(buf, r.ptr) : text;
}

// The reflection unit as the instrument names it (the record holds the normalised form).
std::string RflUnitKeyword(const std::string& held) {
    if (held == "VSWR") return "VSWR";
    if (held == "MRHO") return "RFACtor";
    if (held == "%") return "RPOWer";
    return "RETurnloss";
}

const char* ScaleKey(const CMyQuarnDoc& d) {
    const double* s = &d.SelectedScale();
    if (s == &d.m_dScaleVolt) return "DISPlay:TRACe:Y:SCALe:LINear:VOLT";
    if (s == &d.m_dScaleWatt) return "DISPlay:TRACe:Y:SCALe:LINear:WATT";
    if (s == &d.m_dScaleDtfRfactor) return "DISPlay:TRACe:Y:SCALe:DTF:RFACtor";
    if (s == &d.m_dScaleVswr) return "DISPlay:TRACe:Y:SCALe:RFLection:VSWR";
    if (s == &d.m_dScaleRfactor) return "DISPlay:TRACe:Y:SCALe:RFLection:RFACtor";
    if (s == &d.m_dScaleRpower) return "DISPlay:TRACe:Y:SCALe:RFLection:RPOWer";
    return nullptr;  // the logarithmic scale, written under the plain key
}

}  // namespace

std::vector<std::string> SettingsLines(const CMyQuarnDoc& d, const std::string& traceName) {
    std::vector<std::string> L;
    auto add = [&](std::string s) { L.push_back(std::move(s)); };
    auto kw = [](const std::string& s) { return NormaliseKeyword(s); };
    auto r1 = [&](const char* key, double v) { add(std::string(key) + " " + Num(v, 1)); };
    const std::string& unit = d.DisplayUnit();
    const double impedance = d.ReferenceImpedance();
    // Each value in the form the reader takes it in: a take-over turned the selected reference from dBm
    // and the selected scale from milli units into the display unit; both go back.
    auto reference = [&](const double& field) {
        if (&field == &d.SelectedReference() && TakeOverConvertsReference(unit))
            return LevelToDbm(field, unit, impedance);
        return field;
    };
    auto scale = [&](const double& field) {
        if (&field == &d.SelectedScale() && TakeOverConvertsScale(unit))
            return LinearScaleIntoMilli(field, unit);
        return field;
    };

    // Each model has its own spelling of the spectrum mode; a Quarn1 trace keeps the Quarn1 spelling.
    std::string mode = d.m_strMode;
    if (mode == "SANalyzer" || mode == "SANalizer")
        mode = d.m_strModel == "Quarn1" ? "SANalizer" : "SANalyzer";
    if (mode == "cpower") mode = "CPOWer";
    const bool quarn1 = d.m_strModel == "Quarn1";

    add("# TRACE " + traceName + ";   created: " + d.m_strCreated);
    add("# *IDN '" + d.m_strMaker + ", " + d.m_strModel + ", " + d.m_strSerial + ", " + d.m_strFirmware +
        "'");
    add("# *CAL " + d.m_strCalDate);
    add("# SYSTem:DNAMe '" + ToUpperCp1252(d.m_strDeviceName) + "'");
    add("# SERVice:BOOTversion " + d.m_strBootVersion);
    // The date as read keeps the comma that separated it from the name; one comma goes between them.
    std::string checkDate = d.m_strCheckLast;
    while (!checkDate.empty() && (checkDate.back() == ',' || checkDate.back() == ' '))
        checkDate.pop_back();
    // No date: no comma either, which the reader would take for an empty date field.
    add("# SERVice:CHECk:LAST " + (checkDate.empty() ? "" : checkDate + ",") + "'" + d.m_strCheckLastBy +
        "'");
    add("# SERVice:CHECk:NEXT " + d.m_strCheckNext);
    add("INSTrument:SELect " + mode);
    add("INPut:IMPedance " + kw(d.m_strImpedance));
    r1("INPut:ATTenuation", d.m_dAttenuation);
    add("INPut:ATTenuation:AUTo " + kw(d.m_strAttenuationAuto));
    add("DISPlay:TRACe:Y:SCALe " + Num(scale(d.m_dScaleLog), 0));
    if (const char* key = ScaleKey(d)) add(std::string(key) + " " + Num(scale(d.SelectedScale()), 1));
    add("SENSe:REFLevel:UNIT " + d.m_strRefLevelUnit);
    r1("SENSe:REFLevel", reference(d.m_dRefLevel));
    add("MMEMory:LOAD:EDEVice '" + d.m_strEdevFile + "'");
    add("INPut:EDEVice " + kw(d.m_strEdevState));
    r1("SENSe:TRANsmission:REFerence", reference(d.m_dTransRef));
    // Before the trace data: a relative (DB) transmission trace is read relative to the generator level.
    add("SENSe:TRANsmission:REFerence:UNIT " + d.m_strTransRefUnit);

    if (mode == "DTF") {
        add("SENSe:DTF:CLENgth:UNIT " + d.m_strCableLengthUnit);
        r1("SENSe:DTF:CLENgth", d.m_dCableLength);
        r1("SENSe:DTF:REFerence", reference(d.m_dDtfRef));
        r1("SENSe:DTF:REFerence:RFACtor", reference(d.m_dDtfRefRfactor));
        add("SENSe:DTF:REFerence:UNIT " + d.m_strDtfRefUnit);
        add("# SENSe:DTF:CALibration " + d.m_strDtfCal);
    }
    if (mode == "RFLection") {
        add("SENSe:RFLection:REFerence:UNIT " + RflUnitKeyword(d.m_strRflRefUnit));
        r1("SENSe:RFLection:REFerence:VSWR", reference(d.m_dRflRefVswr));
        r1("SENSe:RFLection:REFerence:RFACtor", reference(d.m_dRflRefRfactor));
        r1("SENSe:RFLection:REFerence:RPOWer", reference(d.m_dRflRefRpower));
        add("SENSe:RFLection:CALibration:MODe " + d.m_strRflCalMode);
    }
    if (mode == "RFLection" || mode == "CLOSs") {
        r1("SENSe:RFLection:FILTer", d.m_dRflFilter);
        add("SENSe:RFLection:FILTer:AUTo " + d.m_strRflFilterAuto);
    }
    if (mode == "EMF") {
        add("SENSe:EMF:REFerence:UNIT " + d.m_strEmfRefUnit);
        r1("SENSe:EMF:REFerence", reference(d.m_dEmfRef));
        add("SENSe:EMF:ANTenna:DIRection " + d.m_strEmfDirection);
        add("SENSe:EMF:MEASure:DISPlay " + d.m_strEmfDisplay);
        add("SENSe:EMF:MEASure " + d.m_strEmfMeasure);
        add("SENSe:EMF:MEASure:LAST " + d.m_strEmfLast);
        add("SENSe:EMF:MEASure:TIMe " + Num(d.m_dEmfTime, 1));
    }
    if (mode != "CPOWer") {
        r1("SENSe:FREQuency:SPAN", d.m_dSpan);
        r1("SENSe:FREQuency:CENTer", d.m_dCenter);
        r1("SENSe:BANDwidth:RESolution", d.m_dRbw);
        add("SENSe:BANDwidth:RESolution:AUTo " + kw(d.m_strRbwAuto));
        r1("SENSe:BANDwidth:VIDeo", d.m_dVbw);
        add("SENSe:BANDwidth:VIDeo:AUTo " + kw(d.m_strVbwAuto));
        add("SENSe:SWEep:TIMe " + Num(d.m_dSweepTime, 4));
        add("SENSe:SWEep:TIMe:AUTo " + kw(d.m_strSweepTimeAuto));
        add("SENSe:TRIGger " + kw(d.m_strTrigger));
        r1("SENSe:TRIGger:LEVel", d.m_dTriggerLevel);
        add("SENSe:TRIGger:EDGe " + kw(d.m_strTriggerEdge));
        add("SENSe:DETector:FUNCtion " + std::string(DetectorKeyword(d.m_nDetector)));
        if (!d.m_strLimitFile.empty()) {
            std::string line = "# MMEMory:STORe:LIMit '" + d.m_strLimitFile + "'";
            for (const auto& entry : d.m_arrLimitLines)
                line += "," + entry;
            add(std::move(line));
        }
        add("MMEMory:LOAD:LIMit '" + d.m_strLimitFile + "'");
        add("CALCulate:LIMit:STATe " + kw(d.m_strLimitState));
        r1("CALCulate:LIMit:SIMPle:UPPer", d.m_dLimitUpper);
        r1("CALCulate:LIMit:SIMPle:LOWer", d.m_dLimitLower);
        add("CALCulate:LIMit:SIMPle " + kw(d.m_strLimitSimple));
        add(Format("# %s %d", "CALCulate:LIMit:FCOunt:COUNt", d.m_nLimitFailCount));
        add(Format("%s %d", "SENSe:MEASure:OBW", d.m_nObwPercent));
        r1("SENSe:MEASure:CHANnel:WIDTh", d.m_dChannelWidth);
        r1("SENSe:MEASure:CHANnel:SPACing", d.m_dChannelSpacing);
        add("SENSe:MEASure " + kw(d.m_strMeasure));
    } else {
        add("MMEMory:LOAD:CHANnel '" + d.m_strChanFile + "'");
        // The reader adds 0.001 to each header real; that is taken off again here.
        std::string chan = "MMEMory:STORe:CHANnel " + Format("'',%d,%d", d.m_nChanSysLast, d.m_nChanSysFirst);
        for (double v : {d.m_dChanSysWidth, d.m_dChanSysSpacing, d.m_dChanSysFirstCenter, d.m_dChanSysValue4})
            chan += "," + Num(v - 0.001, 1);
        const size_t n =
            std::min({d.m_arrChanEntryInt1.size(), d.m_arrChanEntryInt2.size(), d.m_arrChanEntryReal.size()});
        for (size_t i = 0; i < n; ++i)
            chan += Format(",%d,%d,", d.m_arrChanEntryInt1[i], d.m_arrChanEntryInt2[i]) +
                    Num(d.m_arrChanEntryReal[i], 1);
        add(std::move(chan));
        add(Format("%s %d", "SENSe:CPOWer:OBW", d.m_nCpowerObw));
        add(Format("%s %d", "SENSe:CPOWer:CHANnel", d.m_nCpowerChannel));
        add("SENSe:CPOWer:SPAN " + d.m_strCpowerSpan);
        add("SENSe:CPOWer:MEASure " + d.m_strCpowerMeasure);
        // Commented out: a channel-power set-up takes its frequencies from the channel system.
        r1("# SENSe:FREQuency:SPAN", d.m_dSpan);
        r1("# SENSe:FREQuency:CENTer", d.m_dCenter);
        r1("# SENSe:BANDwidth:RESolution", d.m_dRbw);
        r1("SENSe:BANDwidth:VIDeo", d.m_dVbw);
        add("SENSe:BANDwidth:VIDeo:AUTo " + kw(d.m_strVbwAuto));
        add("# SENSe:SWEep:TIMe " + Num(d.m_dSweepTime, 4));
    }
    if (mode == "TRANsmission" || mode == "DTF") {
        r1("INSTrument:GENerator:LEVel", d.m_dGenLevel);
        add(Format("%s %s", "INSTrument:GENerator", d.m_strGenerator.c_str()));
    }

    // Markers A to D always, E and F when they are on. Each is written from the set of the trace it sits
    // on, with that trace named; the reader's offsets (0.001 for frequency and distance, 1e-9 s for time)
    // are taken off, and a delta marker goes back relative to marker A (a Quarn1 holds it relative).
    // A stored trace keeps no trace letters: a marker that is on in set B only sits on trace B.
    auto onB = [&](int e) {
        const auto i = static_cast<size_t>(e);
        return d.m_arrMarkerStateA[i] == MARKER_OFF &&
               (d.m_arrMarkerStateB[i] != MARKER_OFF || d.m_arrMarkerTrace[i] == "B");
    };
    auto state = [&](int e) {
        return (onB(e) ? d.m_arrMarkerStateB : d.m_arrMarkerStateA)[static_cast<size_t>(e)];
    };
    auto position = [&](const std::vector<double>& a, const std::vector<double>& b, int e, double offset) {
        double v = (onB(e) ? b : a)[static_cast<size_t>(e)];
        if (e > 1 && state(e) == DELTa && !quarn1) v -= (onB(1) ? b : a)[1];
        return v - offset;
    };
    for (int e = 1; e <= 6; ++e) {
        if (e > 4 && state(e) == MARKER_OFF) continue;
        const char m = static_cast<char>('A' + e - 1);
        const std::string keyword(MarkerStateKeyword(state(e)));
        if (mode != "DTF") {
            add(Format("CALCulate:MARKer:%c:STATe %s", m, keyword.c_str()));
            add(Format("CALCulate:MARKer:%c:X:FREQuency ", m) +
                Num(position(d.m_arrMarkerFreqA, d.m_arrMarkerFreqB, e, 0.001), 1));
            add(Format("CALCulate:MARKer:%c:X:TIMe ", m) +
                Num(position(d.m_arrMarkerTimeA, d.m_arrMarkerTimeB, e, 1e-9), 4));
            if (onB(e)) add(Format("CALCulate:MARKer:%c:TSELect B", m));
        } else {
            if (e == 1) {
                add("MMEMory:LOAD:CTYPe '" + d.m_strCableTypeFile + "'");
                // The reader adds 0.0001 to dielectric and attenuation; the cut-off frequency ends the line.
                add("MMEMory:STORe:CTYPe ''," + Num(d.m_dCableDielectric - 0.0001, 1) + "," +
                    Num(d.m_dCableAttenuation - 0.0001, 2) + "," + d.m_strCableAttUnit + "," +
                    Num(d.m_dCableCutoff, 1));
            }
            add(Format("CALCulate:MARKer:%c:DTF %s", m, keyword.c_str()));
            add(Format("CALCulate:MARKer:%c:X:DISTance ", m) +
                Num(position(d.m_arrMarkerDistA, d.m_arrMarkerDistB, e, 0.001), 3));
            if (onB(e)) add(Format("CALCulate:MARKer:%c:DTF:TSELect B", m));
        }
    }

    r1("CALCulate:MARKer:FCOunt:RESolution", d.m_dCounterResolution);
    add(Format("%s %s", "CALCulate:MARKer:FCOunt:EREFfreq", d.m_strCounterExtRef.c_str()));
    // Taking a trace over turns the offset (divisions) into a level; the instrument wants its own value.
    const double s = d.SelectedScale();
    r1("SENSe:TRACe:MATH:OFFSet",
       s != 0 ? 8.0 - (d.SelectedReference() - d.m_dTraceMathOffset) / s : d.m_dTraceMathOffset);
    add(Format("%s %s", "SENSe:TRACe:MATH:A", d.m_strTraceMathA.c_str()));
    add(Format("%s %s", "SENSe:TRACe:MATH:B", d.m_strTraceMathB.c_str()));
    add(Format("%s %d", "SENSe:TRACe:AVGFactor", d.m_nAvgFactor));
    add("# SENSe:TRACe:A:STATe " + std::string(TraceModeKeyword(d.m_nTraceModeA)));
    add("# SENSe:TRACe:B:STATe " + std::string(TraceModeKeyword(d.m_nTraceModeB)));
    add("# SENSe:STATe " + d.m_strSenseState);
    add("# SENSe:SWEep:STATe " + kw(d.m_strSweepState) + "," + Format("%d", d.m_nSweepCount));
    add(Format("# %s %.1f", "CALCulate:MEASure:OBW", d.m_dResultObw));
    add(Format("# %s %.1f,%.1f,%.1f", "CALCulate:MEASure:ACPR", d.m_dResultAcprLower, d.m_dResultAcprMain,
               d.m_dResultAcprUpper));
    add(Format("# %s %.1f", "CALCulate:MEASure:CPOWer", d.m_dResultCpower));
    add(Format("# %s %.1f", "CALCulate:MARKer:FCOunt", d.m_dCounterFreq));
    if (mode == "EMF") add("# CALCulate:MEASure:EMF " + Num(d.m_dResultEmf, 4));
    if (mode == "TRANsmission") add(Format("%s %s", "# SENSe:TRACe:MATH", d.m_strTraceMath.c_str()));
    // A relative transmission trace is held less the generator level, which the reader takes off again.
    std::vector<double> points = d.m_arrTraceA;
    if (mode == "TRANsmission" && d.m_strTransRefUnit == "DB")
        for (double& p : points)
            p += d.m_dGenLevel;
    add(Format("%s,%s,'%s'", "SENSe:TRACe:DATa ACTual", d.m_nMinMaxA == 1 ? "MINMax" : "ALL",
               EncodePointData(points, d.m_nMinMaxA == 1).c_str()));
    add("# SENSe:TRACe:DATa:LIMit " + d.m_strTraceDataLimit);
    return L;
}

bool WriteSettingsText(const std::string& sourcePath, std::string* error, const std::string& outputPath) {
    const std::string out = outputPath.empty() ? ProgramFile(kSettingsTextFile) : outputPath;
    auto fail = [&](std::string message) {
        std::error_code ec;
        std::filesystem::remove(out, ec);  // never leave an earlier file's text to be sent
        if (error) *error = std::move(message);
        return false;
    };

    std::string bytes;
    std::string readError;
    if (!ReadWholeFile(sourcePath, bytes, kMaxTraceFileSize, &readError)) return fail(readError);

    std::string text;
    if (!bytes.empty() && bytes[0] == 'a') {
        try {
            ArchiveReader in(bytes);
            in.Byte();
            while (!in.AtEnd()) {
                text += in.String();
                text += '\n';
            }
        } catch (const ArchiveError&) {
            return fail(kUnexpectedFormatText);
        }
    } else {
        // A stored trace of any version is read with its own layout.
        CMyQuarnDoc doc;
        LoadResult r = doc.LoadBytes(bytes);
        if (!r.ok()) return fail(r.message);
        for (const auto& line : SettingsLines(doc, TraceNameFromPath(sourcePath))) {
            text += line;
            text += '\n';
        }
    }
    std::string writeError;
    if (!WriteWholeFileAtomically(out, text, &writeError)) return fail(writeError);
    return true;
}

}  // namespace fl
