#include "LevelEdit.h"

#include <algorithm>
#include <charconv>

#include <cmath>
#include <cstdlib>

#include "Text.h"
#include "Units.h"

namespace fl {

namespace {

bool In(const std::string& u, std::initializer_list<const char*> list) {
    for (const char* k : list)
        if (u == k) return true;
    return false;
}

// The record's unit field that the display selection reads for a mode.
std::string* ModeUnitField(CMyQuarnDoc& d, const std::string& mode) {
    if (mode == "Transmission") return &d.m_strTransRefUnit;
    if (mode == "Distance to Fault") return &d.m_strDtfRefUnit;
    if (mode == "Reflection") return &d.m_strRflRefUnit;
    if (mode == "EMF (EMI)") return &d.m_strEmfRefUnit;
    if (mode == "Cable Loss") return nullptr;
    return &d.m_strRefLevelUnit;
}

bool ParseNumber(const std::string& text, double& v) {
    size_t b = text.find_first_not_of(" \t");
    size_t e = text.find_last_not_of(" \t");
    if (b == std::string::npos) return false;
    std::string t = text.substr(b, e - b + 1);
    // A decimal comma, as a German keyboard gives it, reads like the point; the locale plays no part.
    if (t.find('.') == std::string::npos && std::count(t.begin(), t.end(), ',') == 1) t[t.find(',')] = '.';
    const char* first = t.c_str() + (t[0] == '+' ? 1 : 0);
    const char* last = t.c_str() + t.size();
    const auto [ptr, ec] = std::from_chars(first, last, v);
    return ec == std::errc() && ptr == last && std::isfinite(v);
}

bool Fail(std::string* error, const char* message) {
    if (error) *error = message;
    return false;
}

// A linear unit, a reflection factor or a power ratio needs a positive reference, VSWR at least 1.
bool ReadReference(const std::string& text, const std::string& unit, double& ref, std::string* error) {
    if (!ParseNumber(text, ref)) return Fail(error, "Please enter a number for the reference.");
    if ((IsLinearUnit(unit) || unit == "MRHO" || unit == "%") && ref <= 0)
        return Fail(error, "The reference must be greater than zero in this unit.");
    if (unit == "VSWR" && ref < 1) return Fail(error, "The maximum VSWR must be at least 1.");
    return true;
}

// The graph divides by the scale, so it must be positive.
bool ReadScale(const std::string& text, double& scale, std::string* error) {
    if (!ParseNumber(text, scale)) return Fail(error, "Please enter a number for the scale.");
    if (scale <= 0) return Fail(error, "The scale must be greater than zero.");
    return true;
}

}  // namespace

std::vector<LevelUnit> LevelUnits(const std::string& mode) {
    if (mode == "Distance to Fault") return {{"dB", "DB"}, {"mRho", "MRHO"}};
    if (mode == "Transmission") return {{"dB", "DB"}, {"dBm", "DBM"}};
    if (mode == "Cable Loss") return {{"dB", "DB"}};
    if (mode == "Reflection") return {{"dB", "DB"}, {"VSWR", "VSWR"}, {"mRho", "MRHO"}, {"%", "%"}};
    if (mode == "EMF (EMI)")
        return {{"dB\xB5V/m", "DBUVm"}, {"dBmV/m", "DBMVm"},  {"dBV/m", "DBVM"},
                {"V/m", "VM"},          {"mV/m", "MVM"},      {"\xB5V/m", "UVM"},
                {"W/m\xB2", "WM2"},     {"mW/m\xB2", "MWM2"}, {"\xB5W/m\xB2", "UWM2"}};
    return {{"dBm", "DBM"}, {"dB\xB5V", "DBUV"}, {"dBmV", "DBMV"}, {"dBV", "DBV"}, {"V", "V"},
            {"mV", "MV"},   {"\xB5V", "UV"},     {"W", "W"},       {"mW", "MW"},   {"\xB5W", "UW"}};
}

std::string LevelReferenceCaption(const std::string& mode, const std::string& unit) {
    const std::string name = UnitText(unit);
    if (mode == "Reflection") {
        if (unit == "VSWR") return "Max VSWR";
        if (unit == "MRHO") return Format("Max Refl. Factor [%s]", name.c_str());
        if (unit == "%") return Format("Max Refl. Power [%s]", name.c_str());
    } else if (mode == "EMF (EMI)") {
        if (In(unit, {"WM2", "MWM2", "UWM2"})) return Format("Ref. Power Desity [%s]", name.c_str());
        if (In(unit, {"VM", "MVM", "UVM"})) return Format("Ref. Voltage [%s]", name.c_str());
        return Format("Ref. Level [%s]", name.c_str());
    }
    return Format("Ref. [%s]", name.c_str());
}

std::string LevelScaleCaption(const std::string& unit) {
    return Format("Scale [%s /div]", UnitText(unit).c_str());
}

std::string LevelFieldText(double v, const std::string& unit) {
    if (unit == "VSWR") return Format("%.3f", v);
    if (unit == "MRHO") return Format("%.0f", v);
    if (IsLinearUnit(unit)) return Format("%.4f", v);
    return Format("%.1f", v);
}

LevelEdit::LevelEdit(CMyQuarnDoc& doc, std::string modeName)
    : m_doc(doc),
      m_mode(std::move(modeName)),
      m_units(LevelUnits(m_mode)),
      m_originalUnit(doc.DisplayUnit()),
      m_originalScale(doc.SelectedScale()) {
    const std::string& active = doc.DisplayUnit();
    m_selected = -1;
    for (size_t i = 0; i < m_units.size(); ++i)
        if (m_units[i].keyword == active) m_selected = static_cast<int>(i);
    if (m_selected < 0) {
        // A unit the mode's list does not hold stays selectable, so OK never changes it silently.
        m_units.push_back({UnitText(active), active});
        m_selected = static_cast<int>(m_units.size()) - 1;
    }
    LoadFields();
}

std::string LevelEdit::ReferenceCaption() const {
    return LevelReferenceCaption(m_mode, Unit());
}

std::string LevelEdit::ScaleCaption() const {
    return LevelScaleCaption(Unit());
}

void LevelEdit::LoadFields() {
    if (!m_refChanged) m_refText = LevelFieldText(m_doc.SelectedReference(), Unit());
    if (!m_scaleChanged) m_scaleText = LevelFieldText(m_doc.SelectedScale(), Unit());
}

void LevelEdit::EditReference(const std::string& text) {
    m_refText = text;
    m_refChanged = m_applyEnabled = true;
}

void LevelEdit::EditScale(const std::string& text) {
    m_scaleText = text;
    m_scaleChanged = m_applyEnabled = true;
}

void LevelEdit::StepReference(int steps) {
    double v = 0;
    if (!ParseNumber(m_refText, v)) v = m_doc.SelectedReference();
    m_refText = Format("%.1f", v + steps);
    m_refChanged = m_applyEnabled = true;
}

void LevelEdit::ChangeUnit(const std::string& from, const std::string& to) {
    CMyQuarnDoc& d = m_doc;
    if (m_mode == "Transmission") {
        // Normalised traces are held relative to the generator level in dB and absolute in dBm.
        const double shift = to == "DB" ? -d.m_dGenLevel : d.m_dGenLevel;
        for (auto [math, trace] :
             {std::pair{&d.m_strTraceMathA, &d.m_arrTraceA}, std::pair{&d.m_strTraceMathB, &d.m_arrTraceB}}) {
            // The instrument writes "NORMalize"; traces stored by others (the samples too) "NORMalized".
            if (*math != "NORMalize" && *math != "NORMalized") continue;
            for (double& p : *trace)
                if (p != kNoPoint) p += shift;
        }
    }
    const double oldRef = d.SelectedReference();
    if (std::string* field = ModeUnitField(d, m_mode)) *field = to;
    d.ReselectDisplay();
    const bool converts = m_mode != "Transmission" && m_mode != "Reflection" && m_mode != "Distance to Fault";
    if (converts && !m_refChanged) {
        const double v =
            LevelFromDbm(LevelToDbm(oldRef, from, d.ReferenceImpedance()), to, d.ReferenceImpedance());
        if (std::isfinite(v)) d.SelectedReference() = v;
    }
    // A linear axis starts at 0: unless the trace brought its own scale for this unit, the instrument's
    // choice is the reference over the 8 divisions.
    if (converts && IsLinearUnit(to) && !m_scaleChanged) {
        if (to == m_originalUnit)
            d.SelectedScale() = m_originalScale;
        else if (d.SelectedReference() > 0)
            d.SelectedScale() = d.SelectedReference() / 8;
    }
    LoadFields();
}

bool LevelEdit::SelectUnit(int index, std::string* error) {
    if (index < 0 || index >= static_cast<int>(m_units.size()) || index == m_selected) return true;
    const std::string from = Unit(), to = m_units[index].keyword;
    // The fields the user typed are read in the new unit, so check them before anything moves.
    double ref = 0, scale = 0;
    if (m_refChanged && !ReadReference(m_refText, to, ref, error)) return false;
    if (m_scaleChanged && !ReadScale(m_scaleText, scale, error)) return false;
    m_selected = index;
    ChangeUnit(from, to);
    m_applyEnabled = true;
    return Apply(error);
}

bool LevelEdit::Apply(std::string* error) {
    double ref = m_doc.SelectedReference(), scale = m_doc.SelectedScale();
    // Only typed fields are read back: the shown text is rounded, and re-reading it would creep.
    if (m_refChanged && !ReadReference(m_refText, Unit(), ref, error)) return false;
    if (m_scaleChanged && !ReadScale(m_scaleText, scale, error)) return false;
    // The active fields hold the reference in the selected unit (linear ones were converted on reading).
    m_doc.SelectedReference() = ref;
    m_doc.SelectedScale() = scale;
    m_doc.SetDisplayUnit(Unit());
    m_refChanged = m_scaleChanged = false;
    LoadFields();
    m_applyEnabled = false;
    return true;
}

bool LevelEdit::Ok(std::string* error) {
    if (m_applyEnabled && !Apply(error)) return false;
    m_doc.SetModifiedFlag(true);
    return true;
}

}  // namespace fl
