#include "QtPrompts.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QThread>

#include "PageCanvas.h"

namespace fl {

void QtPrompts::OnGuiThread(const std::function<void()>& f) {
    if (QThread::currentThread() == thread())
        f();
    else
        QMetaObject::invokeMethod(this, f, Qt::BlockingQueuedConnection);  // questions only: workers ask none
}

void QtPrompts::Message(const std::string& text, PromptIcon icon) {
    if (QThread::currentThread() != thread()) {
        // From a worker: shown later on the GUI thread, so the worker never waits for the user (and a GUI
        // thread that is stopping the worker cannot deadlock with it).
        QMetaObject::invokeMethod(
            this, [this, text, icon] { Message(text, icon); }, Qt::QueuedConnection);
        return;
    }
    OnGuiThread([&] {
        const QString t = FromCp1252(text);
        if (scripted) {
            scripted(t);
            return;
        }
        QMessageBox box(icon == PromptIcon::Error         ? QMessageBox::Critical
                        : icon == PromptIcon::Warning     ? QMessageBox::Warning
                        : icon == PromptIcon::Question    ? QMessageBox::Question
                        : icon == PromptIcon::Information ? QMessageBox::Information
                                                          : QMessageBox::NoIcon,
                        QApplication::applicationDisplayName(), t, QMessageBox::Ok, m_parent);
        box.exec();
    });
}

bool QtPrompts::YesNo(const std::string& text) {
    bool yes = false;
    OnGuiThread([&] {
        const QString t = FromCp1252(text);
        if (scripted) {
            yes = scripted(t);
            return;
        }
        yes = QMessageBox::question(m_parent, QApplication::applicationDisplayName(), t,
                                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    });
    return yes;
}

int QtPrompts::Exec(QDialog& dialog) {
    if (scriptedDialog) return scriptedDialog(dialog);
    return dialog.exec();
}

void QtPrompts::SetStatus(int pane, const std::string& text) {
    QMetaObject::invokeMethod(
        this,
        [this, pane, text] {
            if (statusSink) statusSink(pane, FromCp1252(text));
        },
        QThread::currentThread() == thread() ? Qt::DirectConnection : Qt::QueuedConnection);
}

void QtPrompts::WaitCursor(bool on) {
    if (QThread::currentThread() != thread()) return;  // the live worker runs behind a locked interface
    OnGuiThread([&] {
        if (on) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            ++m_nWait;
        } else if (m_nWait > 0) {
            QApplication::restoreOverrideCursor();
            --m_nWait;
        }
    });
}

void QtPrompts::ProgressBegin(const std::string& title, int range) {
    if (QThread::currentThread() != thread()) {
        // A job on the session thread: its window lives on the GUI thread.
        QMetaObject::invokeMethod(
            this, [this, title, range] { ProgressBegin(title, range); }, Qt::QueuedConnection);
        return;
    }
    if (!m_progress) {
        m_progress = new QProgressDialog(m_parent);
        m_progress->setCancelButton(nullptr);
        m_progress->setMinimumDuration(300);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
    }
    m_progress->setWindowTitle(FromCp1252(title));
    m_progress->setLabelText(FromCp1252(title));
    m_progress->setRange(0, range);
    m_progress->setValue(0);
}

void QtPrompts::ProgressStep(int position) {
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, position] { ProgressStep(position); }, Qt::QueuedConnection);
        return;
    }
    if (m_progress) m_progress->setValue(std::min(position, m_progress->maximum()));
    // Outside a session job the work runs on this thread: let the window paint.
    if (!m_bSession) QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtPrompts::ProgressEnd() {
    if (QThread::currentThread() != thread()) return;  // a job's window goes when the job ends
    if (m_bSession) return;
    // The window goes with its work: a reset dialog without auto-close would stay on screen (and show
    // itself again when its timer fires).
    if (m_progress) {
        m_progress->reset();
        m_progress->hide();
        m_progress->deleteLater();
        m_progress = nullptr;
    }
}

void QtPrompts::BeginSessionProgress(const std::string& title, std::function<void()> cancel) {
    ProgressEnd();
    m_bSession = true;
    // One window for every job, made once: showing it again costs the window nothing to build.
    if (!m_session) {
        m_session = new QProgressDialog(m_parent);
        m_session->setAutoClose(false);
        m_session->setAutoReset(false);
        m_session->setCancelButtonText("Cancel");
    }
    m_progress = m_session;
    disconnect(m_cancelConnection);
    // Cancel and closing the window both end the job.
    m_cancelConnection = connect(m_session, &QProgressDialog::canceled, this, [cancel] { cancel(); });
    m_session->setMinimumDuration(300);
    ProgressBegin(title, 0);  // busy until the job says how far it has come
}

void QtPrompts::EndSessionProgress() {
    m_bSession = false;
    disconnect(m_cancelConnection);
    if (m_session) {
        m_session->reset();
        m_session->hide();
    }
    m_progress = nullptr;
}

}  // namespace fl
