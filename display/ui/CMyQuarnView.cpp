#include "CMyQuarnView.h"

#include <QContextMenuEvent>
#include <QPainter>
#include <QSettings>

#include "PageCanvas.h"
#include "PanelText.h"
#include "Text.h"

namespace fl {

namespace {

std::string ToCp1252(const QString& s) {
    std::string out;
    for (QChar c : s) {
        const ushort u = c.unicode();
        out.push_back(u < 256 ? static_cast<char>(u) : '?');
    }
    return out;
}

}  // namespace

CMyQuarnView::CMyQuarnView(std::shared_ptr<CMyQuarnDoc> doc, DisplayPreferences& defaults, QWidget* parent)
    : QWidget(parent), m_doc(std::move(doc)), m_defaults(defaults) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(200, 150);
}

RenderOptions CMyQuarnView::CurrentRenderOptions() {
    QSettings s("Zarnell", "Fieldlink");
    s.beginGroup("SETTINGS");
    RenderOptions o;
    o.headLeft = ToCp1252(s.value("PHeadLeft", "").toString());
    o.headRight = ToCp1252(s.value("PHeadRight", "").toString());
    o.showFilePath = s.value("ShowFilePath", 1).toInt() != 0;
    return o;
}

void CMyQuarnView::paintEvent(QPaintEvent*) {
    // Qt double-buffers the widget: the page is drawn off-screen and shown in one step.
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    m_layout = RenderPage(p, QRectF(rect()), *m_doc, CurrentRenderOptions());
}

void CMyQuarnView::RunViewCommand(ViewCommand c) {
    const int orientation = m_doc->m_nOrientation;
    if (!ApplyViewCommand(*m_doc, c, m_defaults)) return;
    update();
    emit documentChanged();
    if (orientation != m_doc->m_nOrientation) emit orientationChanged();
}

void CMyQuarnView::contextMenuEvent(QContextMenuEvent* e) {
    emit contextMenuRequested(e->globalPos());
}

}  // namespace fl
