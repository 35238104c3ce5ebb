#include "InstrumentSession.h"

#include <QEventLoop>

#include "QtPrompts.h"

namespace fl {

InstrumentSession::InstrumentSession(CommandChannel& channel, QtPrompts& prompts)
    : m_channel(channel), m_prompts(prompts) {
    m_thread = std::thread(&InstrumentSession::Loop, this);
}

InstrumentSession::~InstrumentSession() {
    Cancel();
    {
        std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_cv.notify_all();
    m_thread.join();
}

void InstrumentSession::Loop() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(m_mutex);
            m_cv.wait(lock, [&] { return m_bStop || !m_jobs.empty(); });
            if (m_jobs.empty()) return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job();
    }
}

void InstrumentSession::Post(std::function<void()> job) {
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_cv.notify_all();
}

void InstrumentSession::RunAndWait(const std::function<void()>& job) {
    std::mutex doneMutex;
    std::condition_variable doneCv;
    bool done = false;
    Post([&] {
        job();
        std::lock_guard lock(doneMutex);
        done = true;
        doneCv.notify_all();
    });
    std::unique_lock lock(doneMutex);
    doneCv.wait(lock, [&] { return done; });
}

void InstrumentSession::Cancel() {
    if (!m_bBusy || m_bCancelled) return;
    m_bCancelled = true;
    m_channel.Port().Interrupt();  // the pending read ends now, not at its time-out
}

bool InstrumentSession::Run(const std::string& title, const std::function<void()>& job) {
    if (m_bBusy) return false;  // one job at a time; the commands that would start another are greyed
    m_bBusy = true;
    m_bCancelled = false;
    emit busyChanged();
    m_prompts.BeginSessionProgress(title, [this] { Cancel(); });
    QEventLoop loop;
    bool finished = false;
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back([&, job] {
            job();
            if (m_bCancelled) {
                // The exchange was cut: what is left of its reply must not become the next command's.
                m_channel.Port().ClearInterrupt();
                m_channel.Resynchronise();
            }
            QMetaObject::invokeMethod(
                this,
                [&] {
                    finished = true;
                    loop.quit();
                },
                Qt::QueuedConnection);
        });
    }
    m_cv.notify_all();
    if (!finished) loop.exec();
    m_prompts.EndSessionProgress();
    m_bBusy = false;
    emit busyChanged();
    return !m_bCancelled;
}

}  // namespace fl
