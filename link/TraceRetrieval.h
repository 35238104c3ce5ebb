// Bringing traces from the instrument into documents: the saved-trace list, uploads, the instrument's
// current trace (Display Trace) and the pieces the live trace worker shares.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "CommandChannel.h"
#include "TraceLineParser.h"
#include "UploadLoop.h"

namespace fl {

inline constexpr const char* kTempTraceName = "z2j3b4v8xxx";
inline constexpr size_t kMaxListedTraces = 200;

// Set from uploaded lines while a live trace runs; they choose the result query of each update.
struct MeasurementFlags {
    bool limitResult = false;
    bool measure = false;  // OBW, ACPR or channel power measurement in spectrum mode
    bool channelPowerInstrument = false;
    bool cableLossInstrument = false;
    bool emf = false;
    bool markerCounter = false;
    void Update(const std::string& cleanedLine);
};

struct RetrievalFlags {
    bool displayMode = false;
    bool liveRunning = false;
    bool newWindow = true;
    MeasurementFlags measurement;
};

// Where uploaded traces go: a new document made from the parse record, or the active one reloaded.
class ITraceSink {
  public:
    virtual ~ITraceSink() = default;
    virtual void NewDocument(const ParseRecord& parsed) = 0;
    virtual void ReloadActive(const ParseRecord& parsed) = 0;
};

enum class ListStatus { Ok, Failed, Empty };
// "MMEM:LOAD:FIL?": at most 200 names in instrument order. An empty list shows "No saved files".
ListStatus ListSavedTraces(CommandChannel& channel, std::vector<std::string>& names);
// Splits a listing reply; what ListSavedTraces does after the exchange (of a reply JudgeReply accepted).
std::vector<std::string> ParseTraceList(const std::string& reply);
// The selection line of the Get Trace dialog: names quoted one after another, a single name unquoted.
std::string SelectionText(const std::vector<std::string>& selected);

class TraceRetrieval {
  public:
    TraceRetrieval(CommandChannel& channel, ITraceSink& sink, ParseRecord& parsed = s_parsed)
        : m_channel(channel), m_sink(sink), m_parsed(parsed) {}

    // Uploads each name in order. Returns false when an exchange failed (which ends the whole upload);
    // a trace the instrument refuses ("ERR", "-9999") is skipped silently.
    bool TraceUpload(const std::vector<std::string>& names);
    // Stores the instrument's current trace under the temporary name, uploads it and deletes it again.
    bool DisplayActiveTrace();

    RetrievalFlags flags;
    // Where "test_in.txt" goes; the data folder when empty.
    std::string programFolder;
    // Documents made or reloaded by the last upload.
    int documentsMade = 0;

  private:
    bool UploadOne(const std::string& name);

    CommandChannel& m_channel;
    ITraceSink& m_sink;
    ParseRecord& m_parsed;
};

// Fills `trace` (1002 levels) from a "SENSe:TRACe:DATa?" reply: the detector name, a comma and three hex
// digits per level. "MINM" carries all first values of the pairs, then all second values; any other
// detector one value per pair. Transmission traces in dB are normalised as the parse record says.
void LiveTraceParse(const std::string& reply, std::vector<double>& trace,
                    const ParseRecord& parsed = s_parsed);
// Why a trace data reply is no trace data ("ERR", "-9999", silence, noise, no hex levels), or empty when
// it is. Only a reply that passes is shown, counted and saved.
std::string LiveDataProblem(const std::string& reply);

// The file of live update `number`: "%s/%s%03d%s" of folder, name, number and the type's extension.
struct LiveFileType {
    const char* text;
    const char* extension;
};
const std::vector<LiveFileType>& LiveFileTypes();
std::string LiveSavePath(const std::string& folder, const std::string& name, int typeIndex, int number);
// The number of the first live file to write: one after the highest number of an existing file of that
// name and type in the folder (names and extensions compared case-insensitively), 1 when there is none.
// Saving never replaces a file.
int FirstFreeLiveNumber(const std::string& folder, const std::string& name, int typeIndex);

}  // namespace fl
