// The one instrument of the program and everything that talks to it: the port, the command channel, trace
// retrieval, the live trace worker, the GPS receiver and the demo simulator. The windows subscribe to its
// signals and build nothing of the link themselves.
#pragma once

#include <QObject>
#include <QTimer>
#include <memory>

#include "CommandChannel.h"
#include "GpsReceiver.h"
#include "InstrumentSession.h"
#include "LiveTrace.h"
#include "QtPrompts.h"
#include "TraceRetrieval.h"

class QWidget;

namespace fl {

namespace sim {
class SimServer;
}

class Instrument : public QObject {
    Q_OBJECT
  public:
    // `dialogParent` owns the message boxes; `sink` receives the traces the instrument sends.
    Instrument(QWidget* dialogParent, ITraceSink& sink);
    ~Instrument() override;

    CommandChannel& Channel() { return m_channel; }
    TraceRetrieval& Retrieval() { return m_retrieval; }
    QtPrompts& Prompts() { return m_prompts; }
    GpsReceiver& Gps() { return m_gps; }
    CPort& Port() { return m_port; }
    // The thread every instrument job runs on.
    InstrumentSession& Session() { return *m_session; }
    // Uploads traces on the session thread and makes their windows here: Get Trace's names, or the
    // instrument's current trace (Display Trace). False when cancelled or an exchange failed.
    bool UploadTraces(const std::vector<std::string>& names);
    bool DisplayActiveTrace();

    bool IsConnected() const { return m_channel.IsConnected(); }
    InstrumentMenuState MenuState() const { return m_channel.MenuState(); }
    // Status bar pane 1.
    QString PaneText() const;
    // Identifies the connected instrument, so a live window can be told apart from another instrument's.
    QString Identity() const;

    // Connect toggles: disconnects when connected.
    void ToggleConnection();
    // The welcome dialog's choice (0 serial, 1 LAN); a successful connection writes the default profile.
    bool ConnectBy(int linkKind);
    // The Connect dialog ("Serial / LAN for Quarn...").
    void RunConnectDialog();
    // Offers the Connect dialog when not connected; true when connected afterwards.
    bool AskToConnect();

    // A simulated Quarn2 on loopback, connected at once. Its address never reaches the stored profile.
    bool StartDemo();
    bool IsDemo() const { return m_demo != nullptr; }
    sim::SimServer* Demo() { return m_demo.get(); }  // tests switch its faults
    // The default profile with the user's own connection, never the demo's loopback address.
    void WriteDefaultProfile();

    // The live trace worker on the channel; updates and the end arrive on the GUI thread.
    void StartLiveWorker(const LiveSettings& settings, LiveTraceWorker::ViewStateFn view,
                         std::function<void(const LiveUpdate&)> update);
    // Stops the worker at once and resynchronises the link ("IDN?").
    void StopLiveWorker();
    bool LiveWorkerRunning() const { return m_liveWorker && m_liveWorker->Running(); }

    // The orderly end: the live worker before the port, local mode, the port, the profile, the GPS.
    void Shutdown();

  signals:
    // Connection, model or worker state changed: menus, toolbar and status panes follow.
    void stateChanged();
    // The live worker ended by itself (counted updates done or a failed query).
    void liveWorkerEnded();

  private:
    // While idle, notices a link that went away (the instrument switched off, the cable pulled).
    void WatchLink();
    bool RunRetrieval(const std::string& title, const std::function<bool(TraceRetrieval&)>& work);

    CPort m_port;
    ConnectionState m_state;
    QtPrompts m_prompts;
    CommandChannel m_channel;
    TraceRetrieval m_retrieval;
    std::unique_ptr<InstrumentSession> m_session;
    ITraceSink& m_sink;
    ParseRecord m_jobParsed;  // the session thread's own record: the GUI may read files meanwhile
    GpsReceiver m_gps;
    std::unique_ptr<LiveTraceWorker> m_liveWorker;
    std::unique_ptr<sim::SimServer> m_demo;
    // The user's own LAN settings, kept while the demo's loopback address is in use.
    int m_userLinkKind = 0;
    std::string m_userIp;
    int m_userTcpPort = 0;
    int m_demoPort = 0;
    bool m_shutDown = false;
    QTimer* m_watch = nullptr;
};

}  // namespace fl
