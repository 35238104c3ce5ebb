#include "StoredLayout.h"

#include <algorithm>
#include <array>

#include "Archive.h"

namespace fl {

namespace {

// clang-format off
#define FL_STORED_F(X) \
    X(m_arrTraceA) X(m_nMinMaxA) X(m_arrTraceB) X(m_nMinMaxB) X(m_arrLimitLines) X(m_strTraceName) \
    X(m_strCreated) X(m_strDeviceName) X(m_strComment) X(m_strMaker) X(m_strModel) X(m_strSerial) \
    X(m_strFirmware) X(m_strCalDate) X(m_strCheckLast) X(m_strCheckLastBy) X(m_strCheckNext) X(m_strMode) \
    X(m_strImpedance) X(m_strEdevFile) X(m_strEdevState) X(m_dAttenuation) X(m_strAttenuationAuto) \
    X(m_dRefLevel) X(m_dScaleLog) X(m_strRefLevelUnit) X(m_nTraceModeA) X(m_nTraceModeB) X(m_nAvgFactor) \
    X(m_dResultObw) X(m_dResultAcprLower) X(m_dResultAcprMain) X(m_dResultAcprUpper) X(m_dResultCpower) \
    X(m_dCenter) X(m_dSpan) X(m_dRbw) X(m_strRbwAuto) X(m_dVbw) X(m_strVbwAuto) X(m_dSweepTime) \
    X(m_strSweepTimeAuto) X(m_nSweepCount) X(m_nDetector) X(m_strSweepState) X(m_strSenseState) \
    X(m_strLimitFile) X(m_strLimitState) X(m_nLimitFailCount) X(m_dLimitUpper) X(m_dLimitLower) \
    X(m_strLimitState) X(m_strTrigger) X(m_strTriggerEdge) X(m_dTriggerLevel) X(m_strMeasure) \
    X(m_dChannelWidth) X(m_dChannelSpacing) X(m_nObwPercent) X(m_strChanFile) X(m_dChanSysFirstCenter) \
    X(m_nChanSysLast) X(m_nChanSysFirst) X(m_dChanSysWidth) X(m_dChanSysSpacing) X(m_dChanSysValue4) \
    X(m_nCpowerObw) X(m_strCpowerSpan) X(m_nCpowerChannel) X(m_strCpowerMeasure) X(m_strCableLengthUnit) \
    X(m_dCableLength) X(m_dTraceMathOffset) X(m_strTraceMathA) X(m_strTraceMathB) X(m_strCableTypeFile) \
    X(m_dGenLevel) X(m_strGenerator) X(m_dCableDielectric) X(m_dCableAttenuation) X(m_strCableAttUnit) \
    X(m_arrChanEntryInt1) X(m_arrChanEntryInt2) X(m_arrChanEntryReal) X(m_dCounterResolution) \
    X(m_dCounterFreq) X(m_strTraceDataLimit) X(m_strBootVersion) X(m_strCounterExtRef) X(m_strTraceMath) \
    X(m_strDtfRefUnit) X(m_dDtfRef) X(m_strDtfCal) X(m_strGenMode) X(m_dTransRef) X(m_strTransRefUnit) \
    X(m_strEdevType) X(m_strEdevText) X(m_strEdevSerial) X(m_strEdevCalDate) X(m_strRflCal) \
    X(m_strRflCalMode) X(m_dResultCableLoss) X(m_arrUserStateA) X(m_arrUserFreqA) X(m_arrUserTimeA) \
    X(m_arrUserDistA) X(m_arrMarkerTextA) X(m_arrUserStateB) X(m_arrUserFreqB) X(m_arrUserTimeB) \
    X(m_arrUserDistB) X(m_arrMarkerTextB) X(m_bShowGrid) X(m_bShowMarkersA) X(m_bShowMarkersB) \
    X(m_bShowLevelPanel) X(m_bShowStatusPanel) X(m_bShowTracePanel) X(m_bShowInstrumentPanel) \
    X(m_bShowEdevPanel) X(m_nOrientation) X(m_bShowTraceA) X(m_bShowTraceB) X(m_nViewInt1) \
    X(m_nFrontTrace) X(m_bThresholdSet) X(m_dMarkerThreshold) X(m_dRflRefVswr) X(m_dRflRefRfactor) \
    X(m_dRflRefRpower) X(m_dScaleVolt) X(m_dScaleWatt) X(m_dScaleDtfRfactor) X(m_dScaleVswr) \
    X(m_dScaleRfactor) X(m_dScaleRpower) X(m_dDtfRefRfactor) X(m_dCableCutoff) X(m_strRflRefUnit) \
    X(m_dUserLevel) X(m_strLimitSimple) X(m_strRflCalEnabled) X(m_strDtfCalEnabled) X(m_arrUserTrace) \
    X(m_arrMarkerStateA) X(m_arrMarkerFreqA) X(m_arrMarkerTimeA) X(m_arrMarkerDistA) X(m_arrMarkerStateB) \
    X(m_arrMarkerFreqB) X(m_arrMarkerTimeB) X(m_arrMarkerDistB) X(m_strAfactorState) X(m_strAfactorFile) \
    X(m_strCfactorState) X(m_strCfactorFile) X(m_strEmfDirection) X(m_dResultEmf) X(m_strEmfDisplay) \
    X(m_strEmfMeasure) X(m_dEmfTime) X(m_strEmfRefUnit) X(m_dEmfRef) X(m_strAfactorAntenna) X(m_strEmfLast) \
    X(m_bShowGpsPanel) X(m_nGpsSel1) X(m_nGpsSel2) X(m_nGpsSel3) X(m_dGpsLongitude) X(m_dGpsLatitude) \
    X(m_nGpsDate) X(m_nGpsTime) X(m_strGpsQuality) X(m_nGpsSatellites) X(m_dGpsHdop) X(m_dGpsSpeed) \
    X(m_strGpsSpeedUnit) X(m_dGpsAltitude) X(m_strGpsAltitudeUnit) X(m_dStopMax) X(m_arrMarkerFlagA) \
    X(m_arrMarkerFlagB) X(m_strExtRefFreq)
// clang-format on

struct StoredField {
    std::string_view name;
    FieldPtr ptr;
};

const std::vector<StoredField>& StoredFields() {
    static const std::vector<StoredField> list = {
#define FL_STORED_ENTRY(name) {#name, FieldPtr(&TraceRecord::name)},
        FL_STORED_F(FL_STORED_ENTRY)
#undef FL_STORED_ENTRY
    };
    return list;
}

size_t FieldsUpTo(std::string_view lastName) {
    const auto& list = StoredFields();
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].name == lastName) return i + 1;
    return list.size();
}

