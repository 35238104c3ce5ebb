// The live trace worker: polls the instrument's current trace data and results on its own thread and
// hands every update to the GUI (or the CLI) through a callback.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "CommandChannel.h"
#include "TraceRetrieval.h"

namespace fl {

struct LiveSettings {
    bool counted = false;  // false: continuous
    int count = 1;         // 1 to 999 updates
    int intervalSeconds = 0;
    bool newWindow = true;
    bool save = false;
    int fileType = 0;  // index into LiveFileTypes()
    std::string fileName = "Trace";
    std::string path;
};

// One update: the trace data and whichever results the measurement flags asked for.
struct LiveUpdate {
    int number = 0;  // the file number of this update (2, 3, ...; the first transfer is 1)
    std::vector<double> traceA;
    std::vector<double> traceB;  // empty when trace B was not queried
    enum class Result { None, Counter, Measure, CableLoss, LimitResult, Emf } result = Result::None;
    double counterFreq = 0, obw = 0, acprLower = 0, acprMain = 0, acprUpper = 0, cpower = 0, cableLoss = 0,
           emf = 0;
    bool obwValid = false, acprValid = false, cpowerValid = false;
    std::string limitResult;
};

// What the worker reads of the live view when it starts each update.
struct LiveViewState {
    std::vector<double> traceA;
    std::vector<double> traceB;
    bool showsTraceB = false;
    int traceModeB = 5;
};

// Writes one update into the live document's record: the trace data and the result it carries.
void ApplyLiveUpdate(const LiveUpdate& u, TraceRecord& record);
// What the worker needs of the live document when it starts an update.
LiveViewState LiveViewOf(const TraceRecord& record);

class LiveTraceWorker {
  public:
    using ViewStateFn = std::function<LiveViewState()>;
    using UpdateFn = std::function<void(const LiveUpdate&)>;  // called on the worker thread
    using EndFn = std::function<void()>;                      // restore the user interface

    LiveTraceWorker(CommandChannel& channel, const MeasurementFlags& flags,
                    const ParseRecord& parsed = s_parsed)
        : m_channel(channel), m_flags(flags), m_parsed(parsed) {}
    ~LiveTraceWorker() { Stop(); }

    // Where the run goes: a job of the program's instrument session, or, when empty, a thread of its own.
    std::function<void(std::function<void()>)> executor;

    void Start(const LiveSettings& settings, ViewStateFn view, UpdateFn update, EndFn end);
    // Ends the worker at once, even in the middle of an exchange, then resynchronises with "IDN?".
    void Stop();
    // Waits until the worker ends by itself (counted mode or a failed query).
    void Join();
    bool Running() const { return m_bRunning; }
    // The run ended because an exchange failed or a data reply was no trace data (not by a stop or by
    // its count); Failure() says why when there is more to say than the message already shown.
    bool Failed() const { return m_bFailed; }
    std::string Failure() const;

    // One result query by the first set flag, applied to `u`. False when the exchange failed.
    static bool QueryResults(CommandChannel& channel, const MeasurementFlags& flags, LiveUpdate& u);

  private:
    void Run(LiveSettings settings, ViewStateFn view, UpdateFn update, EndFn end);
    bool Pause(int milliseconds);
    void Fail(const std::string& why);
    void MarkDone();
    void WaitDone();

    CommandChannel& m_channel;
    const MeasurementFlags& m_flags;
    const ParseRecord& m_parsed;
    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bFailed{false};
    std::string m_strFailure;  // guarded by m_mutex
    bool m_bPosted = false;    // the run went to the executor; guarded by m_mutex
    bool m_bDone = true;       // the executor's job has ended; guarded by m_mutex
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
};

}  // namespace fl
