// Turns trace text, one line at a time, into the program-wide parse record.
#pragma once

#include <string>
#include <string_view>

#include "TraceRecord.h"

namespace fl {

// The record the parser fills: the trace record's fields plus the sweep stop frequency, which is read
// but never taken over into documents.
struct ParseRecord : TraceRecord {
    double m_dSweepStop = 0.0;
};

// The one program-wide parse record. One trace is parsed at a time, start to finish, then taken over.
extern ParseRecord s_parsed;

class TraceLineParser {
  public:
    // Clears the point buffers, the limit list and the channel-system arrays, and sizes the marker arrays.
    explicit TraceLineParser(ParseRecord& target = s_parsed);

    // Every field back to its reading default; the min/max flags keep the form of the last data line.
    void ResetDefaults();
    // Applies one line of trace text. Unrecognised lines change nothing; no line is ever rejected.
    void ParseLine(std::string_view line);
    // After the last line: delta markers become absolute positions.
    void Finish();

    ParseRecord& Record() { return m_rec; }

    // Index of the first key (in matching order) that occurs anywhere in the line, or -1. For tests.
    static int MatchKey(std::string_view line);
    static std::string_view KeyText(int index);

  private:
    void DecodePoints();

    ParseRecord& m_rec;
    std::string m_strLetter;
    std::string m_strForm;
    std::string m_strData;
};

// Reads one trace text (lines separated by LF or CR LF) completely into `target`: construct, reset, every
// line, finish. Used by the line-container reader, the simulator and the tests.
void ParseTraceText(std::string_view text, ParseRecord& target = s_parsed);

}  // namespace fl
