#include "CMyQuarnView.h"

#include <QContextMenuEvent>
#include <QInputDialog>
#include <QMenu>
#include <QPainter>
#include <QSettings>

#include "LevelDialog.h"
#include "PageCanvas.h"
#include "PanelText.h"
#include "Text.h"

namespace fl {

namespace {

struct Entry {
    const char* text;
    ViewCommand command;
};

const Entry kEntries[] = {
    {"Markers Trace A ", ViewCommand::MarkersA},
    {"Markers Trace B", ViewCommand::MarkersB},
    {"Trace A", ViewCommand::TraceA},
    {"Trace B", ViewCommand::TraceB},
    {"Show All Parameters", ViewCommand::ShowAll},
    {"Hide All Parameters", ViewCommand::HideAll},
    {"Level", ViewCommand::Level},
    {"Status", ViewCommand::Status},
    {"Trace/Detector", ViewCommand::TraceDetector},
    {"External Device", ViewCommand::ExternalDevice},
    {"Instrument", ViewCommand::Instrument},
    {"GPS", ViewCommand::Gps},
    {"&Grid", ViewCommand::Grid},
    {"Landscape", ViewCommand::Landscape},
    {"Portrait", ViewCommand::Portrait},
};

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

void CMyQuarnView::FillViewMenu(QMenu* menu) {
    for (const Entry& e : kEntries) {
        if (e.command == ViewCommand::TraceA || e.command == ViewCommand::ShowAll ||
            e.command == ViewCommand::Level || e.command == ViewCommand::Grid ||
            e.command == ViewCommand::Landscape)
            menu->addSeparator();
        QAction* a = menu->addAction(QString::fromUtf8(e.text));
        const MenuEntryState st = ViewMenuState(*m_doc, e.command);
        const bool checkable = e.command != ViewCommand::ShowAll && e.command != ViewCommand::HideAll;
        a->setCheckable(checkable);
        a->setChecked(st.checked);
        a->setEnabled(st.enabled);
        const ViewCommand c = e.command;
        connect(a, &QAction::triggered, this, [this, c] { RunViewCommand(c); });
    }
    menu->addSeparator();
    connect(menu->addAction("&Comment"), &QAction::triggered, this, &CMyQuarnView::EditComment);
}

void CMyQuarnView::RunViewCommand(ViewCommand c) {
    const int orientation = m_doc->m_nOrientation;
    if (!ApplyViewCommand(*m_doc, c, m_defaults)) return;
    update();
    emit documentChanged();
    if (orientation != m_doc->m_nOrientation) emit orientationChanged();
}

void CMyQuarnView::EditComment() {
    bool ok = false;
    const QString text = QInputDialog::getText(this, "Comment", "Comment:", QLineEdit::Normal,
                                               FromCp1252(m_doc->m_strComment), &ok);
    if (!ok) return;
    const std::string value = ToCp1252(text);
    if (value == m_doc->m_strComment) return;
    m_doc->m_strComment = value;
    m_doc->SetModifiedFlag();
    update();
    emit documentChanged();
}

void CMyQuarnView::EditLevel() {
    LevelDialog dlg(
        *m_doc, ModeDisplayName(m_doc->m_strMode), [this] { update(); }, this);
    if (dlg.exec() == QDialog::Accepted) emit documentChanged();
}

void CMyQuarnView::contextMenuEvent(QContextMenuEvent* e) {
    QMenu menu(this);
    FillViewMenu(&menu);
    menu.addSeparator();
    menu.addAction("Level...", this, [this] { EditLevel(); });
    menu.exec(e->globalPos());
}

}  // namespace fl
