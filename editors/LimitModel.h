// The limit lines editor without widgets: the rows as the list shows them, the current row, the window
// title and modified rules, the line dialog's proposals, and dragging end points in the graph.
#pragma once

#include <optional>
#include <string>

#include "EditorGraph.h"
#include "LimitFile.h"

namespace fl {

inline constexpr const char* kLimitsFullText = "Max number of limit lines reached.   ";
inline constexpr const char* kLimitsEmptyText = "Create or open limits first   \r\n";
inline constexpr const char* kLimitsUnsavedText = "Limits not saved!\nSave limits?";
inline constexpr const char* kFileNotFoundText = "File not found";

// What the line dialog edits: the type and the two end points in divisions.
struct LineValues {
    bool lower = false;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool operator==(const LineValues&) const = default;
};

// The path a set is saved under: the file name in upper case, the folders as they are.
std::string UpperCaseFileName(const std::string& path);

class LimitModel {
  public:
    LimitSet set;
    int current = 0;  // 1-based, 0 none
    std::string fileName;
    bool modified = false;
    std::string title = "Limit Lines";

    bool Full() const { return set.rows.size() >= kMaxEditorRows; }
    // The line dialog for a new segment: after the last row (or from (0, 0) as an upper limit), ending one
    // division further right (at most 10) at the same height.
    LineValues InsertProposal() const;
    // Appends a row ("%.1f" each); `changed` says the dialog changed a proposed value.
    void Insert(const LineValues& v, bool changed);
    LineValues Values(int row) const;  // 1-based
    // The current row from the dialog; a segment typed right to left is stored left to right.
    void Edit(const LineValues& v, bool changed);
    void Delete();
    void DeleteAll();
    // A set read from `name`; the last row becomes current.
    void Opened(LimitSet read, const std::string& name);
    void Saved(const std::string& name);
    // Cancel and Data Transfer ask to save a set that was never stored or has been changed.
    bool AsksToSave() const { return fileName.empty() && !set.rows.empty(); }
    // What a drawing pass does with the modified mark.
    void ApplyModifiedHook();

    // The graph: rows as pixel segments and in hundredths of a division, the hit search (5 units), a
    // drag to a pointer position and the release.
    std::optional<GraphHit> Hit(UnitPoint pointer) const;
    void Drag(const GraphHit& hit, UnitPoint pointer);
    void Release(const GraphHit& hit);
    std::vector<std::array<UnitPoint, 2>> Units() const;
};

}  // namespace fl
