#include "CMyQuarnDoc.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "Archive.h"
#include "FileIo.h"
#include "StoredLayout.h"
#include "Text.h"
#include "Units.h"

namespace fl {

DocEnvironment s_docEnv;

namespace {

bool IsOneOf(std::string_view u, std::initializer_list<std::string_view> list) {
    for (auto s : list)
        if (u == s) return true;
    return false;
}

// Fields without a text key: a take-over leaves them as the document holds them.
void KeepUntouchedFields(const TraceRecord& from, TraceRecord& to) {
    to.m_strCfactorFile = from.m_strCfactorFile;
    to.m_arrMarkerStateB = from.m_arrMarkerStateB;
    to.m_arrMarkerFreqB = from.m_arrMarkerFreqB;
    to.m_arrMarkerTimeB = from.m_arrMarkerTimeB;
    to.m_arrMarkerDistB = from.m_arrMarkerDistB;
    to.m_arrMarkerTextA = from.m_arrMarkerTextA;
    to.m_arrMarkerTextB = from.m_arrMarkerTextB;
    to.m_arrMarkerFlagA = from.m_arrMarkerFlagA;
    to.m_arrMarkerFlagB = from.m_arrMarkerFlagB;
    to.m_dLimitUpperLevel = from.m_dLimitUpperLevel;
    to.m_dLimitLowerLevel = from.m_dLimitLowerLevel;
    to.m_arrLimitSegments = from.m_arrLimitSegments;
    to.m_nGpsSel1 = from.m_nGpsSel1;
    to.m_nGpsSel2 = from.m_nGpsSel2;
    to.m_nGpsSel3 = from.m_nGpsSel3;
    to.m_bShowMarkersA = from.m_bShowMarkersA;
    to.m_bShowMarkersB = from.m_bShowMarkersB;
    to.m_bShowLevelPanel = from.m_bShowLevelPanel;
    to.m_bShowStatusPanel = from.m_bShowStatusPanel;
    to.m_bShowTracePanel = from.m_bShowTracePanel;
    to.m_bShowInstrumentPanel = from.m_bShowInstrumentPanel;
    to.m_bShowEdevPanel = from.m_bShowEdevPanel;
    to.m_bShowGpsPanel = from.m_bShowGpsPanel;
    to.m_nOrientation = from.m_nOrientation;
    to.m_bShowGrid = from.m_bShowGrid;
    to.m_bShowTraceA = from.m_bShowTraceA;
    to.m_bShowTraceB = from.m_bShowTraceB;
    to.m_nFrontTrace = from.m_nFrontTrace;
    to.m_bThresholdSet = from.m_bThresholdSet;
    to.m_dMarkerThreshold = from.m_dMarkerThreshold;
    to.m_dUserLevel = from.m_dUserLevel;
}

// The title is instrument text; the path is the file system's UTF-8.
std::string FileTitle(const std::string& path) {
    return PathTextToCp1252(std::filesystem::path(path).filename().string());
}

}  // namespace

double UserMarkerPosition(const TraceRecord& d, char t, int e) {
    const bool a = t == 'A';
    const auto& pos = d.m_strMode == "DTF" ? (a ? d.m_arrUserDistA : d.m_arrUserDistB)
                      : d.m_dSpan != 0     ? (a ? d.m_arrUserFreqA : d.m_arrUserFreqB)
                                           : (a ? d.m_arrUserTimeA : d.m_arrUserTimeB);
    const auto& state = a ? d.m_arrUserStateA : d.m_arrUserStateB;
    if (e < 0 || static_cast<size_t>(e) >= pos.size()) return 0.0;
    double x = pos[static_cast<size_t>(e)];
    if (e > 1 && d.m_strModel == "Quarn1" && static_cast<size_t>(e) < state.size() &&
        state[static_cast<size_t>(e)] == DELTa)
        x += pos[1];
    return x;
}

void SetUserMarkerPosition(TraceRecord& d, char t, int e, double x) {
    const bool a = t == 'A';
    auto& pos = d.m_strMode == "DTF" ? (a ? d.m_arrUserDistA : d.m_arrUserDistB)
                : d.m_dSpan != 0     ? (a ? d.m_arrUserFreqA : d.m_arrUserFreqB)
                                     : (a ? d.m_arrUserTimeA : d.m_arrUserTimeB);
    const auto& state = a ? d.m_arrUserStateA : d.m_arrUserStateB;
    if (e < 0 || static_cast<size_t>(e) >= pos.size()) return;
    if (e > 1 && d.m_strModel == "Quarn1" && static_cast<size_t>(e) < state.size() &&
        state[static_cast<size_t>(e)] == DELTa)
        x -= pos[1];
    pos[static_cast<size_t>(e)] = x;
}

double LinearScaleIntoUnit(double milli, std::string_view unit) {
    if (IsOneOf(unit, {"V", "W", "VM", "WM2"})) return milli * 0.001;
    if (IsOneOf(unit, {"UV", "UW", "UVM", "UWM2"})) return milli * 1000.0;
    return milli;
}

double LinearScaleIntoMilli(double value, std::string_view unit) {
    if (IsOneOf(unit, {"V", "W", "VM", "WM2"})) return value * 1000.0;
    if (IsOneOf(unit, {"UV", "UW", "UVM", "UWM2"})) return value * 0.001;
    return value;
}

bool TakeOverConvertsScale(std::string_view unit) {
    // Every linear unit: mV/m, uV/m and uW/m2 too, which would otherwise show a dBm reference (empty, as
    // a negative field strength) and a scale in the wrong unit.
    return IsOneOf(unit, {"V", "MV", "UV", "W", "MW", "UW", "WM2", "MWM2", "VM", "MVM", "UVM", "UWM2"});
}

bool TakeOverConvertsReference(std::string_view unit) {
    // The instrument gives its reference level in dBm whatever the unit; the graph, the panels, the
    // report and the Level dialog hold it in the unit shown, the logarithmic ones included.
    return TakeOverConvertsScale(unit) || IsOneOf(unit, {"DBUV", "DBMV", "DBV", "DBUVm", "DBMVm", "DBVM"});
}

bool StoredInInstrumentForm(std::string_view unit) {
    return IsOneOf(unit, {"DBUV", "DBMV", "DBV", "DBUVm", "DBMVm", "DBVM", "MVM", "UVM", "UWM2"});
}

void CMyQuarnDoc::StoredLevelsIntoUnit() {
    m_storedReference.reset();
    m_storedScale.reset();
    m_storedMathOffset.reset();
    const std::string& unit = m_strDisplayUnit;
    if (!StoredInInstrumentForm(unit)) return;
    double& ref = SelectedReference();
    const double storedRef = ref;
    ref = LevelFromDbm(ref, unit, ReferenceImpedance());
    if (!std::isfinite(ref)) ref = 0;
    m_storedReference = StoredPair{storedRef, ref};
    double& scale = SelectedScale();
    const double storedScale = scale;
    if (TakeOverConvertsScale(unit)) scale = LinearScaleIntoUnit(scale, unit);
    m_storedScale = StoredPair{storedScale, scale};
    // The trace math offset is a level on the same grid: the same number of divisions below the
    // reference.
    if (storedScale != 0) {
        const double divisions = 8.0 - (storedRef - m_dTraceMathOffset) / storedScale;
        const double stored = m_dTraceMathOffset;
        m_dTraceMathOffset = ref - (8.0 - divisions) * scale;
        m_storedMathOffset = StoredPair{stored, m_dTraceMathOffset};
    }
}

CMyQuarnDoc::CMyQuarnDoc() {
    ApplyNewDocumentValues();
    UpdatePageSize();
}

void CMyQuarnDoc::SetDisplaySelection(double TraceRecord::*ref, double TraceRecord::*scale,
                                      std::string unit) {
    m_pRefField = ref;
    m_pScaleField = scale;
    m_strDisplayUnit = std::move(unit);
}

void CMyQuarnDoc::OnNewDocument(const ParseRecord& parsed, const DocEnvironment& env) {
    *static_cast<TraceRecord*>(this) = TraceRecord{};
    ApplyNewDocumentValues();
    m_arrLimitLines.clear();
    m_arrChanEntryInt1.clear();
    m_arrChanEntryInt2.clear();
    m_arrChanEntryReal.clear();
    TakeOver(parsed, env);
    m_strPathName.clear();
    m_strTitle = m_strTraceName;
    ApplyViewDefaults(env.prefs);
    UpdatePageSize();
    m_bModified = true;
}

void CMyQuarnDoc::ApplyViewDefaults(const DisplayPreferences& p) {
    m_bShowMarkersA = p.showMarkersA;
    m_bShowMarkersB = p.showMarkersB;
    m_bShowLevelPanel = p.showLevelPanel;
    m_bShowStatusPanel = p.showStatusPanel;
    m_bShowTracePanel = p.showTracePanel;
    m_bShowInstrumentPanel = p.showInstrumentPanel;
    m_nOrientation = p.orientation;
    m_bShowEdevPanel = p.showEdevPanel;
    m_bShowGrid = p.showGrid;
    m_bShowGpsPanel = p.showGpsPanel;
}

void CMyQuarnDoc::TakeOver(const ParseRecord& parsed, const DocEnvironment& env) {
    TraceRecord& rec = *this;
    const TraceRecord before = rec;
    // 1 and 2: every field with a text key, the point buffers, the set-A markers and their trace letters.
    rec = static_cast<const TraceRecord&>(parsed);
    KeepUntouchedFields(before, rec);
    rec.NormalizeShapes();
    m_strComment.clear();
    m_nViewInt1 = 0;

    // 3: markers outside the x range of the trace are switched off. A negative span is a frequency
    // range all the same (from its upper to its lower end), not a zero span.
    const bool quarn1 = m_strModel == "Quarn1";
    for (auto set : {std::make_pair(&m_arrMarkerStateA, 'A'), std::make_pair(&m_arrMarkerStateB, 'B')}) {
        std::vector<int>& state = *set.first;
        const bool a = set.second == 'A';
        const std::vector<double>& pos = m_strMode == "DTF" ? (a ? m_arrMarkerDistA : m_arrMarkerDistB)
                                         : m_dSpan != 0     ? (a ? m_arrMarkerFreqA : m_arrMarkerFreqB)
                                                            : (a ? m_arrMarkerTimeA : m_arrMarkerTimeB);
        double low = 0.0, high = m_strMode == "DTF" ? m_dCableLength : m_dSweepTime;
        if (m_strMode != "DTF" && m_dSpan != 0)
            std::tie(low, high) = std::minmax(m_dCenter - m_dSpan * 0.5, m_dCenter + m_dSpan * 0.5);
        // A Quarn1 delta marker is held relative to marker A: it is judged where it is drawn.
        for (int e = 1; e < kMarkerEntries; ++e) {
            double x = pos[e];
            if (quarn1 && e > 1 && state[e] == DELTa) x += pos[1];
            if (x > high || x < low) state[e] = MARKER_OFF;
        }
    }

    // 4: markers placed on trace B move to set B.
    for (int e = 1; e < kMarkerEntries; ++e) {
        if (m_arrMarkerTrace[e] != "B") continue;
        m_arrMarkerStateB[e] = m_arrMarkerStateA[e];
        m_arrMarkerFreqB[e] = m_arrMarkerFreqA[e];
        m_arrMarkerTimeB[e] = m_arrMarkerTimeA[e];
        m_arrMarkerDistB[e] = m_arrMarkerDistA[e];
        m_arrMarkerStateA[e] = MARKER_OFF;
    }

    // 5: marker A follows both traces.
    if (m_arrMarkerStateA[1] > 0) {
        m_arrMarkerFreqB[1] = m_arrMarkerFreqA[1];
        m_arrMarkerTimeB[1] = m_arrMarkerTimeA[1];
        m_arrMarkerDistB[1] = m_arrMarkerDistA[1];
    } else if (m_arrMarkerStateB[1] > 0) {
        m_arrMarkerFreqA[1] = m_arrMarkerFreqB[1];
        m_arrMarkerTimeA[1] = m_arrMarkerTimeB[1];
        m_arrMarkerDistA[1] = m_arrMarkerDistB[1];
    }

    // 6: the user's markers start as copies of the instrument's.
    m_arrUserStateA = m_arrMarkerStateA;
    m_arrUserFreqA = m_arrMarkerFreqA;
    m_arrUserTimeA = m_arrMarkerTimeA;
    m_arrUserDistA = m_arrMarkerDistA;
    m_arrUserStateB = m_arrMarkerStateB;
    m_arrUserFreqB = m_arrMarkerFreqB;
    m_arrUserTimeB = m_arrMarkerTimeB;
    m_arrUserDistB = m_arrMarkerDistB;
    m_arrUserTrace = m_arrMarkerTrace;

    // 7: a running GPS receiver's position replaces the instrument's.
    if (env.useGps && env.gps) {
        if (auto fix = env.gps->CurrentFix()) {
            m_dGpsLongitude = fix->longitude;
            m_dGpsLatitude = fix->latitude;
            m_nGpsDate = fix->date;
            m_nGpsTime = fix->time;
            m_strGpsQuality = fix->quality;
            m_nGpsSatellites = fix->satellites;
            m_dGpsHdop = fix->hdop;
            m_dGpsSpeed = fix->speed;
            m_strGpsSpeedUnit = fix->speedUnit;
            m_dGpsAltitude = fix->altitude;
            m_strGpsAltitudeUnit = fix->altitudeUnit;
        }
    }
    m_nGpsSel1 = env.gpsPositionFormat;
    m_nGpsSel2 = env.gpsAltitudeUnit;
    m_nGpsSel3 = env.gpsSpeedUnit;

    // 8: post-read steps 1 to 3, the level conversions, then the limits in the converted unit.
    SelectDisplay();
    m_dUserLevel = LevelFromDbm(SelectedReference(), m_strDisplayUnit, ReferenceImpedance());
    const double instrumentReference = SelectedReference(), instrumentScale = SelectedScale();
    if (TakeOverConvertsReference(m_strDisplayUnit))
        SelectedReference() = LevelFromDbm(SelectedReference(), m_strDisplayUnit, ReferenceImpedance());
    if (TakeOverConvertsScale(m_strDisplayUnit))
        SelectedScale() = LinearScaleIntoUnit(SelectedScale(), m_strDisplayUnit);
    m_storedReference.reset();
    m_storedScale.reset();
    if (StoredInInstrumentForm(m_strDisplayUnit)) {
        // Saved, the instrument's own values go into the file.
        m_storedReference = StoredPair{instrumentReference, SelectedReference()};
        m_storedScale = StoredPair{instrumentScale, SelectedScale()};
    }
    PrepareLimits();
    const double divisions = m_dTraceMathOffset;
    m_dTraceMathOffset = SelectedReference() - (8.0 - divisions) * SelectedScale();
    m_storedMathOffset.reset();
    if (m_storedReference)
        m_storedMathOffset =
            StoredPair{instrumentReference - (8.0 - divisions) * instrumentScale, m_dTraceMathOffset};
}

void CMyQuarnDoc::RunPostReadSteps() {
    SelectDisplay();
    PrepareLimits();
}

// Post-read steps: model quirks and the display selection by mode. The impedance is the record's own
// (ReferenceImpedance), never a program-wide setting.
void CMyQuarnDoc::SelectDisplay() {
    if (m_strModel == "Quarn1") {
        m_nTraceModeB = TRACE_OFF;
        m_bShowTraceB = 0;
    }
    using R = TraceRecord;
    const std::string& mode = m_strMode;
    auto levelScale = [](const std::string& unit, double R::*log) -> double R::* {
        if (IsOneOf(unit, {"V", "MV", "UV", "VM", "MVM", "UVM"})) return &R::m_dScaleVolt;
        if (IsOneOf(unit, {"W", "MW", "UW", "WM2", "MWM2", "UWM2"})) return &R::m_dScaleWatt;
        return log;
    };
    if (mode == "TRANsmission") {
        SetDisplaySelection(m_strTransRefUnit == "DBM" ? &R::m_dRefLevel : &R::m_dTransRef, &R::m_dScaleLog,
                            m_strTransRefUnit);
    } else if (mode == "DTF") {
        if (m_strDtfRefUnit == "MRHO")
            SetDisplaySelection(&R::m_dDtfRefRfactor, &R::m_dScaleDtfRfactor, m_strDtfRefUnit);
        else
            SetDisplaySelection(&R::m_dDtfRef, &R::m_dScaleLog, m_strDtfRefUnit);
    } else if (mode == "RFLection") {
        if (m_strRflRefUnit == "VSWR")
            SetDisplaySelection(&R::m_dRflRefVswr, &R::m_dScaleVswr, m_strRflRefUnit);
        else if (m_strRflRefUnit == "MRHO")
            SetDisplaySelection(&R::m_dRflRefRfactor, &R::m_dScaleRfactor, m_strRflRefUnit);
        else if (m_strRflRefUnit == "%")
            SetDisplaySelection(&R::m_dRflRefRpower, &R::m_dScaleRpower, m_strRflRefUnit);
        else
            SetDisplaySelection(&R::m_dTransRef, &R::m_dScaleLog, m_strRflRefUnit);
        m_nDetector = m_strRflCalMode == "VECTor" ? VECTOR : SCALAR;
    } else if (mode == "EMF") {
        // The scale follows the linear field-strength or power-density units.
        double R::*scale = &R::m_dScaleLog;
        if (IsOneOf(m_strEmfRefUnit, {"VM", "MVM", "UVM"})) scale = &R::m_dScaleVolt;
        if (IsOneOf(m_strEmfRefUnit, {"WM2", "MWM2", "UWM2"})) scale = &R::m_dScaleWatt;
        SetDisplaySelection(&R::m_dEmfRef, scale, m_strEmfRefUnit);
    } else if (mode == "CLOSs") {
        m_strRefLevelUnit = "DB";
        SetDisplaySelection(&R::m_dTransRef, &R::m_dScaleLog, m_strRefLevelUnit);
        m_nDetector = SCALAR;
    } else {
        SetDisplaySelection(&R::m_dRefLevel, levelScale(m_strRefLevelUnit, &R::m_dScaleLog),
                            m_strRefLevelUnit);
    }
}

void CMyQuarnDoc::PrepareLimits() {
    const double ref = SelectedReference();
    const double scale = SelectedScale();
    const std::string& unit = m_strDisplayUnit;
    // A limit is a level in the display unit (the reference minus divisions times the scale). It is held
    // in the form of the trace points (dBm, or dB for ratios), so the graph maps limits, trace, threshold
    // and markers alike and a change of unit moves none of them. A linear level at or below zero (or a
    // VSWR at or below 1) lies at the bottom of any graph.
    auto stored = [&](double level) {
        const double v = LevelToDbm(level, unit, ReferenceImpedance());
        return std::isfinite(v) ? std::clamp(v, -400.0, 400.0) : -400.0;
    };
    m_arrLimitSegments.clear();
    if (m_strLimitSimple == "ON") {
        m_dLimitUpperLevel = stored(ref - (8.0 - m_dLimitUpper) * scale);
        m_dLimitLowerLevel = stored(ref - (8.0 - m_dLimitLower) * scale);
    }
    if (m_strLimitState != "OFF" && m_strLimitSimple == "OFF") {
        for (const std::string& entry : m_arrLimitLines) {
            std::string_view rest = entry;
            std::string_view f[5];
            for (auto& field : f) {
                size_t c = rest.find(',');
                field = rest.substr(0, c);
                rest = c == std::string_view::npos ? std::string_view() : rest.substr(c + 1);
            }
            std::string kind(f[0]);
            m_arrLimitSegments.push_back(Format("%s,%f,%f,%f,%f", kind.c_str(), LeadingReal(f[1]),
                                                stored(ref - LeadingReal(f[2]) * scale), LeadingReal(f[3]),
                                                stored(ref - LeadingReal(f[4]) * scale)));
        }
    }
}

LoadResult CMyQuarnDoc::Load(const std::string& path, const DocEnvironment& env) {
    std::string bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, kMaxTraceFileSize, &error)) return {LoadStatus::OpenError, error};
    LoadResult r = LoadBytes(bytes, env);
    if (r.ok()) SetPathName(path);
    return r;
}

