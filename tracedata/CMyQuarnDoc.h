// A trace document without windows: owns one trace record, opens .qtr and .qtm files, takes parsed traces
// over, prepares them for display and saves modified traces.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "DocEnvironment.h"
#include "TraceLineParser.h"
#include "TraceRecord.h"
#include "Units.h"

namespace fl {

inline constexpr const char* kUnsupportedFormatText = "Not supported file format   ";
inline constexpr const char* kUnexpectedFormatText = "Unexpected file format.";
inline constexpr const char* kOpenFailedText = "Failed to open document.";
inline constexpr size_t kMaxTraceFileSize = 64u << 20;

struct PageSize {
    int cx = 8300;
    int cy = 6800;
};

enum class LoadStatus { Ok, UnsupportedFormat, ReadError, OpenError };

struct LoadResult {
    LoadStatus status = LoadStatus::Ok;
    std::string message;  // the program's own text for the user
    bool ok() const { return status == LoadStatus::Ok; }
};

// What saving to a path needs: either a silent write, or the save dialog with these proposals.
struct SavePlan {
    bool askName = false;
    std::string proposedFileName;  // base name + ".qtm"
    std::string startFolder;
    std::string defaultExtension = ".qtm";
    std::string filter = "Quarn Trace Files ( *.qtm ) |*.qtm||";
};

// A trace of another document drawn over this one's graph (Compare Traces); never stored.
struct ComparedTrace {
    std::string name;
    std::vector<double> points;  // the other trace's points in their stored form (dBm, or dB for ratios)
    int minMax = 0;
    double impedance = kDefaultImpedance;  // of the trace it came from, for its own unit conversion
};

class CMyQuarnDoc : public TraceRecord {
  public:
    CMyQuarnDoc();

    // Creates the document from the parse record, as the new-document command after a fetch does.
    void OnNewDocument(const ParseRecord& parsed = s_parsed, const DocEnvironment& env = s_docEnv);
    void TakeOver(const ParseRecord& parsed = s_parsed, const DocEnvironment& env = s_docEnv);
    void RunPostReadSteps();
    // The program-wide display flags (tables, panels, grid, orientation) onto this document.
    void ApplyViewDefaults(const DisplayPreferences& prefs);

    // Reads a trace file; the first byte chooses the layout. On failure the record keeps its values
    // (constructed defaults for a fresh document).
    LoadResult Load(const std::string& path, const DocEnvironment& env = s_docEnv);
    LoadResult LoadBytes(std::string_view bytes, const DocEnvironment& env = s_docEnv);

    // The stored form (version F) of the record as it is held.
    std::string SerializeStored() const;

    SavePlan PlanSave(const std::string& targetPath, const DocEnvironment& env = s_docEnv);
    // Writes version F to `path`; on success the document takes the path and is no longer modified.
    bool WriteTo(const std::string& path, std::string* error = nullptr, bool replace = true);
    // The save dialog's OK: remembers the folder, renames the trace after the chosen file and writes.
    bool SaveAsChosen(const std::string& chosenPath, DocEnvironment& env = s_docEnv,
                      std::string* error = nullptr);
    void SaveAsCommand() { m_bAskSaveName = true; }

    void SetPathName(const std::string& path);
    void UpdatePageSize();
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }
    bool IsModified() const { return m_bModified; }
    const std::string& GetTitle() const { return m_strTitle; }
    void SetTitle(const std::string& title) { m_strTitle = title; }

    // The display selection made by the post-read steps: the active reference level and scale fields
    // and the display unit keyword.
    double& SelectedReference() { return this->*m_pRefField; }
    double& SelectedScale() { return this->*m_pScaleField; }
    const double& SelectedReference() const { return this->*m_pRefField; }
    const double& SelectedScale() const { return this->*m_pScaleField; }
    const std::string& DisplayUnit() const { return m_strDisplayUnit; }
    void SetDisplaySelection(double TraceRecord::*ref, double TraceRecord::*scale, std::string unit);
    // Makes the display selection again from the mode and its unit field (after a unit change).
    void ReselectDisplay() { SelectDisplay(); }
    void SetDisplayUnit(std::string unit) { m_strDisplayUnit = std::move(unit); }

    std::string m_strPathName;
    bool m_bAskSaveName = false;
    std::vector<ComparedTrace> m_overlays;
    std::string m_strCompareName;  // this page's own traces in the legend of a comparison
    PageSize m_sizePage;

  private:
    void SelectDisplay();
    void PrepareLimits();
    // A stored layout keeps some units' reference in dBm and scale in milli units (see
    // StoredInInstrumentForm); the document holds them in the unit shown.
    void StoredLevelsIntoUnit();

    // The values as stored and as converted when the file was read, so that an unchanged value is
    // written back as the very bytes it was read from.
    struct StoredPair {
        double stored, shown;
    };
    std::optional<StoredPair> m_storedReference, m_storedScale, m_storedMathOffset;

    bool m_bModified = false;
    std::string m_strTitle;
    double TraceRecord::*m_pRefField = &TraceRecord::m_dRefLevel;
    double TraceRecord::*m_pScaleField = &TraceRecord::m_dScaleLog;
    std::string m_strDisplayUnit = "DBM";
};

// Where the user's marker `entry` (1 to 10) of trace 'A' or 'B' lies on the x axis: its frequency, its
// time in zero span or its distance in DTF mode. A Quarn1 holds its delta markers relative to marker A;
// they are given here where they are drawn, like everyone else's.
double UserMarkerPosition(const TraceRecord& d, char trace, int entry);
// Puts the user's marker at the x value `position` (as UserMarkerPosition gives it back).
void SetUserMarkerPosition(TraceRecord& d, char trace, int entry, double position);

// Converts a linear scale held in milli units (mV, mW and their EMF forms) into the given linear unit,
// and back.
double LinearScaleIntoUnit(double milliValue, std::string_view unit);
double LinearScaleIntoMilli(double value, std::string_view unit);
// What a take-over converts for the display unit: the reference from dBm into the unit, the scale from
// milli units into the unit. The settings text undoes exactly these.
bool TakeOverConvertsReference(std::string_view unit);
bool TakeOverConvertsScale(std::string_view unit);
// Units whose reference (and linear scale) a stored layout holds in the instrument's form, dBm and milli
// units, as the instrument's own program wrote it: the logarithmic voltage and field units, and the
// linear field units its take-over left unconverted.
bool StoredInInstrumentForm(std::string_view unit);

}  // namespace fl