void StripCrLfQuotes(std::string& s) {
    std::erase_if(s, [](char c) { return c == '\r' || c == '\n' || c == '"'; });
}

}  // namespace

const std::vector<std::string_view>& StoredFieldNames() {
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> v;
        for (const auto& f : StoredFields())
            v.push_back(f.name);
        return v;
    }();
    return names;
}

size_t StoredFieldCount(char version) {
    switch (version) {
        case 'A':
            return FieldsUpTo("m_arrMarkerDistB");
        case 'B':
            return FieldsUpTo("m_dEmfRef");
        case 'C':
            return FieldsUpTo("m_strGpsAltitudeUnit");
        case 'D':
            return FieldsUpTo("m_dStopMax");
        case 'E':
            return FieldsUpTo("m_arrMarkerFlagB");
        default:
            return StoredFields().size();
    }
}

void ReadStoredFields(ArchiveReader& in, char version, TraceRecord& rec) {
    const auto& list = StoredFields();
    const size_t n = StoredFieldCount(version);
    for (size_t i = 0; i < n; ++i)
        std::visit([&](auto member) { in.Read(rec.*member); }, list[i].ptr);
}

void WriteStoredTrace(ArchiveWriter& out, const TraceRecord& rec, char version) {
    out.Byte(static_cast<uint8_t>(version));
    const auto& list = StoredFields();
    const size_t n = StoredFieldCount(version);
    for (size_t i = 0; i < n; ++i)
        std::visit([&](auto member) { out.Write(rec.*member); }, list[i].ptr);
}

std::string StoredTraceBytes(const TraceRecord& rec, char version) {
    ArchiveWriter w;
    WriteStoredTrace(w, rec, version);
    return w.Take();
}

