// The EMF limit lines editor without widgets: rows in Hz and the chosen level unit, the display settings
// (unit, scale, range, reference level) and their changes, the limit points dialog's proposals and
// checks, and dragging points in the graph.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "EditorGraph.h"
#include "EmfLimitFile.h"

namespace fl {

inline constexpr const char* kEmfUnsavedText = "EMF Limits not saved!\nSave limits?";

// The lists of the settings: level unit names (Windows-1252) and their unit keywords, scales, ranges.
const std::vector<std::string>& EmfUnitNames();
std::string EmfUnitKeyword(int unit);
bool EmfUnitLogarithmic(int unit);
const std::vector<double>& EmfScales();  // 20, 15, 10, 5, 3, 1
double EmfRangeHz(int range);            // 4e9, 7.5e9

// What the limit points dialog edits.
struct EmfPointValues {
    bool lower = false;
    double f1 = 0, l1 = 0, f2 = 0, l2 = 0;
};

// A frequency shown in its best unit: GHz from 1e9 Hz, MHz from 1e6, kHz from 1000, else Hz.
struct ScaledHz {
    double value;
    std::string unit;  // "GHz", "MHz", "kHz", "Hz"
};
ScaledHz BestFrequencyUnit(double hz);

class EmfLimitModel {
  public:
    EmfLimitSet set;
    int current = 0;
    std::string fileName;
    bool modified = false;
    std::string title = "EMF Limit Lines";

    EmfLimitModel() { ResetScale(); }

    const EmfSettings& Settings() const { return set.settings; }
    double MaxHz() const { return EmfRangeHz(set.settings.range); }
    // The scale per division the graph uses: the chosen entry in a logarithmic unit; in a linear unit an
    // eighth of the reference level, until a Scale entry is chosen.
    double Scale() const { return m_scale; }
    std::string LevelText(double level) const;
    std::string MiddleAxisLabel() const { return set.settings.range == 1 ? "3.75 GHz" : "2 GHz"; }
    // The nine level labels beside the grid, from the top.
    std::vector<std::string> LevelLabels() const;

    bool Full() const { return set.rows.size() >= kMaxEditorRows; }
    EmfPointValues InsertProposal() const;
    void Insert(const EmfPointValues& v, bool changed);
    EmfPointValues Values(int row) const;
    void Edit(const EmfPointValues& v, bool changed);
    void Delete();
    void DeleteAll();
    // The limit points dialog's OK: "" to accept, else the message (the frequencies of the opened row
    // are accepted unchanged, whatever the range).
    std::string CheckFrequencies(double f1, double f2, double openedF1, double openedF2) const;

    void ChangeUnit(int unit);
    void ChangeReference(double reference);
    void ChangeScale(int index);
    void ChangeRange(int index);

    // A file read as `name`: its rows, and its settings (the unit taken over without converting).
    void Opened(EmfLimitSet read, const std::string& name);
    void Saved(const std::string& name);
    bool AsksToSave() const { return fileName.empty() && !set.rows.empty(); }
    void ApplyModifiedHook();

    std::vector<std::array<UnitPoint, 2>> Units() const;
    std::optional<GraphHit> Hit(UnitPoint pointer) const;
    void Drag(const GraphHit& hit, UnitPoint pointer);
    void Release(const GraphHit& hit);

  private:
    void ResetScale();
    void WriteTexts(EmfLimitLine& row) const;
    void LinearReferenceRule();
    double m_scale = 10;
};

}  // namespace fl
