#include "PanelText.h"

#include <cmath>

#include "CMyQuarnDoc.h"
#include "GpsText.h"
#include "Text.h"
#include "Units.h"

namespace fl {

std::string ModeDisplayName(const std::string& k) {
    if (k == "SANalyzer" || k == "SANalizer") return "Spectrum Analysis";
    if (k == "CPOWer") return "Channel Power";
    if (k == "DTF") return "Distance to Fault";
    if (k == "TRANsmission") return "Transmission";
    if (k == "SGENerator") return "Signal Generator";
    if (k == "RFLection") return "Reflection";
    if (k == "CLOSs") return "Cable Loss";
    if (k == "EMF") return "EMF (EMI)";
    return k;
}

std::string DetectorCaption(int v) {
    static const char* const k[] = {"Pos./Neg.", "Sample", "Pos. Peak", "Neg. Peak",
                                    "RMS",       "Scalar", "Vector"};
    return v >= 0 && v < 7 ? k[v] : "";
}

std::string TraceModeCaption(int v) {
    static const char* const k[] = {"(ACT)", "(MAX)", "(MIN)", "(HLD)", "(AVG)", "(OFF)"};
    return v >= 0 && v < 6 ? k[v] : "";
}

std::string PanelKeyword(const std::string& k) {
    static const std::pair<const char*, const char*> table[] = {
        {"IMP50", "50 Ohm"},
        {"IMP75", "75 Ohm"},
        {"SINGle", "Single Channel"},
        {"FULL", "Full System"},
        {"POSitive", "Positive"},
        {"NEGative", "Negative"},
        {"CONTinuous", "Continuous"},
        {"VIDeo", "Video"},
        {"EXTern", "Extern"},
        {"NONe", "None"},
        {"UPPLow", "Upper&Lower"},
        {"UPP", "Upper"},
        {"LOW", "Lower"},
        {"HOLD", "Hold"},
        {"CPOWer", "Channel Power"},
        {"AUTo", "Auto"},
        {"QUICk", "Quick"},
        {"MANual", "Manual"},
    };
    for (auto [from, to] : table)
        if (k == from) return to;
    return k;
}

bool NormalisationOn(const CMyQuarnDoc& d) {
    auto on = [](const std::string& m) { return m == "NORMalize" || m == "NORMalized"; };
    return on(d.m_strTraceMathA) || on(d.m_strTraceMathB);
}

bool CalibrationOn(const CMyQuarnDoc& d) {
    auto calibrated = [](const std::string& s) { return s == "YES" || s == "CALibrated"; };
    return (calibrated(d.m_strRflCal) && d.m_strRflCalEnabled == "ON") ||
           (calibrated(d.m_strDtfCal) && d.m_strDtfCalEnabled == "ON");
}

Scaled ScaleFrequency(double hz) {
    const double a = std::fabs(hz);
    if (a >= 1e9) return {hz / 1e9, "GHz"};
    if (a >= 1e6) return {hz / 1e6, "MHz"};
    if (a >= 1e3) return {hz / 1e3, "kHz"};
    return {hz, "Hz"};
}

Scaled ScaleTime(double s) {
    const double a = std::fabs(s);
    if (a > 0 && a < 1e-3) return {s * 1e6, "\xB5s"};
    if (a > 0 && a < 1) return {s * 1e3, "ms"};
    return {s, "s"};
}

std::string FrequencyNumber(const Scaled& f) {
    const double b = std::fabs(std::trunc(f.value));
    if (f.unit == "Hz") {
        if (b == 0) return Format("%d", ClampToInt(f.value));
        return b >= 10 ? Format("%3.0f", f.value) : Format("%1.0f", f.value);
    }
    if (b == 0) return {};
    if (f.unit == "kHz") return b >= 10 ? Format("%3.3f", f.value) : Format("%1.3f", f.value);
    if (f.unit == "MHz")
        return b >= 100  ? Format("%3.4f", f.value)
               : b >= 10 ? Format("%2.5f", f.value)
                         : Format("%1.6f", f.value);
    return Format("%1.6f", f.value);
}

std::string FrequencyText(double hz) {
    const Scaled f = ScaleFrequency(hz);
    return Format("%s %s", FrequencyNumber(f).c_str(), f.unit.c_str());
}

bool HasExternalDevicePanel(const std::string& m) {
    return m == "Distance to Fault" || m == "Reflection" || m == "Cable Loss" || m == "EMF (EMI)";
}

namespace {

bool On(const std::string& s) {
    return s != "OFF";
}

std::string ReferenceValue(const CMyQuarnDoc& d, const std::string& mode, std::string& caption,
                           bool portrait) {
    const std::string& u = d.DisplayUnit();
    const double r = d.SelectedReference();
    const std::string ut = UnitText(u);
    caption = "Ref.";
    if (mode == "Transmission" || mode == "Cable Loss") return Format("%3.1f %s", r, ut.c_str());
    if (mode == "Distance to Fault")
        return u == "MRHO" ? Format("%.0f %s", r, ut.c_str()) : Format("%3.1f %s", r, ut.c_str());
    if (mode == "Reflection") {
        if (u == "VSWR") {
            caption = "Max VSWR";
            return r >= 100 ? Format("%4.1f", r) : r >= 10 ? Format("%3.2f", r) : Format("%2.3f", r);
        }
        if (u == "MRHO") {
            caption = "Max Refl.Factor";
            return Format("%.0f %s", r, ut.c_str());
        }
        if (u == "%") {
            caption = "Max Refl.Power";
            return Format("%.1f %s", r, ut.c_str());
        }
        return Format("%3.1f %s", r, ut.c_str());
    }
    if (mode == "EMF (EMI)") {
        caption = portrait      ? "Ref. Level"
                  : u == "MWM2" ? "Ref. Power"
                  : u == "VM"   ? "Ref. Voltage"
                                : "Ref. Level";
        if (IsLinearUnit(u)) {
            const LevelTexts t =
                ReadableLevels({r}, u, [&](double v) { return Format(portrait ? "%.1f" : "%3.1f", v); });
            return t.texts[0] + " " + t.unit;
        }
        return Format(portrait ? "%.1f %s" : "%3.1f %s", r, ut.c_str());
    }
    caption = "Ref. Level";
    const LevelTexts t = ReadableLevels({r}, u);
    return t.texts[0] + " " + t.unit;
}

std::string ScaleValue(const CMyQuarnDoc& d, const std::string& mode) {
    const std::string& u = d.DisplayUnit();
    const double s = d.SelectedScale();
    const std::string st = ScaleUnitText(u).empty() ? UnitText(u) : ScaleUnitText(u);
    if (mode == "Transmission" || mode == "Cable Loss" || u == "DB" || u == "DBM" || u == "DBUV" ||
        u == "DBMV" || u == "DBV")
        return Format("%.1f %s/div", s, st.c_str());
    if (u == "MRHO") return Format("%.0f %s/div", s, st.c_str());
    if (u == "VSWR") return Format("%.3f %s/div", s, st.c_str());
    if (IsLinearUnit(u)) {
        // "%.4f" where that shows the scale; a scale of microwatts in W reads in uW.
        const std::string plain = Format("%.4f", s);
        if (s == 0 || plain.find_first_of("123456789") != std::string::npos)
            return Format("%.4f %s /div", s, st.c_str());
        const LevelTexts t = ReadableLevels({s}, u);
        return t.texts[0] + " " + t.unit + " /div";
    }
    return Format("%.1f %s/div", s, st.c_str());
}

void SweepRows(const CMyQuarnDoc& d, std::vector<PanelRow>& rows) {
    rows.push_back({"Center", FrequencyText(d.m_dCenter)});
    rows.push_back({"Span", FrequencyText(d.m_dSpan)});
    rows.push_back({"Start", FrequencyText(d.m_dCenter - d.m_dSpan / 2)});
    rows.push_back({"Stop", FrequencyText(d.m_dCenter + d.m_dSpan / 2)});
}

// "ACPR" and "OBW" as they are, every other keyword by the display text table ("CPOWer", "NONe").
std::string MeasureModeText(const std::string& m) {
    return PanelKeyword(m);
}

}  // namespace

Panel LevelPanel(const CMyQuarnDoc& d, bool portrait) {
    const std::string mode = ModeDisplayName(d.m_strMode);
    Panel p{"Level", {}};
    p.rows.push_back({"Impedance", PanelKeyword(d.m_strImpedance)});
    if (mode == "Distance to Fault") {
        p.rows.push_back(
            {"Cable Type", d.m_strCableTypeFile.empty() ? "User defined" : d.m_strCableTypeFile});
    } else if (mode == "EMF (EMI)") {
        std::string af = "OFF";
        if (On(d.m_strAfactorState)) {
            af = d.m_strAfactorAntenna.empty() ? d.m_strAfactorFile : d.m_strAfactorAntenna;
            if (d.m_strEmfMeasure == "OFF" && (d.m_strEmfLast == "AUTo" || d.m_strEmfLast == "QUICk")) {
                const size_t us = af.find('_');
                if (us != std::string::npos) af = af.substr(0, us) + "_XYZ";
            }
        }
        p.rows.push_back({"Antenna Factor", af});
        p.rows.push_back(
            {portrait ? "Cable Factor" : "Cable. Factor",
             On(d.m_strCfactorState) && !d.m_strCfactorFile.empty() ? d.m_strCfactorFile : "OFF"});
    } else {
        p.rows.push_back({"Ext. Device Comp.",
                          !d.m_strEdevFile.empty() && On(d.m_strEdevState) ? d.m_strEdevFile : "OFF"});
    }
    std::string caption;
    std::string value = ReferenceValue(d, mode, caption, portrait);
    p.rows.push_back({caption, value});
    p.rows.push_back({"Attenuation", Format("%.0f %s", d.m_dAttenuation, "dB")});
    p.rows.push_back({"Scale", ScaleValue(d, mode)});
    return p;
}

Panel StatusPanel(const CMyQuarnDoc& d, bool portrait) {
    const std::string mode = ModeDisplayName(d.m_strMode);
    Panel p{"Status", {}};
    auto& r = p.rows;
    r.push_back({"Mode:", mode});
    if (mode == "Channel Power") {
        r.push_back({"Channel System", d.m_strChanFile});
        r.push_back({"Span", PanelKeyword(d.m_strCpowerSpan)});
        r.push_back({"Channel", Format("%d", d.m_nCpowerChannel)});
        if (d.m_strCpowerMeasure == "OBW") r.push_back({"OBW", Format("%d", d.m_nCpowerObw)});
        r.push_back({"Measure Mode", MeasureModeText(d.m_strCpowerMeasure)});
        r.push_back({"First Channel", Format("%d", d.m_nChanSysFirst)});
        r.push_back({"Last Channel", Format("%d", d.m_nChanSysLast)});
        r.push_back({"Channel Width", FrequencyText(d.m_dChanSysWidth)});
        r.push_back({"Channel Spacing", FrequencyText(d.m_dChanSysSpacing)});
        r.push_back({"1st Ch. Center", FrequencyText(d.m_dChanSysFirstCenter)});
    } else if (mode == "Transmission") {
        SweepRows(d, r);
        r.push_back({"Output Power", Format("%.1f %s", d.m_dGenLevel, "dBm")});
        r.push_back({"Normalize A/B", NormalisationOn(d) ? "ON" : "OFF"});
        r.push_back({"Trace Offset", Format("%.1f dB", d.m_dTraceMathOffset)});
    } else if (mode == "Distance to Fault") {
        const std::string lu = LengthUnitText(d.m_strCableLengthUnit);
        r.push_back({"Cable Length", Format("%4.1f %s", d.m_dCableLength, lu.c_str())});
        r.push_back({"Velocity", Format("%1.2f", d.m_dCableDielectric)});
        r.push_back({"Cable Attenuation", Format("%2.3f dB/100%s", d.m_dCableAttenuation,
                                                 LengthUnitText(d.m_strCableAttUnit).c_str())});
        r.push_back({"Cut Off Freq.", FrequencyText(d.m_dCableCutoff)});
        r.push_back({"Center", FrequencyText(d.m_dCenter)});
        r.push_back({"Span", FrequencyText(d.m_dSpan)});
    } else if (mode == "Reflection" || mode == "Cable Loss") {
        SweepRows(d, r);
    } else if (mode == "EMF (EMI)" && !portrait) {
        SweepRows(d, r);
        const std::string& m = d.m_strEmfLast;
        r.push_back({"Measure Mode", m == "MANual"  ? "Manual"
                                     : m == "AUTo"  ? "Auto"
                                     : m == "QUICk" ? "Quick"
                                                    : "OFF"});
        const Scaled t = ScaleTime(d.m_dEmfTime);
        r.push_back({"Measure Time", Format("%s %s", Format("%.1f", t.value).c_str(), t.unit.c_str())});
    } else if (mode == "EMF (EMI)") {
        // Portrait shows the rows of the last line of the status table.
        SweepRows(d, r);
        r.push_back({"Measure Mode", MeasureModeText(d.m_strMeasure)});
    } else {
        SweepRows(d, r);
        r.push_back({"Measure Mode", MeasureModeText(d.m_strMeasure)});
    }
    if (mode == "Spectrum Analysis" || mode == "Transmission" || mode == "EMF (EMI)") {
        const std::string& t = d.m_strTrigger;
        r.push_back({"Trigger", t == "VIDeo" ? "Video" : t == "EXTern" ? "Extern" : "OFF"});
        if (t == "VIDeo")
            r.push_back(
                {"Trigger Level", Format("%.1f %s", d.m_dTriggerLevel, UnitText(d.DisplayUnit()).c_str())});
        if (t == "VIDeo" || t == "EXTern") r.push_back({"Trigger Edge", PanelKeyword(d.m_strTriggerEdge)});
        r.push_back({"Single Count", Format("%d", d.m_nSweepCount)});
    }
    if (mode == "Spectrum Analysis" && d.m_arrUserStateA.size() > 1 && d.m_arrUserStateA[1] == COUNter) {
        r.push_back({"Frequency Counter", FrequencyText(d.m_dCounterFreq)});
        r.push_back({"Counter Resolution", FrequencyText(d.m_dCounterResolution)});
    }
    return p;
}

Panel TraceDetectorPanel(const CMyQuarnDoc& d) {
    const std::string mode = ModeDisplayName(d.m_strMode);
    return {"Trace/Detector",
            {{mode == "Reflection" || mode == "Cable Loss" ? "Measurement" : "Detect",
              DetectorCaption(d.m_nDetector)},
             {"Trace A", TraceModeCaption(d.m_nTraceModeA)},
             {"Trace B", TraceModeCaption(d.m_nTraceModeB)},
             {"Average Count", Format("%d", d.m_nAvgFactor)}}};
}

Panel ExternalDevicePanel(const CMyQuarnDoc& d) {
    return {"External Device",
            {{"Type:", d.m_strEdevType.empty() ? "Unknown" : d.m_strEdevType + d.m_strEdevText},
             {"S/N", d.m_strEdevSerial},
             {"Cal. Date", FormatCalDate(d.m_strEdevCalDate)}}};
}

Panel InstrumentPanel(const CMyQuarnDoc& d) {
    return {"Instrument",
            {{"SW Version", d.m_strFirmware},
             {"Boot Version", d.m_strBootVersion},
             {"Serial Number", d.m_strSerial},
             {"Cal. Date", FormatCalDate(d.m_strCalDate)},
             {"Last Check", FormatCalDate(d.m_strCheckLast) + " by " + d.m_strCheckLastBy},
             {"Next Check", FormatCalDate(d.m_strCheckNext)}}};
}

Panel GpsPanel(const CMyQuarnDoc& d) {
    return {"GPS - " + GpsStatusCaption(d.m_strGpsQuality),
            {{"Latitude", RecordLatitudeText(d)},
             {"Longitude", RecordLongitudeText(d)},
             {"Altitude", RecordAltitudeText(d)}}};
}

double MarkerPosition(const CMyQuarnDoc& d, char t, int e) {
    return UserMarkerPosition(d, t, e);
}

double MarkerColumn(const CMyQuarnDoc& d, double x) {
    double start = 0, range;
    if (d.m_strMode == "DTF") {
        range = d.m_dCableLength;
    } else if (d.m_dSpan != 0) {
        start = d.m_dCenter - d.m_dSpan / 2;
        range = d.m_dSpan;
    } else {
        range = d.m_dSweepTime;
    }
    double col = range != 0 ? std::round((x - start) / (range * 0.002)) : 0.0;
    if (!(col >= 0)) col = 0;
    if (col > kTraceColumns - 1) col = kTraceColumns - 1;
    return col;
}

double MarkerLevel(const CMyQuarnDoc& d, char t, double x) {
    const auto& pts = t == 'A' ? d.m_arrTraceA : d.m_arrTraceB;
    const size_t i = static_cast<size_t>(MarkerColumn(d, x)) * 2 + 1;
    return i < pts.size() ? pts[i] : kNoPoint;
}

std::vector<std::string> MarkerLines(const CMyQuarnDoc& d, char t) {
    std::vector<std::string> lines;
    const auto& state = t == 'A' ? d.m_arrUserStateA : d.m_arrUserStateB;
    const std::string& u = d.DisplayUnit();
    const std::string ut = UnitText(u);
    const bool dtf = d.m_strMode == "DTF";
    // The markers' levels in a linear unit read together: in the marker format where it tells them apart,
    // else with a prefix and the decimals that do (a W trace's markers in uW rather than "0.000 W").
    std::vector<double> linear;
    std::vector<int> linearEntries;
    if (IsLinearUnit(u) && !dtf)
        for (int e = 1; e <= 10 && static_cast<size_t>(e) < state.size(); ++e)
            if (state[static_cast<size_t>(e)] > 0 && state[static_cast<size_t>(e)] != DELTa) {
                linear.push_back(
                    LevelFromDbm(MarkerLevel(d, t, MarkerPosition(d, t, e)), u, d.ReferenceImpedance()));
                linearEntries.push_back(e);
            }
    const LevelTexts linearTexts = ReadableLevels(linear, u, [&](double level) {
        return u == "MW" || u == "MV" || u == "MWM2" || u == "MVM" ? Format("%.2f", level)
                                                                   : Format("%.3f", level);
    });
    for (int e = 1; e <= 10 && static_cast<size_t>(e) < state.size(); ++e) {
        const int s = state[static_cast<size_t>(e)];
        if (s <= 0) continue;
        const bool delta = s == DELTa;
        double x = MarkerPosition(d, t, e);
        double level = LevelFromDbm(MarkerLevel(d, t, x), u, d.ReferenceImpedance());
        std::string levelUnit = ut;
        if (delta) {
            x -= MarkerPosition(d, t, 1);
            level = MarkerLevel(d, t, MarkerPosition(d, t, e)) - MarkerLevel(d, t, MarkerPosition(d, t, 1));
            levelUnit = "dB";
        }
        const char c = delta ? 'D' : 'M';
        std::string xText, xUnit;
        if (dtf) {
            lines.push_back(Format("%c%d %.1f %s %.2f %s", c, e, level, levelUnit.c_str(), x,
                                   LengthUnitText(d.m_strCableLengthUnit).c_str()));
            continue;
        }
        if (d.m_dSpan != 0) {
            const Scaled f = ScaleFrequency(std::fabs(x));
            xText = FrequencyNumber(f);
            xUnit = f.unit;
        } else {
            const Scaled tm = ScaleTime(std::fabs(x));
            xText = Format("%.3f", tm.value);
            xUnit = tm.unit;
        }
        if (x < 0) xText = "-" + xText;  // the magnitude is formatted, then the sign restored
        std::string lv;
        if (u == "MRHO")
            lv = Format("%.0f", level);
        else if (u == "VSWR" && !delta)
            lv = level > 100 ? ">100" : Format("%.2f", level);
        else if (!delta && IsLinearUnit(u)) {
            const auto at = std::find(linearEntries.begin(), linearEntries.end(), e) - linearEntries.begin();
            lv = linearTexts.texts[static_cast<size_t>(at)];
            levelUnit = linearTexts.unit;
        } else
            lv = Format("%.1f", level);
        lines.push_back(
            Format("%c%d %s %s %s %s", c, e, lv.c_str(), levelUnit.c_str(), xText.c_str(), xUnit.c_str()));
    }
    return lines;
}

int StatusLines(const CMyQuarnDoc& d) {
    const std::string mode = ModeDisplayName(d.m_strMode);
    const bool video = d.m_strTrigger == "VIDeo";
    int n;
    if (mode == "Channel Power")
        n = 14;
    else if (mode == "Transmission")
        n = video ? 12 : 10;
    else if (mode == "Distance to Fault")
        n = 10;
    else if (mode == "Reflection" || mode == "Cable Loss")
        n = 7;
    else if (mode == "EMF (EMI)")
        n = video ? 14 : 12;
    else
        n = video ? 13 : 11;
    if (d.m_arrUserStateA.size() > 1 && d.m_arrUserStateA[1] == COUNter) n += 2;
    return n;
}

}  // namespace fl