LoadResult CMyQuarnDoc::LoadBytes(std::string_view bytes, const DocEnvironment& env) {
    if (bytes.empty()) return {LoadStatus::ReadError, kUnexpectedFormatText};
    const unsigned char first = static_cast<unsigned char>(bytes[0]);
    try {
        if (first == 'a') {
            ArchiveReader in(bytes);
            in.Byte();
            // Each line is parsed as it is read (a container may hold millions), into a copy, so that a
            // broken container leaves the parse record untouched.
            ParseRecord scratch = s_parsed;
            TraceLineParser parser(scratch);
            parser.ResetDefaults();
            while (!in.AtEnd())
                parser.ParseLine(in.StringView());
            parser.Finish();
            s_parsed = std::move(scratch);
            TakeOver(s_parsed, env);
            // The instrument's text carries no view state: the trace shows as the user's defaults say.
            ApplyViewDefaults(env.prefs);
        } else if (first >= 'A' && first <= 'F') {
            ArchiveReader in(bytes);
            in.Byte();
            CMyQuarnDoc fresh;
            ReadStoredFields(in, static_cast<char>(first), fresh);
            fresh.NormalizeShapes();
            *static_cast<TraceRecord*>(this) = fresh;
            SelectDisplay();
            StoredLevelsIntoUnit();
            PrepareLimits();
        } else if (first == 0xEA) {
            ArchiveReader in(bytes);
            CMyQuarnDoc fresh;
            ReadUnversioned(in, fresh);
            fresh.NormalizeShapes();
            *static_cast<TraceRecord*>(this) = fresh;
            SelectDisplay();
            StoredLevelsIntoUnit();
            PrepareLimits();
        } else {
            return {LoadStatus::UnsupportedFormat, kUnsupportedFormatText};
        }
    } catch (const ArchiveError&) {
        return {LoadStatus::ReadError, kUnexpectedFormatText};
    }
    UpdatePageSize();
    m_bModified = false;
    return {};
}

