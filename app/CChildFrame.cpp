#include "CChildFrame.h"

#include <QCloseEvent>

#include "Icons.h"
#include "PageCanvas.h"

namespace fl {

CChildFrame::CChildFrame(std::shared_ptr<CMyQuarnDoc> doc, DisplayPreferences& defaults, QWidget* parent)
    : QMdiSubWindow(parent) {
    m_view = new CMyQuarnView(std::move(doc), defaults, this);
    setWidget(m_view);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(MakeIcon("app"));
    connect(m_view, &CMyQuarnView::documentChanged, this, &CChildFrame::UpdateTitle);
    UpdateTitle();
}

void CChildFrame::UpdateTitle() {
    const CMyQuarnDoc& d = m_view->Document();
    QString title = FromCp1252(d.GetTitle().empty() ? d.m_strTraceName : d.GetTitle());
    if (title.isEmpty()) title = "Trace";
    setWindowTitle(title + (d.IsModified() ? "*" : ""));
}

void CChildFrame::closeEvent(QCloseEvent* e) {
    if (confirmClose && !confirmClose(this)) {
        e->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(e);
}

}  // namespace fl
