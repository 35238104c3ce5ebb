// The one thread that talks to the instrument. Commands hand it jobs; while a job runs the window goes on
// painting and taking clicks (a local event loop waits for the job), its progress window offers Cancel,
// and the commands that would use the port are greyed.
#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "CommandChannel.h"

namespace fl {

class QtPrompts;

class InstrumentSession : public QObject {
    Q_OBJECT
  public:
    InstrumentSession(CommandChannel& channel, QtPrompts& prompts);
    ~InstrumentSession() override;

    // Runs `job` on the session thread under a progress window titled `title` and returns when it ended:
    // true when it ran to its end, false when it was cancelled (or another job still runs). A cancelled
    // job's pending read is interrupted and the link resynchronised ("IDN?") before Run returns.
    bool Run(const std::string& title, const std::function<void()>& job);
    // Queues a job that runs as long as it likes (the live trace worker) without a progress window; the
    // caller ends and waits for it itself.
    void Post(std::function<void()> job);
    // Runs a short job without a window and blocks until it ended (the program's last words at closing,
    // when nothing else may run any more).
    void RunAndWait(const std::function<void()>& job);
    bool Busy() const { return m_bBusy; }
    // Ends the running job within a fraction of a second (Cancel, closing the progress window or the
    // program).
    void Cancel();
    // The job's own check between steps.
    bool Cancelled() const { return m_bCancelled; }

  signals:
    void busyChanged();

  private:
    void Loop();

    CommandChannel& m_channel;
    QtPrompts& m_prompts;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<std::function<void()>> m_jobs;
    bool m_bStop = false;
    bool m_bBusy = false;
    std::atomic<bool> m_bCancelled{false};
};

}  // namespace fl