// The earliest layout: no version byte, no trace B, four markers of set A, and an optional extension
// block announced by an int of value 1. One field walk serves reading and writing: `io` reads into or
// writes from each field it is handed.
template <class Io, class Rec>
void UnversionedBase(Io& io, Rec& r) {
    int unused = 0;
    io(r.m_arrTraceA);
    io(r.m_arrLimitLines);
    io(r.m_nMinMaxA);
    for (auto* s : {&r.m_strTraceName, &r.m_strCreated, &r.m_strDeviceName, &r.m_strComment, &r.m_strMaker,
                    &r.m_strModel, &r.m_strSerial, &r.m_strFirmware, &r.m_strCalDate, &r.m_strCheckLast,
                    &r.m_strCheckLastBy, &r.m_strCheckNext, &r.m_strMode, &r.m_strImpedance, &r.m_strEdevFile,
                    &r.m_strEdevState})
        io(*s);
    io(r.m_dAttenuation);
    io(r.m_strAttenuationAuto);
    io(r.m_dRefLevel);
    io(r.m_dScaleLog);
    io(unused);
    io(r.m_nTraceModeA);
    io(r.m_nTraceModeB);
    for (int i = 1; i <= 4; ++i)
        io(r.m_arrMarkerStateA[i]);
    for (int i = 1; i <= 4; ++i)
        io(r.m_arrMarkerFreqA[i]);
    for (int i = 1; i <= 4; ++i)
        io(r.m_arrMarkerTimeA[i]);
    io(r.m_nAvgFactor);
    for (auto* d : {&r.m_dResultObw, &r.m_dResultAcprLower, &r.m_dResultAcprMain, &r.m_dResultAcprUpper,
                    &r.m_dResultCpower, &r.m_dCenter, &r.m_dSpan, &r.m_dRbw})
        io(*d);
    io(r.m_strRbwAuto);
    io(r.m_dVbw);
    io(r.m_strVbwAuto);
    io(r.m_dSweepTime);
    io(r.m_strSweepTimeAuto);
    io(r.m_nSweepCount);
    io(r.m_nDetector);
    io(r.m_strSweepState);
    io(r.m_strSenseState);
    io(r.m_strLimitFile);
    io(r.m_strLimitState);
    io(r.m_nLimitFailCount);
    io(r.m_dLimitUpper);
    io(r.m_dLimitLower);
    io(r.m_strLimitState);
    io(r.m_strTrigger);
    io(r.m_strTriggerEdge);
    io(r.m_dTriggerLevel);
    io(r.m_strMeasure);
    io(r.m_dChannelWidth);
    io(r.m_dChannelSpacing);
    io(r.m_nObwPercent);
    io(r.m_strChanFile);
    io(r.m_strChanFile);
    io(r.m_nChanSysLast);
    io(r.m_nChanSysFirst);
    io(r.m_dChanSysWidth);
    io(r.m_dChanSysSpacing);
    io(r.m_dChanSysValue4);
    io(r.m_nCpowerObw);
    io(r.m_strCpowerSpan);
    io(r.m_nCpowerChannel);
    io(r.m_strCpowerMeasure);
}

template <class Io, class Rec>
void UnversionedExtension(Io& io, Rec& r) {
    io(r.m_dChanSysFirstCenter);
    io(r.m_strCableLengthUnit);
    io(r.m_dCableLength);
    io(r.m_dTraceMathOffset);
    io(r.m_strTraceMathA);
    io(r.m_strTraceMathB);
    io(r.m_strCableTypeFile);
    for (int i = 1; i <= 4; ++i)
        io(r.m_arrMarkerDistA[i]);
    io(r.m_dGenLevel);
    io(r.m_strGenerator);
    io(r.m_dCableDielectric);
    io(r.m_dCableAttenuation);
    io(r.m_strCableAttUnit);
    io(r.m_arrChanEntryInt1);
    io(r.m_arrChanEntryInt2);
    io(r.m_arrChanEntryReal);
    io(r.m_dCounterResolution);
    io(r.m_dCounterFreq);
    for (auto* s : {&r.m_strTraceDataLimit, &r.m_strBootVersion, &r.m_strCounterExtRef, &r.m_strTraceMath,
                    &r.m_strDtfRefUnit})
        io(*s);
    io(r.m_dDtfRef);
    io(r.m_strDtfCal);
    io(r.m_strGenMode);
    io(r.m_dTransRef);
}

void ReadUnversioned(ArchiveReader& in, TraceRecord& r) {
    r.NormalizeShapes();  // the marker entries below are addressed by index
    auto io = [&](auto& field) { in.Read(field); };
    UnversionedBase(io, r);
    r.NormalizeShapes();
    if (in.AtEnd()) return;
    if (in.Int() == 1) UnversionedExtension(io, r);
    for (auto* s : {&r.m_strSerial, &r.m_strCheckLastBy, &r.m_strFirmware, &r.m_strChanFile,
                    &r.m_strLimitFile, &r.m_strBootVersion, &r.m_strMaker})
        StripCrLfQuotes(*s);
}

void WriteUnversioned(ArchiveWriter& out, const TraceRecord& r, bool withExtension) {
    auto io = [&](const auto& field) { out.Write(field); };
    UnversionedBase(io, r);
    if (!withExtension) return;
    out.Int(1);
    UnversionedExtension(io, r);
}

}  // namespace fl
