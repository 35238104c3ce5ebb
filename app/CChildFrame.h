// The window of one trace document inside the main window's workspace.
#pragma once

#include <QMdiSubWindow>

#include "CMyQuarnView.h"

namespace fl {

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
  public:
    CChildFrame(std::shared_ptr<CMyQuarnDoc> doc, DisplayPreferences& defaults, QWidget* parent = nullptr);
    CMyQuarnView* View() { return m_view; }
    CMyQuarnDoc& Document() { return m_view->Document(); }
    void UpdateTitle();
    // Asked before the window closes: true when it may close (saved, discarded, or unmodified).
    std::function<bool(CChildFrame*)> confirmClose;
    // The instrument whose live trace this window shows; empty for every other window.
    QString liveSource;

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    CMyQuarnView* m_view;
};

}  // namespace fl
