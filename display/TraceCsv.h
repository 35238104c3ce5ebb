// A trace as a spreadsheet: a header row with the units, then one row per display point with the x value
// and the minimum and maximum of trace A (and of trace B when it is drawn) in the display unit. RFC 4180
// quoting and line ends; missing points stay empty.
#pragma once

#include <string>

namespace fl {

class CMyQuarnDoc;

struct CsvOptions {
    char separator = ',';  // ',', ';' or '\t'
    char decimal = '.';    // '.' or ','
    // The traces' columns: "A", "B" or "AB"; empty for the traces the page shows (A, and B when drawn).
    std::string traces;
};

std::string TraceCsv(const CMyQuarnDoc& d, const CsvOptions& options = {});

}  // namespace fl
