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

namespace {
// The print header settings, read once and again only after the Additional Information dialog saved.
RenderOptions s_options;
bool s_optionsRead = false;
}  // namespace

RenderOptions CMyQuarnView::CurrentRenderOptions() {
    if (s_optionsRead) return s_options;
    QSettings s("Zarnell", "Fieldlink");
    s.beginGroup("SETTINGS");
    RenderOptions o;
    o.headLeft = ToCp1252(s.value("PHeadLeft", "").toString());
    o.headRight = ToCp1252(s.value("PHeadRight", "").toString());
    o.showFilePath = s.value("ShowFilePath", 1).toInt() != 0;
    s_options = o;
    s_optionsRead = true;
    return o;
}

void CMyQuarnView::SettingsChanged() {
    s_optionsRead = false;
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