std::string CMyQuarnDoc::SerializeStored() const {
    const std::string& unit = m_strDisplayUnit;
    if (!StoredInInstrumentForm(unit)) return StoredTraceBytes(*this, 'F');
    // Back into the stored form; a value not changed since it was read goes back as it was read.
    CMyQuarnDoc out = *this;
    const double ref = SelectedReference();
    out.SelectedReference() = m_storedReference && m_storedReference->shown == ref
                                  ? m_storedReference->stored
                                  : LevelToDbm(ref, unit, ReferenceImpedance());
    const double scale = SelectedScale();
    if (m_storedScale && m_storedScale->shown == scale)
        out.SelectedScale() = m_storedScale->stored;
    else if (TakeOverConvertsScale(unit))
        out.SelectedScale() = LinearScaleIntoMilli(scale, unit);
    if (m_storedMathOffset && m_storedMathOffset->shown == m_dTraceMathOffset) {
        out.m_dTraceMathOffset = m_storedMathOffset->stored;
    } else if (scale != 0) {
        const double divisions = 8.0 - (ref - m_dTraceMathOffset) / scale;
        out.m_dTraceMathOffset = out.SelectedReference() - (8.0 - divisions) * out.SelectedScale();
    }
    return StoredTraceBytes(out, 'F');
}

