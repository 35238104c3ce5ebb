#include "AsciiExport.h"

#include <array>
#include <charconv>
#include <cmath>

#include "CMyQuarnDoc.h"
#include "FileIo.h"
#include "GpsText.h"
#include "Text.h"
#include "Units.h"

namespace fl {

namespace {

const char* TraceModeText(int v) {
    static const char* const k[] = {"ACT", "MAX", "MIN", "HLD", "AVG", "OFF"};
    return v >= 0 && v < 6 ? k[v] : "";
}

const char* DetectorText(int v) {
    static const char* const k[] = {"NORMAL", "SAMPLE", "POS. PEAK", "NEG. PEAK", "RMS", "SCALAR", "VECTOR"};
    return v >= 0 && v < 7 ? k[v] : "";
}

bool IsSpectrum(const std::string& mode) {
    return mode == "SANalyzer" || mode == "SANalizer";
}

class Report {
  public:
    Report(const CMyQuarnDoc& doc, char sep)
        : d(doc),
          c(sep),
          unit(doc.DisplayUnit()),
          unitText(UnitText(unit)),
          toUnit(LevelFromDbmFor(unit, doc.ReferenceImpedance())) {
        out.reserve(64 * 1024);
    }

    void Line(const std::string& s) {
        out += s;
        out += "\r\n";
    }
    // Label, separator, value.
    void Pair(const char* label, const std::string& value) {
        out += label;
        out += c;
        out += value;
        out += "\r\n";
    }
    void Int(const char* label, int v) { Pair(label, std::to_string(v)); }
    // A printf line whose '.' become ',' (decimal comma).
    void Comma(std::string s) {
        ReplaceAll(s, '.', ',');
        Line(s);
    }

    std::string Build();

  private:
    void Header();
    void Measurement();
    void Limits();
    void Markers(char trace);
    void Points(char trace);
    double LevelAt(const std::vector<double>& points, double x) const;
    double ColumnWidth() const;
    double ColumnStart() const;
    bool FrequencyDomain() const { return d.m_dSpan != 0 && d.m_strMode != "DTF"; }
    bool Visible(char trace) const {
        return trace == 'A' ? d.m_bShowTraceA && d.m_nTraceModeA != TRACE_OFF
                            : d.m_bShowTraceB && d.m_nTraceModeB != TRACE_OFF;
    }

