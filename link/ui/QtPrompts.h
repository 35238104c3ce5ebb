// The prompts of the core as Qt dialogs. Calls from worker threads are carried to the GUI thread.
#pragma once

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <functional>

#include "Prompts.h"

class QDialog;
class QWidget;

namespace fl {

class QtPrompts : public QObject, public IPrompts {
    Q_OBJECT
  public:
    explicit QtPrompts(QWidget* parent) : m_parent(parent) {}
    QWidget* DialogParent() const { return m_parent; }
    void Message(const std::string& text, PromptIcon icon) override;
    bool YesNo(const std::string& text) override;
    void SetStatus(int pane, const std::string& text) override;
    void WaitCursor(bool on) override;
    void ProgressBegin(const std::string& title, int range) override;
    void ProgressStep(int position) override;
    void ProgressEnd() override;

    // The progress window of an instrument job: shown from its start (after a moment), with Cancel, fed
    // by the job's own progress calls from the session thread, closed by EndSessionProgress.
    void BeginSessionProgress(const std::string& title, std::function<void()> cancel);
    void EndSessionProgress();

    // Every modal dialog of a command runs through here, so tests can answer it like a message.
    int Exec(QDialog& dialog);

    std::function<void(int, const QString&)> statusSink;
    // Tests answer here instead of showing dialogs; set, they receive every message and question.
    std::function<bool(const QString&)> scripted;
    // Tests run or answer modal dialogs here; the result is what exec() would have returned.
    std::function<int(QDialog&)> scriptedDialog;
    // Tests answer questions with more than two buttons here: the text of the button pressed.
    std::function<QString(const QString& text, const QStringList& buttons)> scriptedChoice;

  private:
    void OnGuiThread(const std::function<void()>& f);
    QWidget* m_parent;
    QPointer<QProgressDialog> m_progress;
    bool m_bSession = false;              // a session job owns the progress window
    QPointer<QProgressDialog> m_session;  // the jobs' window, kept between jobs
    QMetaObject::Connection m_cancelConnection;
    int m_nWait = 0;
};

}  // namespace fl
