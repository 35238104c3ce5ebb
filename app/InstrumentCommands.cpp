#include "InstrumentCommands.h"

#include "CChildFrame.h"
#include "DataTransferDialog.h"
#include "DocumentCommands.h"
#include "DocumentHost.h"
#include "GetTraceDialog.h"
#include "GpsWindows.h"
#include "Instrument.h"
#include "ScreenDumpWindow.h"

namespace fl {

InstrumentCommands::InstrumentCommands(Instrument& instrument, DocumentHost& host,
                                       DocumentCommands& documents)
    : m_instrument(instrument), m_host(host), m_documents(documents) {}

InstrumentCommands::~InstrumentCommands() {
    CloseGpsWindow();
}

void InstrumentCommands::RepaintActive() {
    if (CChildFrame* f = m_host.ActiveFrame()) f->View()->update();
}

void InstrumentCommands::GetTrace() {
    if (!m_instrument.IsConnected()) {
        // Get Trace does not go on after the Connect dialog, whatever its outcome.
        if (m_instrument.Prompts().YesNo("Not connected.\nConnect now?")) m_instrument.RunConnectDialog();
        return;
    }
    TraceRetrieval& r = m_instrument.Retrieval();
    r.flags.displayMode = false;
    // The listing and the upload are jobs of the instrument session; the dialog only chooses.
    std::vector<std::string> names;
    ListStatus listed = ListStatus::Failed;
    if (!m_instrument.Session().Run("Get Trace",
                                    [&] { listed = ListSavedTraces(m_instrument.Channel(), names); }) ||
        listed != ListStatus::Ok)
        return;
    GetTraceDialog dlg(names, m_host.Window());
    if (m_instrument.Prompts().Exec(dlg) != QDialog::Accepted) return;
    m_instrument.UploadTraces(dlg.Selected());
    RepaintActive();
}

void InstrumentCommands::DisplayTrace() {
    if (!m_instrument.IsConnected()) return;
    m_instrument.Retrieval().flags.displayMode = true;
    m_instrument.DisplayActiveTrace();
    RepaintActive();
}

void InstrumentCommands::DataTransfer(int tab) {
    // The dialog opens whatever the Connect dialog's outcome: the PC side works without an instrument.
    if (!m_instrument.IsConnected() && m_instrument.Prompts().YesNo("Not connected.\nConnect now?"))
        m_instrument.RunConnectDialog();
    InstrumentSession& session = m_instrument.Session();
    DataTransferDialog dlg(
        m_instrument.Channel(), tab, m_host.Window(),
        [&session](const std::string& title, const std::function<void()>& job) {
            return session.Run(title, job);
        },
        [&session] { return session.Cancelled(); });
    dlg.openTrace = [this](const QString& path) { m_documents.OpenFile(path); };
    dlg.openEditor = [this](const QString& path) { return m_host.OpenEditorFile(path); };
    m_instrument.Prompts().Exec(dlg);
    emit m_instrument.stateChanged();
}

void InstrumentCommands::ScreenDump() {
    if (!m_instrument.MenuState().screenDump) return;
    InstrumentSession& session = m_instrument.Session();
    ScreenDumpWindow window(m_instrument.Channel(), m_host.Window(),
                            [&session](std::function<void()> job) { session.Post(std::move(job)); });
    m_instrument.Prompts().Exec(window);
    emit m_instrument.stateChanged();  // a dump reopens the link
}

void InstrumentCommands::GpsWindow() {
    if (!m_gpsWindow) m_gpsWindow = new fl::GpsWindow(m_instrument.Gps(), m_host.Window());
    m_gpsWindow->show();
    m_gpsWindow->raise();
}

void InstrumentCommands::CloseGpsWindow() {
    delete m_gpsWindow;
}

}  // namespace fl
