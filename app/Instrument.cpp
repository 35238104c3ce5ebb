#include "Instrument.h"
#include "QtText.h"

#include <QWidget>

#include "ConnectDialog.h"
#include "ConnectDialogLogic.h"
#include "ConnectionSettings.h"
#include "SimServer.h"

namespace fl {

Instrument::Instrument(QWidget* dialogParent, ITraceSink& sink)
    : m_prompts(dialogParent),
      m_channel(m_port, s_settings, m_state, m_prompts),
      m_retrieval(m_channel, sink),
      m_session(std::make_unique<InstrumentSession>(m_channel, m_prompts)),
      m_sink(sink) {
    connect(m_session.get(), &InstrumentSession::busyChanged, this, &Instrument::stateChanged);
    // The connection defaults, then the default profile.
    s_settings.linkKind = 0;
    s_settings.comPort = 1;
    s_settings.baudRate = "57600";
    s_settings.ipAddress = "0.0.0.0";
    s_settings.tcpPort = 49200;
    ReadProfile("default", s_settings);
    s_settings.profileName = "default";
    m_gps.positionFormat = s_settings.gpsPositionFormat;
    m_gps.altitudeUnit = s_settings.gpsAltitudeUnit;
    m_gps.speedUnit = s_settings.gpsSpeedUnit;
    // A lost link disconnects the program at once, whichever thread found out: menus, toolbar and status
    // bar follow on the GUI thread.
    m_channel.onLinkLost = [this] {
        QMetaObject::invokeMethod(
            this, [this] { emit stateChanged(); }, Qt::QueuedConnection);
    };
    m_watch = new QTimer(this);
    m_watch->setInterval(1000);
    connect(m_watch, &QTimer::timeout, this, &Instrument::WatchLink);
    m_watch->start();
}

void Instrument::WatchLink() {
    // Only while nothing else uses the port: the live worker and the screen dump find out themselves.
    if (!IsConnected() || LiveWorkerRunning() || m_session->Busy() || m_port.m_bPaced || !m_port.PeerGone())
        return;
    m_channel.LinkLost(m_port.LinkKind() == 1 ? "The instrument closed the connection."
                                              : "The serial device hung up.");
}

Instrument::~Instrument() {
    if (m_liveWorker) m_liveWorker->Stop();
    m_gps.Stop();
    if (m_demo) m_demo->Stop();
}

QString Instrument::PaneText() const {
    return IsConnected() ? FromCp1252(m_channel.PaneText()) : QString("NOT CONNECTED    ");
}

QString Instrument::Identity() const {
    if (!IsConnected()) return {};
    return FromCp1252(CleanReply(m_channel.LastIdentity()));
}

void Instrument::ToggleConnection() {
    m_session->Run("Connect", [this] { m_channel.ConnectCommand(); });
    emit stateChanged();
}

bool Instrument::ConnectBy(int linkKind) {
    bool ok = false;
    m_session->Run("Connect", [&] { ok = m_channel.ConnectInstrument(linkKind); });
    if (ok) WriteDefaultProfile();
    emit stateChanged();
    return ok;
}

void Instrument::RunConnectDialog() {
    ConnectDialog dlg(m_channel, ProbeComPorts(), m_prompts.DialogParent());
    dlg.runJob = [this](const std::function<void()>& job) { m_session->Run("Connect", job); };
    m_prompts.Exec(dlg);
    // The dialog's own profile writing would store the demo's loopback address as the user's LAN.
    if (!(m_demo && s_settings.linkKind == 1 && s_settings.ipAddress == "127.0.0.1" &&
          s_settings.tcpPort == m_demoPort))
        dlg.Logic().AfterClose();
    emit stateChanged();
}

bool Instrument::AskToConnect() {
    if (IsConnected()) return true;
    if (m_prompts.YesNo("Not connected.\nConnect now?")) RunConnectDialog();
    return IsConnected();
}

bool Instrument::StartDemo() {
    try {
        if (!m_demo) {
            m_demo = std::make_unique<sim::SimServer>(sim::SimOptions{});
            m_demoPort = m_demo->ListenTcp("127.0.0.1", 0);
            m_demo->Start();
            m_userLinkKind = s_settings.linkKind;
            m_userIp = s_settings.ipAddress;
            m_userTcpPort = s_settings.tcpPort;
        }
        s_settings.linkKind = 1;
        s_settings.ipAddress = "127.0.0.1";
        s_settings.tcpPort = m_demoPort;
    } catch (const std::exception& e) {
        m_prompts.Message(std::string("The demo instrument could not start: ") + e.what(), PromptIcon::Error);
        return false;
    }
    bool ok = false;
    m_session->Run("Connect", [&] { ok = m_channel.ConnectInstrument(1); });
    emit stateChanged();
    return ok;
}

void Instrument::WriteDefaultProfile() {
    ConnectionSettings values = s_settings;
    values.profileName = "default";
    if (m_demo && values.linkKind == 1 && values.ipAddress == "127.0.0.1" && values.tcpPort == m_demoPort) {
        values.linkKind = m_userLinkKind;
        values.ipAddress = m_userIp;
        values.tcpPort = m_userTcpPort;
    }
    s_settings.profileName = "default";
    WriteProfile(values);
}

namespace {
// Traces a job uploaded, kept until the GUI thread makes their windows.
struct CollectedTraces : ITraceSink {
    struct Trace {
        bool newDocument;
        ParseRecord record;
    };
    std::vector<Trace> traces;
    void NewDocument(const ParseRecord& p) override { traces.push_back({true, p}); }
    void ReloadActive(const ParseRecord& p) override { traces.push_back({false, p}); }
};
}  // namespace

bool Instrument::UploadTraces(const std::vector<std::string>& names) {
    return RunRetrieval(names.size() == 1 ? names.front() : std::string("Get Trace"),
                        [names](TraceRetrieval& r) { return r.TraceUpload(names); });
}

bool Instrument::DisplayActiveTrace() {
    return RunRetrieval("Loading Active Trace...", [](TraceRetrieval& r) { return r.DisplayActiveTrace(); });
}

bool Instrument::RunRetrieval(const std::string& title, const std::function<bool(TraceRetrieval&)>& work) {
    CollectedTraces collected;
    TraceRetrieval job(m_channel, collected, m_jobParsed);
    job.flags = m_retrieval.flags;
    job.programFolder = m_retrieval.programFolder;
    bool ok = false;
    const bool ran = m_session->Run(title, [&] { ok = work(job); });
    m_retrieval.flags.measurement = job.flags.measurement;
    m_retrieval.documentsMade = 0;
    if (!ran) return false;  // cancelled: no half-read trace becomes a document
    for (const auto& t : collected.traces) {
        if (t.newDocument)
            m_sink.NewDocument(t.record);
        else
            m_sink.ReloadActive(t.record);
        ++m_retrieval.documentsMade;
    }
    return ok;
}

void Instrument::StartLiveWorker(const LiveSettings& settings, LiveTraceWorker::ViewStateFn view,
                                 std::function<void(const LiveUpdate&)> update) {
    StopLiveWorker();
    m_liveWorker = std::make_unique<LiveTraceWorker>(m_channel, m_retrieval.flags.measurement, m_jobParsed);
    // The worker runs as a job of the session: the port has one user by construction.
    m_liveWorker->executor = [this](std::function<void()> job) { m_session->Post(std::move(job)); };
    m_liveWorker->Start(
        settings, std::move(view),
        [this, update](const LiveUpdate& u) {
            QMetaObject::invokeMethod(
                this, [update, u] { update(u); }, Qt::QueuedConnection);
        },
        [this] {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    emit liveWorkerEnded();
                    emit stateChanged();
                },
                Qt::QueuedConnection);
        });
    emit stateChanged();
}

void Instrument::StopLiveWorker() {
    if (!m_liveWorker) return;
    m_liveWorker->Stop();
    m_liveWorker.reset();
    emit stateChanged();
}

void Instrument::Shutdown() {
    if (m_shutDown) return;
    m_shutDown = true;
    // The worker goes first: closing the port under it would end its exchange with a transport error.
    StopLiveWorker();
    if (IsConnected())
        m_session->RunAndWait([this] {
            m_channel.SendOnly("SYST:COMM:LOC");
            m_channel.ClosePort();
        });
    WriteDefaultProfile();
    m_gps.Stop();
    if (m_demo) m_demo->Stop();
}

}  // namespace fl
