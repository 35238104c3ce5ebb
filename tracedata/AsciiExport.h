// The ASCII report of a trace document: settings, measurement sections, markers and trace points.
#pragma once

#include <string>

namespace fl {

class CMyQuarnDoc;

inline constexpr const char* kAsciiSaveTitle = "Save Trace as ASCII File...";
inline constexpr const char* kAsciiFilter = "Text (*.TXT) |*.TXT|";
inline constexpr const char* kAsciiDefaultExt = ".txt";
inline constexpr const char* kClipboardDataFile = "~C2CBData.tmp";

// The file name the save dialog proposes for a trace of this name.
std::string ProposeAsciiFileName(const std::string& traceName);

// Keyword values as the report shows them; other values unchanged.
std::string ReportKeyword(const std::string& keyword);

// The report text, lines ending in CR LF; the separator is ';' when `semicolon` is set, else a tab.
std::string AsciiReportText(const CMyQuarnDoc& doc, bool semicolon);
// Writes the report to `path` (created or replaced). Returns false with a message when it cannot.
bool WriteAsciiReport(const CMyQuarnDoc& doc, const std::string& path, bool semicolon,
                      std::string* error = nullptr, bool replace = true);

}  // namespace fl
