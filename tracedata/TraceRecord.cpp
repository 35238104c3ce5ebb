#include "TraceRecord.h"

#include <array>

namespace fl {

namespace {
constexpr std::array<std::string_view, 6> kTraceModes = {"ACTual", "MAXHold", "MINHold",
                                                         "HOLD",   "AVG",     "OFF"};
constexpr std::array<std::string_view, 7> kDetectors = {"POSNeg", "SAMPle", "POSitive", "NEGative",
                                                        "RMS",    "SCALAR", "VECTOR"};
constexpr std::array<std::string_view, 5> kMarkerStates = {"OFF", "NORMal", "DELTa", "NOISe", "COUNter"};

template <size_t N>
int IndexOf(const std::array<std::string_view, N>& table, std::string_view word) {
    for (size_t i = 0; i < N; ++i)
        if (table[i] == word) return static_cast<int>(i);
    return 0;
}

template <size_t N>
std::string_view KeywordAt(const std::array<std::string_view, N>& table, int value, size_t limit = N) {
    if (value < 0 || static_cast<size_t>(value) >= limit) return {};
    return table[static_cast<size_t>(value)];
}

template <class T>
void Resize(std::vector<T>& v, size_t n, const T& fill) {
    if (v.size() != n) v.resize(n, fill);
}
}  // namespace

int TraceModeFromKeyword(std::string_view w) {
    return IndexOf(kTraceModes, w);
}
int DetectorFromKeyword(std::string_view w) {
    return IndexOf(kDetectors, w);
}
int MarkerStateFromKeyword(std::string_view w) {
    return IndexOf(kMarkerStates, w);
}

std::string_view TraceModeKeyword(int v) {
    return KeywordAt(kTraceModes, v);
}
// The settings text knows the five detectors of the spectrum modes only.
std::string_view DetectorKeyword(int v) {
    return KeywordAt(kDetectors, v, 5);
}
std::string_view MarkerStateKeyword(int v) {
    return KeywordAt(kMarkerStates, v);
}

void TraceRecord::ApplyNewDocumentValues() {
    m_nMinMaxA = 1;
    m_nMinMaxB = 1;
    m_dScaleRfactor = 1000.0;
    m_dScaleRpower = 200.0;
}

void TraceRecord::NormalizeShapes() {
    Resize(m_arrTraceA, kTracePoints, kNoPoint);
    Resize(m_arrTraceB, kTracePoints, kNoPoint);
    for (auto* a : {&m_arrMarkerStateA, &m_arrMarkerStateB, &m_arrMarkerFlagA, &m_arrMarkerFlagB,
                    &m_arrUserStateA, &m_arrUserStateB})
        Resize(*a, kMarkerEntries, 0);
    for (auto* a : {&m_arrMarkerFreqA, &m_arrMarkerTimeA, &m_arrMarkerDistA, &m_arrMarkerFreqB,
                    &m_arrMarkerTimeB, &m_arrMarkerDistB, &m_arrUserFreqA, &m_arrUserTimeA, &m_arrUserDistA,
                    &m_arrUserFreqB, &m_arrUserTimeB, &m_arrUserDistB})
        Resize(*a, kMarkerEntries, 0.0);
    for (auto* a : {&m_arrMarkerTrace, &m_arrUserTrace})
        Resize(*a, kMarkerEntries, std::string("A"));
    for (auto* a : {&m_arrMarkerTextA, &m_arrMarkerTextB})
        Resize(*a, kMarkerEntries, std::string());
}

const std::vector<FieldInfo>& AllRecordFields() {
    static const std::vector<FieldInfo> fields = {
#define FL_FIELD_INFO(kind, name, init) {#name, FieldPtr(&TraceRecord::name)},
        FIELDLINK_TRACE_RECORD_FIELDS(FL_FIELD_INFO)
#undef FL_FIELD_INFO
    };
    return fields;
}

const FieldInfo* FindRecordField(std::string_view name) {
    for (const auto& f : AllRecordFields())
        if (name == f.name) return &f;
    return nullptr;
}

}  // namespace fl