    const CMyQuarnDoc& d;
    const char c;
    const std::string unit;
    const std::string unitText;
    // dBm (or dB) into the report's unit, at this trace's own impedance.
    const std::function<double(double)> toUnit;
    double InUnit(double dbm) const { return toUnit(dbm); }
    std::string out;
};

std::string Report::Build() {
    Header();
    Measurement();
    const std::string& mode = d.m_strMode;
    if (IsSpectrum(mode) || mode == "TRANsmission" || mode == "EMF") {
        Line("[Trigger]");
        Pair("Trigger", ReportKeyword(d.m_strTrigger));
        if (d.m_strTrigger != "OFF") {
            Pair("Trigger Edge", ReportKeyword(d.m_strTriggerEdge));
            // Held in dBm like the trace points: shown in the report's unit like them.
            Line(Format("Trigger Level[%s]%c%.1f", unitText.c_str(), c, InUnit(d.m_dTriggerLevel)));
        }
    }
    Limits();
    if (IsSpectrum(mode) && d.m_arrUserStateA[1] == COUNter) {
        Line("[Frequency Counter]");
        Line(Format("Frequency Counter State%cON", c));
        Line(Format("Result[Hz]%c%.0f", c, d.m_dCounterFreq));
        Line(Format("Counter Resolution[Hz]%c%.0f", c, d.m_dCounterResolution));
    }
    if (mode == "DTF" || mode == "RFLection" || mode == "CLOSs" || mode == "EMF") {
        Line("[External Device]");
        Pair("Type", d.m_strEdevType.empty() ? std::string("Unknown") : d.m_strEdevType + d.m_strEdevText);
        Pair("Cal. Date", d.m_strEdevCalDate);
    }
    Line("[Instrument]");
    Pair("Company", d.m_strMaker);
    Pair("Instrument", d.m_strModel);
    Pair("Serial Number", d.m_strSerial);
    Pair("SW Version", d.m_strFirmware);
    Pair("Calibrate", FormatCalDate(d.m_strCalDate));
    Pair("Last Check", FormatCalDate(d.m_strCheckLast));
    Pair("Last Check by", d.m_strCheckLastBy);
    Pair("Next Check", FormatCalDate(d.m_strCheckNext));
    Line("[GPS]");
    Pair("Quality", d.m_strGpsQuality);
    Pair("Latitude", RecordLatitudeText(d));
    Pair("Longitude", RecordLongitudeText(d));
    Pair("Altitude", RecordAltitudeText(d));
    Line("[MARKER]");
    for (char t : {'A', 'B'})
        if (Visible(t)) Markers(t);
    for (char t : {'A', 'B'})
        if (Visible(t)) Points(t);
    return std::move(out);
}

void Report::Header() {
    const std::string& mode = d.m_strMode;
    Pair("Device Name", d.m_strDeviceName);
    Pair("Trace File", d.m_strTraceName);
    Pair("Trace Date", d.m_strCreated);
    Pair("Instrument Mode", ReportKeyword(mode));
    auto fileIfOn = [](const std::string& file, const std::string& state) {
        return !file.empty() && state != "OFF" ? file : std::string("-");
    };
    if (mode == "DTF") {
        Pair("Cable Type", d.m_strCableTypeFile.empty() ? std::string("User defined") : d.m_strCableTypeFile);
    } else if (mode == "EMF") {
        Pair("Antenna Factor State", fileIfOn(d.m_strAfactorFile, d.m_strAfactorState));
        Pair("Cable Factor State", fileIfOn(d.m_strCfactorFile, d.m_strCfactorState));
    } else {
        Pair("External Device State", fileIfOn(d.m_strEdevFile, d.m_strEdevState));
    }
    Pair("External Reference", ReportKeyword(d.m_strExtRefFreq));
    Pair("Impedance[Ohm]", ReportKeyword(d.m_strImpedance));
    Comma(Format("Center[Hz]%c%.0f", c, d.m_dCenter));
    Comma(Format("Span[Hz]%c%.0f", c, d.m_dSpan));

    const double ref = d.SelectedReference();
    const char* u = unitText.c_str();
    if (mode == "TRANsmission" || mode == "DTF" || mode == "CLOSs" || (mode == "RFLection" && unit == "DB"))
        Line(Format("Reference[%s]%c%.1f", u, c, ref));
    else if (mode == "RFLection" && unit == "VSWR")
        Line(Format("Max VSWR%c%.2f", c, ref));
    else if (mode == "RFLection" && unit == "MRHO")
        Line(Format("Max Refl.Factor[%s]%c%.0f", u, c, ref));
    else if (mode == "RFLection" && unit == "%")
        Line(Format("Max Refl.Power[%s]%c%.0f", u, c, ref));
    else
        Line(Format("Ref. Level[%s]%c%s", u, c, FormatLevel(ref, unit).c_str()));
    Line(Format("Level Scale[%s]%c%.0f", ScaleUnitText(unit).c_str(), c, d.SelectedScale()));

    if (mode == "DTF")
        Line(Format("Attenuation[dB/%s]%c%.0f", LengthUnitText(d.m_strCableLengthUnit).c_str(), c,
                    d.m_dCableAttenuation));
    else
        Line(Format("Attenuation[dB]%c%.0f", c, d.m_dAttenuation));

    if (mode == "CPOWer" || mode == "TRANsmission" || IsSpectrum(mode) || mode == "EMF") {
        Line(Format("RBW[Hz]%c%.0f", c, d.m_dRbw));
        Line(Format("VBW[Hz]%c%.0f", c, d.m_dVbw));
        Line(Format("SWT[s]%c%.3f", c, d.m_dSweepTime));
    } else if (mode == "RFLection" || mode == "CLOSs") {
        Line(Format("Filter[Hz]%c%.0f", c, d.m_dRflFilter));
    }
    Pair("Detect Mode", DetectorText(d.m_nDetector));
    Pair("Trace A Mode", TraceModeText(d.m_nTraceModeA));
    Pair("Trace B Mode", TraceModeText(d.m_nTraceModeB));
    Pair("Auto RBW", ReportKeyword(d.m_strRbwAuto));
    Pair("Auto VBW", ReportKeyword(d.m_strVbwAuto));
    Pair("Auto Sweep Time", ReportKeyword(d.m_strSweepTimeAuto));
    Pair("Auto Attenuation", ReportKeyword(d.m_strAttenuationAuto));
}

void Report::Measurement() {
    const std::string& mode = d.m_strMode;
    const char* u = unitText.c_str();
    if (mode == "CPOWer") {
        Line("[Measurement]");
        Pair("Channel System Memory", d.m_strChanFile);
        Int("First Channel", d.m_nChanSysFirst);
        Int("Last Channel", d.m_nChanSysLast);
        Line(Format("Channel Width[Hz]%c%.0f", c, d.m_dChanSysWidth));
        Line(Format("Channel Spacing[Hz]%c%.0f", c, d.m_dChanSysSpacing));
        Line(Format("First Channel Center[Hz]%c%.0f", c, d.m_dChanSysFirstCenter));
        Pair("Measure Mode", ReportKeyword(d.m_strCpowerMeasure));
        Pair("Channel Span", ReportKeyword(d.m_strCpowerSpan));
        Int("Actual Channel", d.m_nCpowerChannel);
        Int("Channel OBW", d.m_nCpowerObw);
    } else if (mode == "DTF") {
        Line("[Distance to Fault]");
        Line(Format("Cable Length[%s]%c%.2f", LengthUnitText(d.m_strCableLengthUnit).c_str(), c,
                    d.m_dCableLength));
        Pair("Calibrated", ReportKeyword(d.m_strDtfCal));
        Pair("Cable Type", d.m_strCableTypeFile.empty() ? std::string("User defined") : d.m_strCableTypeFile);
        Line(Format("Cable Dielectric%c%.2f", c, d.m_dCableDielectric));
        Line(Format("Cable Attenuation[dB/%s]%c%.2f", LengthUnitText(d.m_strCableAttUnit).c_str(), c,
                    d.m_dCableAttenuation));
        Line(Format("Cut Off Frequency[Hz]%c%.0f", c, d.m_dCableCutoff));
    } else if (mode == "TRANsmission") {
        Line("[Measurement]");
        Line(Format("Output Power[%s]%c%.1f", "dBm", c, d.m_dGenLevel));
        Pair("Normalize A/B", ReportKeyword(d.m_strTraceMathA) + "/" + ReportKeyword(d.m_strTraceMathB));
        Line(Format("Trace Offset[dB]%c%.1f", c, d.m_dTraceMathOffset));
    } else if (mode == "EMF") {
        Line("[Measurement]");
        Pair("Measure Mode", ReportKeyword(d.m_strEmfMeasure));
        Line(Format("Measure Time[s]%c%.2f", c, d.m_dEmfTime));
        const std::string value = FormatEmf(d.m_dResultEmf, d.m_strEmfMeasure);
        if (d.m_strEmfMeasure == "PDENsity")
            Line(Format("Power Density[W/m\xB2]%c%s", c, value.c_str()));
        else
            Line(Format("Electrical Field Strength[V/m]%c%s", c, value.c_str()));
    } else if (mode == "CLOSs") {
        Line("[Measurement]");
        Line(Format("Average Cable Loss[dB]%c%.1f", c, d.m_dResultCableLoss));
    } else if (IsSpectrum(mode) && d.m_strMeasure != "NONe" && d.m_strMeasure != "OFF" &&
               !d.m_strMeasure.empty()) {
        Line("[Measurement]");
        Pair("Measure Mode", ReportKeyword(d.m_strMeasure));
        Line(Format("Channel Width[Hz]%c%.0f", c, d.m_dChannelWidth));
        Line(Format("Channel Spacing[Hz]%c%.0f", c, d.m_dChannelSpacing));
        if (d.m_strMeasure == "OBW") {
            Line(Format("OBW%c%d", c, d.m_nObwPercent));
            Line(Format("OBW Result[Hz]%c%.0f", c, d.m_dResultObw));
        } else if (d.m_strMeasure == "CPOWer") {
            Line(Format("Channel Power Result[%s]%c%.1f", u, c, InUnit(d.m_dResultCpower)));
        } else if (d.m_strMeasure == "ACPR") {
            Line(Format("ACPR Main[%s]%c%.1f", u, c, InUnit(d.m_dResultAcprMain)));
            Line(Format("ACPR Left[dB]%c%.1f", c, d.m_dResultAcprLower));
            Line(Format("ACPR Right[dB]%c%.1f", c, d.m_dResultAcprUpper));
        }
    }
}

void Report::Limits() {
    Line("[Limits]");
    if (d.m_strLimitSimple == "ON") {
        Pair("Simple Limits State", ReportKeyword(d.m_strLimitSimple));
        Line(Format("Simple Limits Upper[div]%c%.1f", c, d.m_dLimitUpper));
        Line(Format("Simple Limits Lower[divB]%c%.1f", c, d.m_dLimitLower));
        Line(Format("Limits Fail Couter%c%d", c, d.m_nLimitFailCount));
    } else if (d.m_strLimitState != "OFF") {
        Pair("Limits State", ReportKeyword(d.m_strLimitState));
        Pair("Limits Memory", d.m_strLimitFile);
        Line(Format("Limits Fail Couter%c%d", c, d.m_nLimitFailCount));
    } else {
        Pair("Simple Limits State", ReportKeyword(d.m_strLimitSimple));
        Pair("Limits State", ReportKeyword(d.m_strLimitState));
    }
}

double Report::ColumnStart() const {
    return FrequencyDomain() ? d.m_dCenter - d.m_dSpan / 2 : 0.0;
}

double Report::ColumnWidth() const {
    if (d.m_strMode == "DTF") return d.m_dCableLength * 0.002;
    if (d.m_dSpan == 0) return d.m_dSweepTime * 0.002;
    return d.m_dSpan * 0.002;
}

// The level under a marker: the second sample of the column at the marker's position.
double Report::LevelAt(const std::vector<double>& points, double x) const {
    const double w = ColumnWidth();
    double col = w != 0 ? std::round((x - ColumnStart()) / w) : 0.0;
    if (!(col >= 0)) col = 0;
    if (col > kTraceColumns - 1) col = kTraceColumns - 1;
    return points[static_cast<size_t>(col) * 2 + 1];
}

void Report::Markers(char t) {
    const bool a = t == 'A';
    const auto& state = a ? d.m_arrUserStateA : d.m_arrUserStateB;
    auto pos = [&](int e) { return UserMarkerPosition(d, t, e); };
    const auto& points = a ? d.m_arrTraceA : d.m_arrTraceB;
    const char* u = unitText.c_str();
    const char* rowFormat;
    if (d.m_strMode == "DTF") {
        Line(Format("Marker Trace %c%cDistance[%s]%cReference[%s]", t, c,
                    LengthUnitText(d.m_strCableLengthUnit).c_str(), c, u));
        rowFormat = "%c%d%c%.2f%c%.1f";
    } else if (d.m_dSpan != 0) {
        Line(Format("Marker Trace %c%cFrequency[Hz]%cLevel[%s]", t, c, c, u));
        rowFormat = "%c%d%c%.0f%c%.1f";
    } else {
        Line(Format("Marker Trace %c%cTime[s]%cLevel[%s]", t, c, c, u));
        rowFormat = "%c%d%c%.6f%c%.1f";
    }
    const double refLevel = LevelAt(points, pos(1));
    for (int e = 1; e < kMarkerEntries; ++e) {
        const int s = state[static_cast<size_t>(e)];
        const double x = pos(e);
        if (s == MARKER_OFF) {
            Line(Format("M%d%cOFF", e, c));
        } else if (s == DELTa) {
            const double level = LevelAt(points, x) - refLevel;
            Line(Format(rowFormat, 'D', e, c, x - pos(1), c, level));
        } else {
            Line(Format(rowFormat, 'M', e, c, x, c, InUnit(LevelAt(points, x))));
        }
    }
}

void Report::Points(char t) {
    const auto& points = t == 'A' ? d.m_arrTraceA : d.m_arrTraceB;
    const char* u = unitText.c_str();
    int xDecimals;
    Line(Format("[Trace %c]", t));
    if (d.m_strMode == "DTF") {
        Line(Format("Distance[%s]%cMin Level[%s]%cMax Level[%s]",
                    LengthUnitText(d.m_strCableLengthUnit).c_str(), c, u, c, u));
        xDecimals = 2;
    } else if (d.m_dSpan != 0) {
        Line(Format("Frequency[Hz]%cMin Level[%s]%cMax Level[%s]", c, u, c, u));
        xDecimals = 0;
    } else {
        Line(Format("Time[s]%cMin Level[%s]%cMax Level[%s]", c, u, c, u));
        xDecimals = 6;
    }
    const double start = d.m_strMode != "DTF" && d.m_dSpan != 0 ? d.m_dCenter - d.m_dSpan / 2 : 0.0;
    const double step = d.m_strMode == "DTF" ? d.m_dCableLength : d.m_dSpan != 0 ? d.m_dSpan : d.m_dSweepTime;
    // Hot loop: 501 rows per trace, formatted with to_chars (same digits as printf's %.Nf).
    char buf[1200];  // three numbers of at most ~320 digits each, separators and CR LF
    auto put = [&](char*& p, double v, int decimals) {
        auto r = std::to_chars(p, buf + sizeof buf - 8, v, std::chars_format::fixed, decimals);
        if (r.ec != std::errc()) {
            p += std::snprintf(p, 40, "%.*e", decimals, v);  // only for values no fixed form holds
            return;
        }
        for (char* q = p; q < r.ptr; ++q)
            if (*q == '.') *q = ',';
        p = r.ptr;
    };
    for (int i = 0; i < kTraceColumns; ++i) {
        char* p = buf;
        put(p, start + i * step * 0.002, xDecimals);
        *p++ = c;
        put(p, toUnit(points[static_cast<size_t>(2 * i)]), 3);
        *p++ = c;
        put(p, toUnit(points[static_cast<size_t>(2 * i + 1)]), 3);
        *p++ = '\r';
        *p++ = '\n';
        out.append(buf, static_cast<size_t>(p - buf));
    }
}

}  // namespace

std::string ProposeAsciiFileName(const std::string& traceName) {
    std::string name = traceName;
    if (name.find("active ") != std::string::npos) name = "active";
    if (name.find('/') != std::string::npos) name.clear();
    return name + ".TXT";
}

std::string ReportKeyword(const std::string& k) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 32> kTable = {{
        {"SANalyzer", "Spectrum Analysis"},
        {"SANalizer", "Spectrum Analysis"},
        {"CPOWer", "Channel Power"},
        {"TRANsmission", "Transmission"},
        {"DTF", "Distance to Fault"},
        {"CLOSs", "Cable Loss"},
        {"SIGNal", "Signal Generator"},
        {"on", "ON"},
        {"off", "OFF"},
        {"IMP50", "50"},
        {"IMP75", "75"},
        {"VIDeo", "VIDEO"},
        {"EXTern", "EXTERN"},
        {"POSitive", "POSITIVE"},
        {"NEGative", "NEGATIVE"},
        {"CONTinuous", "CONTINUOUS"},
        {"HOLD", "HOLD"},
        {"NONe", "NONE"},
        {"SINGle", "SINGLE"},
        {"FULL", "FULL"},
        {"UPPLow", "UPPER & LOWER"},
        {"UPPupp", "UPPER"},
        {"LOW", "LOWER"},
        {"METer", "m"},
        {"FEET", "ft"},
        {"DB", "dB"},
        {"MRHO", "mRho"},
        {"UNNormalized", "Not Normalized"},
        {"NORMalized", "Normalized"},
        {"AUTo", "AUTOMATIC"},
        {"QUIck", "QUICK"},
        {"MANual", "MANUAL"},
    }};
    for (const auto& [from, to] : kTable)
        if (k == from) return std::string(to);
    return k;
}

std::string AsciiReportText(const CMyQuarnDoc& doc, bool semicolon) {
    return Report(doc, semicolon ? ';' : '\t').Build();
}

bool WriteAsciiReport(const CMyQuarnDoc& doc, const std::string& path, bool semicolon, std::string* error,
                      bool replace) {
    return WriteWholeFileAtomically(path, AsciiReportText(doc, semicolon), error, replace);
}

}  // namespace fl
