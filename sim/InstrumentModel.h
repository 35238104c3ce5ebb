// The simulated instrument's behaviour: one command line in, one reply out. No I/O here; SimServer
// carries the bytes.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fl::sim {

// Error "ERR", Minus9999 "-9999", Silence no reply, SilenceAll not even to "*IDN?", Drop the connection
// (the pseudo-terminal hangs up), Garbage noise with a line end, GarbageNoEol noise without one, Endless
// bytes without end, NoEnd uploads that never send "0", Slow 2 ms and Crawl 300 ms between reply bytes.
enum class FaultKind {
    None,
    Error,
    Silence,
    SilenceAll,
    Drop,
    Garbage,
    Endless,
    Slow,
    Minus9999,
    GarbageNoEol,
    NoEnd,
    Crawl
};

struct SimOptions {
    std::string model = "Quarn2";
    std::string firmware = "2.31";
    std::string serial = "100742";
    std::string activeSample = "SPECTRUM";  // the trace on the simulated screen
    FaultKind fault = FaultKind::None;
    int dropAfterLines = 5;  // Drop: the connection ends after this many upload lines
    // The fault hits from the n-th matching command on (data, file and screen commands; counted from
    // when the fault was set); 0 keeps each fault's own rule (Drop after `dropAfterLines` upload lines).
    int faultFrom = 0;
    std::string faultOn;         // when set, only commands that start with it match
    std::string storeFolder;     // persists the trace store when set
    int screenShortReplies = 0;  // the next so many screen replies are too short (retry tests)
};

FaultKind ParseFault(const std::string& name);

// What the server does with a command.
struct SimReply {
    enum class Action { Reply, None, Drop, Endless, Garbage, GarbageNoEol } action = Action::Reply;
    std::string text;     // without the terminator
    int byteDelayMs = 0;  // pause after every byte (the Crawl fault)
};

class InstrumentModel {
  public:
    explicit InstrumentModel(SimOptions options);

    SimReply Handle(const std::string& command);

    // The trace store: name -> trace text lines.
    std::map<std::string, std::vector<std::string>>& Store() { return m_store; }
    // The files of another kind (keyword STAT, LIM, CHAN, EDEV, CTYP, AFAC, CFAC).
    std::map<std::string, std::vector<std::string>>& Files(const std::string& keyword);
    const SimOptions& Options() const { return m_options; }
    void SetFault(FaultKind f, int from = 0) {
        m_options.fault = f;
        m_options.faultFrom = from;
        m_nMatched = 0;
    }
    void SetScreenShortReplies(int n) { m_options.screenShortReplies = n; }
    // The simulated display: colour table and 480 lines of 640 indices.
    const std::vector<uint8_t>& ScreenIndices();
    static std::string ColourReply(int entry);
    std::string LineReply(int line);
    int CommandsSeen() const { return m_nCommands; }
    // The last commands received (at most 100), oldest first.
    const std::vector<std::string>& CommandLog() const { return m_log; }

  private:
    bool IsDataCommand(const std::string& c) const;
    SimReply Respond(const std::string& command, FaultKind fault, bool matching);
    std::string DataReply(char trace);
    void SaveStore(const std::string& name);
    void LoadStore();

    SimOptions m_options;
    std::map<std::string, std::vector<std::string>> m_store;
    const std::vector<std::string>* m_pUpload = nullptr;
    std::vector<std::string> m_uploadCopy;
    size_t m_nUploadLine = 0;
    uint32_t m_nLiveSeed = 100;
    int m_nCommands = 0;
    int m_nMatched = 0;  // matching commands since the fault was set
    std::vector<std::string> m_log;
    std::vector<uint8_t> m_screen;
    std::map<std::string, std::map<std::string, std::vector<std::string>>> m_files;
    std::string m_downKind, m_downName;
    std::vector<std::string> m_downLines;
    bool m_bDownloading = false;
};

}  // namespace fl::sim
