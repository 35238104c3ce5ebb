#include "LiveTrace.h"

#include "Text.h"

namespace fl {

void ApplyLiveUpdate(const LiveUpdate& u, TraceRecord& d) {
    d.m_arrTraceA = u.traceA;
    if (!u.traceB.empty()) d.m_arrTraceB = u.traceB;
    switch (u.result) {
        case LiveUpdate::Result::Counter:
            d.m_dCounterFreq = u.counterFreq;
            break;
        case LiveUpdate::Result::Measure:
            if (u.obwValid) d.m_dResultObw = u.obw;
            if (u.acprValid) {
                d.m_dResultAcprLower = u.acprLower;
                d.m_dResultAcprMain = u.acprMain;
                d.m_dResultAcprUpper = u.acprUpper;
            }
            if (u.cpowerValid) d.m_dResultCpower = u.cpower;
            break;
        case LiveUpdate::Result::CableLoss:
            d.m_dResultCableLoss = u.cableLoss;
            break;
        case LiveUpdate::Result::LimitResult:
            d.m_strTraceDataLimit = u.limitResult;
            break;
        case LiveUpdate::Result::Emf:
            d.m_dResultEmf = u.emf;
            break;
        case LiveUpdate::Result::None:
            break;
    }
}

LiveViewState LiveViewOf(const TraceRecord& d) {
    return {d.m_arrTraceA, d.m_arrTraceB, d.m_bShowTraceB != 0, d.m_nTraceModeB};
}

void LiveTraceWorker::Start(const LiveSettings& settings, ViewStateFn view, UpdateFn update, EndFn end) {
    Stop();
    m_bStop = false;
    m_bFailed = false;
    m_strFailure.clear();
    m_bRunning = true;
    if (!executor) {
        m_thread = std::thread(&LiveTraceWorker::Run, this, settings, std::move(view), std::move(update),
                               std::move(end));
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_bPosted = true;
        m_bDone = false;
    }
    executor([this, settings, view = std::move(view), update = std::move(update), end = std::move(end)] {
        Run(settings, view, update, end);
        MarkDone();
    });
}

void LiveTraceWorker::MarkDone() {
    {
        std::lock_guard lock(m_mutex);
        m_bDone = true;
    }
    m_cv.notify_all();
}

void LiveTraceWorker::WaitDone() {
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [&] { return m_bDone; });
}

bool LiveTraceWorker::Pause(int ms) {
    std::unique_lock lock(m_mutex);
    return !m_cv.wait_for(lock, std::chrono::milliseconds(ms), [&] { return m_bStop.load(); });
}

void LiveTraceWorker::Stop() {
    bool posted;
    {
        std::lock_guard lock(m_mutex);
        posted = m_bPosted;
    }
    if (!m_thread.joinable() && !posted) return;
    const bool wasRunning = m_bRunning;
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_cv.notify_all();
    m_channel.Port().Interrupt();
    if (posted)
        WaitDone();
    else
        m_thread.join();
    m_channel.Port().ClearInterrupt();
    // The exchange in progress may have been cut; discard its rest and resynchronise (where the run ran).
    auto resync = [this] { m_channel.Resynchronise(); };
    if (wasRunning) {
        if (posted) {
            {
                std::lock_guard lock(m_mutex);
                m_bDone = false;
            }
            executor([this, resync] {
                resync();
                MarkDone();
            });
            WaitDone();
        } else {
            resync();
        }
    }
    std::lock_guard lock(m_mutex);
    m_bPosted = false;
}

void LiveTraceWorker::Join() {
    bool posted;
    {
        std::lock_guard lock(m_mutex);
        posted = m_bPosted;
    }
    if (posted)
        WaitDone();
    else if (m_thread.joinable())
        m_thread.join();
}

