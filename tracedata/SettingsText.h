// The instrument settings text of a trace file: the trace text that sets an instrument up like the trace.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "TraceRecord.h"

namespace fl {

class CMyQuarnDoc;

inline constexpr const char* kSettingsTextFile = "~tmpfile.txt";

// Keyword normaliser: lower-case words the PC may hold become the instrument's keywords.
std::string NormaliseKeyword(std::string_view value);

// Point levels as three hex digits each (upper case): MINMax all even then all odd points, ALL the even
// points only. Levels outside -200.0 to 209.5 (and missing points) take the nearest end of that range.
std::string EncodePointData(const std::vector<double>& points, bool minMax);

// Trace name proposed from a path: the file name cut before its first '.', at most 11 characters.
std::string TraceNameFromPath(const std::string& path);

// The settings lines of a document read from a stored trace; `traceName` goes into the "# TRACE" line.
std::vector<std::string> SettingsLines(const CMyQuarnDoc& doc, const std::string& traceName);

// Writes the settings text of the trace file `sourcePath` to `outputPath` (default: "~tmpfile.txt" in
// the data folder), one line per LF. Returns false with a message when the source cannot be read or the
// output cannot be written; the output file is then removed, so that no stale text is ever sent.
bool WriteSettingsText(const std::string& sourcePath, std::string* error = nullptr,
                       const std::string& outputPath = {});

}  // namespace fl