SavePlan CMyQuarnDoc::PlanSave(const std::string& targetPath, const DocEnvironment& env) {
    SavePlan plan;
    std::filesystem::path p(targetPath);
    const std::string ext = ToUpperAscii(p.extension().string());
    if (ext == ".QTR" || m_bAskSaveName || targetPath.empty()) {
        m_bAskSaveName = false;
        plan.askName = true;
        std::string base = PathTextToCp1252(p.stem().string());
        if (base.empty()) base = m_strTitle.empty() ? m_strTraceName : m_strTitle;
        plan.proposedFileName = base + ".qtm";
        plan.startFolder = env.modifiedTraceFolder;
    }
    return plan;
}

bool CMyQuarnDoc::WriteTo(const std::string& path, std::string* error, bool replace) {
    const std::string bytes = SerializeStored();
    // A file the program itself would refuse to open is not written.
    if (bytes.size() > kMaxTraceFileSize) {
        if (error) *error = "The trace is too large to be saved (more than 64 MiB): " + path;
        return false;
    }
    if (!WriteWholeFileAtomically(path, bytes, error, replace)) return false;
    SetPathName(path);
    m_bModified = false;
    return true;
}

bool CMyQuarnDoc::SaveAsChosen(const std::string& chosenPath, DocEnvironment& env, std::string* error) {
    std::filesystem::path p(chosenPath);
    env.modifiedTraceFolder = p.parent_path().string();
    m_strTraceName = PathTextToCp1252(p.stem().string());
    if (!WriteTo(chosenPath, error)) return false;
    m_strTitle = m_strTraceName;
    return true;
}

void CMyQuarnDoc::SetPathName(const std::string& path) {
    m_strPathName = path;
    m_strTitle = FileTitle(path);
}

void CMyQuarnDoc::UpdatePageSize() {
    m_sizePage = m_nOrientation ? PageSize{8300, 6800} : PageSize{6700, 8600};
}

}  // namespace fl
