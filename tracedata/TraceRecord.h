// One measurement of a Quarn instrument: both point arrays and every setting, result, marker, limit and
// view value that comes with it. Plain data; strings hold the instrument's 8-bit (Windows-1252) text.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "TraceRecordFields.h"

namespace fl {

using Str = std::string;
using Int = int;
using Real = double;
using RealArr = std::vector<double>;
using IntArr = std::vector<int>;
using StrArr = std::vector<std::string>;

constexpr int kTracePoints = 1002;
constexpr int kTraceColumns = 501;
constexpr int kMarkerEntries = 11;
constexpr double kNoPoint = -999.0;
constexpr double kNoResult = -9999.0;

enum TraceMode { ACTual = 0, MAXHold = 1, MINHold = 2, HOLD = 3, AVG = 4, TRACE_OFF = 5 };
enum DetectorFunction { POSNeg = 0, SAMPle = 1, POSitive = 2, NEGative = 3, RMS = 4, SCALAR = 5, VECTOR = 6 };
enum MarkerState { MARKER_OFF = 0, NORMal = 1, DELTa = 2, NOISe = 3, COUNter = 4 };

// Keyword to value; exact and case-sensitive, any other word gives 0.
int TraceModeFromKeyword(std::string_view word);
int DetectorFromKeyword(std::string_view word);
int MarkerStateFromKeyword(std::string_view word);
// Value to keyword as the settings text writes it; values outside the table give "".
std::string_view TraceModeKeyword(int value);
std::string_view DetectorKeyword(int value);
std::string_view MarkerStateKeyword(int value);

struct TraceRecord {
#define FL_DECLARE_FIELD(kind, name, init) kind name = init;
    FIELDLINK_TRACE_RECORD_FIELDS(FL_DECLARE_FIELD)
#undef FL_DECLARE_FIELD

    // Back to the values a trace has before any line of trace text is applied.
    void ResetToReadingDefaults() {
        *this = TraceRecord{};
    }
    // The few values in which a freshly constructed document differs from the reading defaults.
    void ApplyNewDocumentValues();
    // Point arrays back to 1002 entries and marker arrays to 11, whatever a file carried.
    void NormalizeShapes();

    // The impedance this trace's volt conversions use: 75 Ohm for an IMP75 input, else 50 Ohm.
    double ReferenceImpedance() const {
        return m_strImpedance == "IMP75" ? 75.0 : 50.0;
    }

    bool operator==(const TraceRecord&) const = default;
};

// Name and member of every record field, in declaration order; used for dumps and field-wise comparison.
using FieldPtr = std::variant<Str TraceRecord::*, Int TraceRecord::*, Real TraceRecord::*,
                              RealArr TraceRecord::*, IntArr TraceRecord::*, StrArr TraceRecord::*>;
struct FieldInfo {
    const char* name;
    FieldPtr ptr;
};
const std::vector<FieldInfo>& AllRecordFields();
const FieldInfo* FindRecordField(std::string_view name);

}  // namespace fl
