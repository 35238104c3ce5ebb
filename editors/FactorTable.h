// The factor table editors' core (EMF antenna factor .qaf, EMF cable factor .qcf, external device .qed):
// one file format, three modes with their texts, the table rules, Level Offset, the Scale index and the
// graph's half-range, and dragging.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "EditorGraph.h"

namespace fl {

enum class FactorMode { Antenna, Cable, ExternalDevice };

struct FactorTexts {
    const char* title;
    const char* levelColumn;
    const char* scaleLabel;
    const char* openTitle;
    const char* saveTitle;
    const char* extension;
    const char* filter;
    const char* emptyText;
    const char* transferQuestion;
    const char* cancelQuestion;
    int tab;
    const char* levelLabel;
};
const FactorTexts& TextsFor(FactorMode mode);

inline constexpr size_t kMaxFactorEntries = 100;
inline constexpr const char* kFactorsFullText = "Max Number reached.   ";

// One row, as the table shows it: frequency "%.0f" Hz and level "%.1f".
struct FactorEntry {
    std::string frequency, level;
    bool operator==(const FactorEntry&) const = default;
};

struct FactorTable {
    std::string comment;
    std::vector<FactorEntry> entries;
    int range = 0;  // 0: 4 GHz, 1: 7.5 GHz
};

// Reads a factor file: comment, the header line skipped, up to 100 entries "frequency;level"; a last
// entry at exactly 4e9 or 7.5e9 Hz selects the range, a last entry of level 0 (the closing line) goes.
FactorTable ReadFactorText(std::string_view text, int currentRange = 0);
// The file as Save writes it, stamped with `now`: entries up to the maximum frequency, then either the
// level interpolated at the maximum (an entry lies above it) or the closing "max;0".
std::string FactorFileText(const FactorTable& t, const std::tm& now);

class FactorModel {
  public:
    explicit FactorModel(FactorMode kind = FactorMode::ExternalDevice)
        : mode(kind), title(TextsFor(kind).title) {}

    FactorMode mode;
    FactorTable table;
    int current = 0;
    int scaleIndex = 2;  // -2 .. 3
    std::string fileName;
    bool modified = false;
    std::string title;

    double MaxHz() const { return table.range == 1 ? 7.5e9 : 4e9; }
    bool Full() const { return table.entries.size() >= kMaxFactorEntries; }
    // The entry dialog's OK: "" to accept, else the message. Unchanged values are accepted as they are.
    std::string CheckEntry(double hz, bool changed) const;
    void Insert(double hz, double level);
    void Edit(double hz, double level, bool changed);
    void Delete();
    void DeleteAll();
    // One dB up (+1) or down (-1); refused (false) while a level lies above 79 or below -79.
    bool LevelOffset(int step);
    void ScaleStep(int step);
    void Opened(FactorTable read, const std::string& name);
    void Saved(const std::string& name);
    void ApplyModifiedHook();

    // The graph's half-range S for the levels (moving the Scale index towards -2 until they fit).
    double HalfRange();
    std::vector<std::string> LevelLabels(double S) const;
    std::vector<PixelPoint> Points(double S) const;
    std::optional<GraphHit> Hit(UnitPoint pointer, double S) const;  // end is always 0
    void Drag(const GraphHit& hit, UnitPoint pointer, double S);
    void Release();

  private:
    void Sort();
};

// The factor graph's pointer: thousandths across, -500 .. 500 up.
UnitPoint FactorPointerUnits(double px, double py);
PixelPoint FactorPixel(double hz, double level, double maxHz, double S);

// The chooser's next new settings file in `names` (file names of one folder): NEWSET and the largest
// three-digit number found plus one, "%03d", ".QST"; a name whose digits are not digits counts as 0.
std::string NextNewSettingsName(const std::vector<std::string>& names);

}  // namespace fl
