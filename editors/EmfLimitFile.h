// EMF limit files (.qel): a comment line, one line per segment "type,fStart,lStart,fStop,lStop" (Hz and
// the level unit of the parameter line), and last, without a line end, "PARAM=ref,scale,unit,range".
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "LimitFile.h"

namespace fl {

// One row, as the list shows it and as values: start frequency, start level, stop frequency, stop level.
struct EmfLimitLine {
    bool lower = false;
    std::array<std::string, 4> text;
    std::array<double, 4> value{};
};

// The display settings stored in the parameter line; indices into the editor's lists.
struct EmfSettings {
    double reference = 107.0;
    int scale = 2;  // "20", "15", "10", "5", "3", "1"
    int unit = 0;   // "dBuV/m", "dBmV/m", "dBV/m", "V/m", "mV/m", "uV/m", "mW/m2", "uW/m2"
    int range = 0;  // 4 GHz, 7.5 GHz
    bool operator==(const EmfSettings&) const = default;
};

struct EmfLimitSet {
    std::string comment;
    std::vector<EmfLimitLine> rows;
    EmfSettings settings;
    bool hasParameters = false;  // false: the file had no parameter line, the settings were kept
};

// Reads an EMF limit file; `current` are the settings kept when the file has no (valid) parameter line.
// Never fails. Rows after the 30th are ignored, and so are lines after the parameter line.
EmfLimitSet ReadEmfLimitText(std::string_view text, const EmfSettings& current = {});
std::string EmfLimitFileText(const EmfLimitSet& set);

}  // namespace fl
