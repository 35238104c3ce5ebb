#include "LiveSession.h"

#include "AsciiExport.h"
#include "ConnectionSettings.h"
#include "ImageCodec.h"
#include "LiveTraceDialog.h"
#include "PageImage.h"

namespace fl {

namespace {
constexpr const char* kOverwriteQuestion =
    "The live trace window has changes that are not saved.\nOverwrite it with the new live trace?";
}

LiveSession::LiveSession(Instrument& instrument, DocumentHost& host)
    : m_instrument(instrument), m_host(host) {
    m_settings.path = s_settings.folderExport;
    connect(&m_instrument, &Instrument::liveWorkerEnded, this, [this] { SetRunning(false); });
}

void LiveSession::SetRunning(bool on) {
    if (m_bRunning == on) return;
    m_bRunning = on;
    emit runningChanged(on);
}

void LiveSession::Command() {
    if (m_bRunning || m_instrument.LiveWorkerRunning()) {
        Stop();
        return;
    }
    if (!m_instrument.IsConnected()) return;
    LiveTraceDialog dlg(m_settings, m_host.Window());
    if (m_instrument.Prompts().Exec(dlg) != QDialog::Accepted) {
        m_instrument.Retrieval().flags.liveRunning = false;
        return;
    }
    Start(dlg.Settings());
}

CChildFrame* LiveSession::WindowToOverwrite() {
    if (m_settings.newWindow) return nullptr;
    CChildFrame* active = m_host.ActiveFrame();
    // Only a window that shows a live trace of this same instrument is overwritten; any other document
    // keeps its data and the live trace gets a window of its own.
    if (!active || active->liveSource.isEmpty() || active->liveSource != m_instrument.Identity())
        return nullptr;
    if (active->Document().IsModified() && !m_instrument.Prompts().YesNo(kOverwriteQuestion)) return nullptr;
    return active;
}

bool LiveSession::Start(const LiveSettings& settings) {
    m_settings = settings;
    if (m_settings.save) s_settings.folderExport = m_settings.path;
    // Saved updates continue after the files already in the folder; none is ever replaced.
    m_nFirstNumber =
        m_settings.save ? FirstFreeLiveNumber(m_settings.path, m_settings.fileName, m_settings.fileType) : 1;
    RetrievalFlags& flags = m_instrument.Retrieval().flags;
    CChildFrame* target = WindowToOverwrite();
    if (target) m_host.Activate(target);
    flags.liveRunning = true;
    flags.displayMode = true;
    flags.newWindow = target == nullptr;
    const int before = m_host.Frames().size();
    const bool ok = m_instrument.DisplayActiveTrace();  // a job of the instrument session
    flags.newWindow = true;
    CChildFrame* frame = target ? target : (m_host.Frames().size() > before ? m_host.ActiveFrame() : nullptr);
    if (!ok || !frame) {
        flags.liveRunning = false;
        // A failed first transfer may leave half a reply on the line: resynchronise as a stop does.
        if (m_instrument.IsConnected())
            m_instrument.Session().Run("Live Trace", [this] { m_instrument.Channel().Resynchronise(); });
        return false;
    }
    m_frame = frame;
    // Each live window has a name of its own ("Live Trace 2"); an overwritten one keeps its name.
    if (!target) m_frame->Document().SetTitle("Live Trace " + std::to_string(++m_windowsStarted));
    m_frame->liveSource = m_instrument.Identity();
    m_frame->UpdateTitle();
    Save(1);
    if (m_settings.counted && m_settings.count <= 1) {
        flags.liveRunning = false;
        return true;
    }
    {
        std::lock_guard lock(m_viewMutex);
        m_view = LiveViewOf(m_frame->Document());
    }
    SetRunning(true);
    m_instrument.StartLiveWorker(
        m_settings,
        [this] {
            std::lock_guard lock(m_viewMutex);
            return m_view;
        },
        [this](const LiveUpdate& u) { Apply(u); });
    return true;
}

void LiveSession::Stop() {
    m_instrument.StopLiveWorker();
    m_instrument.Retrieval().flags.liveRunning = false;
    SetRunning(false);
}

void LiveSession::Apply(const LiveUpdate& u) {
    if (!m_frame || !m_bRunning) return;
    CMyQuarnDoc& d = m_frame->Document();
    ApplyLiveUpdate(u, d);
    {
        std::lock_guard lock(m_viewMutex);
        m_view = LiveViewOf(d);
    }
    m_frame->View()->update();  // repaints coalesce to the display rate
    Save(u.number);
}

void LiveSession::Save(int number) {
    if (!m_settings.save || !m_frame) return;
    const std::string path =
        LiveSavePath(m_settings.path, m_settings.fileName, m_settings.fileType, m_nFirstNumber + number - 1);
    std::string error;
    CMyQuarnDoc& doc = m_frame->Document();
    bool ok = true;
    // A copy is written: the window stays the live window, not the last file, so that a later Save
    // never puts later data into that file.
    if (m_settings.fileType == 0)
        ok = CMyQuarnDoc(doc).WriteTo(path, &error, false);
    else if (m_settings.fileType == 1)
        ok = WriteAsciiReport(doc, path, true, &error, false);
    else  // the page as the view shows it, in the chosen image format
        ok = SaveImage(ToBitmap24(RenderPageImage(doc, std::max(200, m_frame->View()->width()),
                                                  std::max(150, m_frame->View()->height()),
                                                  CMyQuarnView::CurrentRenderOptions())),
                       path, &error, false);
    if (!ok) m_instrument.Prompts().SetStatus(0, error);
}

}  // namespace fl
