#include "LimitEditor.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "QtText.h"
#include "Text.h"

namespace fl {

LimitLineDialog::LimitLineDialog(const LineValues& v, bool isNew, std::function<void(const QString&)> message,
                                 QWidget* parent)
    : QDialog(parent), m_message(std::move(message)) {
    setWindowTitle("Limit Lines");
    auto* type = new QGroupBox("Limit Type");
    m_upper = new QRadioButton("Upper");
    m_lower = new QRadioButton("Lower");
    m_upper->setObjectName("upper");
    m_lower->setObjectName("lower");
    auto* tl = new QVBoxLayout(type);
    tl->addWidget(m_upper);
    tl->addWidget(m_lower);
    auto* line = new QGroupBox("Limit Line");
    auto* form = new QFormLayout(line);
    const char* names[] = {"x1", "y1", "x2", "y2"};
    for (int i = 0; i < 4; ++i) {
        auto* f = new NumberField;
        f->setObjectName(names[i]);
        f->setAccessibleName(names[i]);
        f->setDecimals(1);
        // x from 0 to 10 divisions, y from 0 to 8.
        f->setRange(0, i % 2 == 0 ? 10 : 8);
        form->addRow(names[i], f);
        m_field[static_cast<size_t>(i)] = f;
    }
    LineValues shown = v;
    if (isNew) {
        shown.x2 = std::min(v.x1 + 1, 10.0);
        shown.y2 = v.y1;
    }
    (shown.lower ? m_lower : m_upper)->setChecked(true);
    m_field[0]->setValue(shown.x1);
    m_field[1]->setValue(shown.y1);
    m_field[2]->setValue(shown.x2);
    m_field[3]->setValue(shown.y2);
    m_opened = Values();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &LimitLineDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(type);
    layout->addWidget(line);
    layout->addWidget(buttons);
}

void LimitLineDialog::accept() {
    if (FieldsAccepted({m_field[0], m_field[1], m_field[2], m_field[3]}, m_message)) QDialog::accept();
}

LineValues LimitLineDialog::Values() const {
    return {m_lower->isChecked(), m_field[0]->value(), m_field[1]->value(), m_field[2]->value(),
            m_field[3]->value()};
}

LimitEditor::LimitEditor(EditorServices services, QString startFile, bool transferAllowed, QString* folder,
                         QWidget* parent)
    : SegmentEditor(std::move(services), std::move(startFile), transferAllowed, folder, parent) {
    Build({"  x1", "  y1", "  x2", "  y2", "  Type"}, {40, 40, 40, 40, 55}, nullptr);
    OpenStartFile();
}

SegmentEditor::Kind LimitEditor::FileKind() const {
    return {"Open Limits File...", "Save Limit Lines", "Quarn Limits (*.qlm *.QLM)", ".qlm",
            kLimitsUnsavedText};
}

QStringList LimitEditor::RowTexts(int row) const {
    const LimitLine& r = m_model.set.rows[static_cast<size_t>(row)];
    return {FromCp1252(r.x1), FromCp1252(r.y1), FromCp1252(r.x2), FromCp1252(r.y2), LimitTypeText(r.lower)};
}

void LimitEditor::Insert() {
    LimitLineDialog dlg(m_model.InsertProposal(), true, RangeMessage(), this);
    if (m_services.exec(dlg) != QDialog::Accepted) return;
    m_model.Insert(dlg.Values(), dlg.Changed());
}

void LimitEditor::Edit() {
    if (m_model.current == 0) return;
    LimitLineDialog dlg(m_model.Values(m_model.current), false, RangeMessage(), this);
    if (m_services.exec(dlg) != QDialog::Accepted) return;
    m_model.Edit(dlg.Values(), dlg.Changed());
}

void LimitEditor::Read(const std::string& bytes, const std::string& name) {
    m_model.Opened(ReadLimitText(bytes), name);
}

std::string LimitEditor::Text(const std::string& comment) {
    m_model.set.comment = comment;
    return LimitFileText(m_model.set);
}

std::vector<std::array<PixelPoint, 2>> LimitEditor::Pixels() const {
    std::vector<std::array<PixelPoint, 2>> out;
    for (const LimitLine& r : m_model.set.rows)
        out.push_back({LimitPixel(LeadingReal(r.x1), LeadingReal(r.y1)),
                       LimitPixel(LeadingReal(r.x2), LeadingReal(r.y2))});
    return out;
}

std::optional<GraphHit> LimitEditor::HitAt(QPointF area) const {
    return m_model.Hit(LimitPointerUnits(area.x(), area.y()));
}

void LimitEditor::DragTo(const GraphHit& hit, QPointF area) {
    m_model.Drag(hit, LimitPointerUnits(area.x(), area.y()));
}

std::pair<QString, QString> LimitEditor::Position(const GraphHit& hit) const {
    const LimitLine& r = m_model.set.rows[static_cast<size_t>(hit.row)];
    const std::string& x = hit.end == 0 ? r.x1 : r.x2;
    const std::string& y = hit.end == 0 ? r.y1 : r.y2;
    return {FromCp1252(Format("x=%.1f", LeadingReal(x))), FromCp1252(Format("y=%.1f", LeadingReal(y)))};
}

}  // namespace fl
