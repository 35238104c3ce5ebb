// The Live Trace command on the document side: the settings dialog, the window that receives the updates,
// the updates themselves and the files saved from them. The worker itself belongs to the instrument.
#pragma once

#include <QObject>
#include <QPointer>
#include <mutex>

#include "CChildFrame.h"
#include "DocumentHost.h"
#include "Instrument.h"

namespace fl {

class LiveSession : public QObject {
    Q_OBJECT
  public:
    LiveSession(Instrument& instrument, DocumentHost& host);

    // Live Trace (Ctrl+L): the settings dialog and the start, or the stop while running.
    void Command();
    // What Start in the dialog runs: the first transfer into the chosen window, then the worker.
    bool Start(const LiveSettings& settings);
    // Stops the worker (the link is resynchronised) and unlocks the interface.
    void Stop();
    // The interface stays locked from the start until the stop or the worker's own end.
    bool Running() const { return m_bRunning; }
    CChildFrame* Frame() const { return m_frame; }
    LiveSettings& Settings() { return m_settings; }

  signals:
    void runningChanged(bool running);

  private:
    // The window the first transfer replaces, or null for a new window.
    CChildFrame* WindowToOverwrite();
    void Apply(const LiveUpdate& u);
    void Save(int number);
    void SetRunning(bool on);

    Instrument& m_instrument;
    DocumentHost& m_host;
    LiveSettings m_settings;
    int m_nFirstNumber = 1;    // the file number of the first update
    int m_windowsStarted = 0;  // live windows opened in this program run, for their names
    QPointer<CChildFrame> m_frame;
    std::mutex m_viewMutex;
    LiveViewState m_view;  // what the worker reads of the live document, copied under the mutex
    bool m_bRunning = false;
};

}  // namespace fl
