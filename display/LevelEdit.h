// The state of the Level dialog: unit list, captions, the reference and scale fields, and how applying
// and changing the unit rewrite the document's active y axis. No widgets, so every rule is testable.
#pragma once

#include <string>
#include <vector>

#include "CMyQuarnDoc.h"

namespace fl {

struct LevelUnit {
    std::string text;     // as listed (Windows-1252)
    std::string keyword;  // the unit keyword it stands for
};

// The unit list of a measurement mode (by its display name).
std::vector<LevelUnit> LevelUnits(const std::string& modeName);
std::string LevelReferenceCaption(const std::string& modeName, const std::string& unit);
std::string LevelScaleCaption(const std::string& unit);
// A field's text for a value in the given unit.
std::string LevelFieldText(double value, const std::string& unit);

class LevelEdit {
  public:
    LevelEdit(CMyQuarnDoc& doc, std::string modeName);

    const std::vector<LevelUnit>& Units() const { return m_units; }
    int SelectedUnit() const { return m_selected; }
    std::string ReferenceCaption() const;
    std::string ScaleCaption() const;
    const std::string& ReferenceText() const { return m_refText; }
    const std::string& ScaleText() const { return m_scaleText; }
    bool ApplyEnabled() const { return m_applyEnabled; }

    void EditReference(const std::string& text);
    void EditScale(const std::string& text);
    // One spin step per unit of `steps` (up positive).
    void StepReference(int steps);
    // Switches the unit and applies at once; false (with the message) when the fields do not hold
    // numbers the unit can take.
    bool SelectUnit(int index, std::string* error = nullptr);
    // Writes the fields into the document; false (document untouched) with a message for bad input.
    bool Apply(std::string* error = nullptr);
    // OK: applies when something is pending and marks the document modified.
    bool Ok(std::string* error = nullptr);

  private:
    const std::string& Unit() const { return m_units[m_selected].keyword; }
    void ChangeUnit(const std::string& from, const std::string& to);
    void LoadFields();

    CMyQuarnDoc& m_doc;
    std::string m_mode;
    std::vector<LevelUnit> m_units;
    int m_selected = 0;
    std::string m_refText, m_scaleText;
    bool m_refChanged = false, m_scaleChanged = false, m_applyEnabled = false;
    // The unit and scale the trace came with: only that unit's scale is the trace's own.
    std::string m_originalUnit;
    double m_originalScale = 0;
};

}  // namespace fl