bool LiveTraceWorker::QueryResults(CommandChannel& ch, const MeasurementFlags& f, LiveUpdate& u) {
    std::string reply;
    if (f.markerCounter) {
        u.result = LiveUpdate::Result::Counter;
        if (!ch.Transact("CALCulate:MARKer:FCOunt?", reply)) return false;
        u.counterFreq = LeadingReal(CleanReply(reply));
    } else if (f.measure || f.channelPowerInstrument) {
        u.result = LiveUpdate::Result::Measure;
        if (!ch.Transact("CALCulate:MEASure:OBW?", reply)) return false;
        u.obw = LeadingReal(CleanReply(reply));
        u.obwValid = true;
        if (!ch.Transact("CALCulate:MEASure:ACPR?", reply)) return false;
        const std::string text = CleanReply(reply);
        std::string_view rest = text;
        for (double* v : {&u.acprLower, &u.acprMain, &u.acprUpper}) {
            size_t c = rest.find(',');
            *v = LeadingReal(rest.substr(0, c));
            rest = c == std::string_view::npos ? std::string_view() : rest.substr(c + 1);
        }
        u.acprValid = true;
        if (!ch.Transact("CALCulate:MEASure:CPOWer?", reply)) return false;
        u.cpower = LeadingReal(CleanReply(reply));
        u.cpowerValid = true;
    } else if (f.cableLossInstrument) {
        u.result = LiveUpdate::Result::CableLoss;
        if (!ch.Transact("CALCulate:MEASure:ACLoss?", reply)) return false;
        u.cableLoss = LeadingReal(CleanReply(reply));
    } else if (f.limitResult) {
        u.result = LiveUpdate::Result::LimitResult;
        if (!ch.Transact("SENSe:TRACe:DATa:LIMit?", reply)) return false;
        u.limitResult = CleanReply(reply);
    } else if (f.emf) {
        u.result = LiveUpdate::Result::Emf;
        if (!ch.Transact("CALCulate:MEASure:EMF?", reply)) return false;
        u.emf = LeadingReal(CleanReply(reply));
    }
    return true;
}

void LiveTraceWorker::Run(LiveSettings s, ViewStateFn view, UpdateFn update, EndFn end) {
    int i = 1;
    int n = 1;
    std::string reply;
    // Only a reply that is trace data counts as an update; anything else ends the run and says why.
    auto query = [&](const char* command, std::vector<double>& trace) {
        if (!m_channel.Transact(command, reply)) {
            if (!m_bStop) Fail(m_channel.Lost() ? "the connection to the instrument was lost" : "");
            return false;
        }
        if (m_bStop) return false;
        const std::string problem = LiveDataProblem(reply);
        if (!problem.empty()) {
            m_channel.Prompts().Message(problem, PromptIcon::Error);
            Fail(problem);
            // Whatever is left of a garbled reply must not become the next command's reply.
            m_channel.Resynchronise();
            return false;
        }
        LiveTraceParse(reply, trace, m_parsed);
        return true;
    };
    while (!m_bStop) {
        if (s.counted && i >= s.count) break;
        if (!Pause(10 + s.intervalSeconds * 1000)) break;
        LiveViewState state = view();
        LiveUpdate u;
        u.traceA = state.traceA;
        if (!query("SENSe:TRACe:DATa? A", u.traceA)) break;
        bool hasB = false;
        for (double p : state.traceB)
            hasB |= p != kNoPoint;
        if (state.showsTraceB && hasB && state.traceModeB != TRACE_OFF) {
            u.traceB = state.traceB;
            if (!query("SENSe:TRACe:DATa? B", u.traceB)) break;
        }
        // A failed result query has shown its message; the loop goes on. The interface stays locked:
        // unlocking it while this thread still uses the port would let two threads talk at once.
        QueryResults(m_channel, m_flags, u);
        if (m_bStop || m_channel.Lost()) break;
        if (s.counted) ++i;
        ++n;
        u.number = n;
        update(u);
    }
    if (m_channel.Lost() && !m_bFailed && !m_bStop) Fail("the connection to the instrument was lost");
    m_bRunning = false;
    if (end && !m_bStop) end();
}

void LiveTraceWorker::Fail(const std::string& why) {
    std::lock_guard lock(m_mutex);
    m_bFailed = true;
    m_strFailure = why;
}

std::string LiveTraceWorker::Failure() const {
    std::lock_guard lock(m_mutex);
    return m_strFailure;
}

}  // namespace fl
