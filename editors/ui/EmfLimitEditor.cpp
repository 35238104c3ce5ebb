#include "EmfLimitEditor.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "PageCanvas.h"
#include "Text.h"

namespace fl {

EmfLimitPointsDialog::EmfLimitPointsDialog(const EmfPointValues& v, bool editing, const EmfLimitModel& model,
                                           std::function<void(const QString&)> message, QWidget* parent)
    : QDialog(parent), m_model(model), m_message(std::move(message)), m_opened(v) {
    setWindowTitle(editing ? "Edit" : "Limit Points");
    auto* type = new QGroupBox("Limit Type");
    m_upper = new QRadioButton("Upper");
    m_lower = new QRadioButton("Lower");
    auto* tl = new QVBoxLayout(type);
    tl->addWidget(m_upper);
    tl->addWidget(m_lower);
    (v.lower ? m_lower : m_upper)->setChecked(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(type);
    const QString levelUnit = FromCp1252(EmfUnitNames()[static_cast<size_t>(model.Settings().unit)]);
    for (int i = 0; i < 2; ++i) {
        auto* group = new QGroupBox(i == 0 ? "Start" : "Stop");
        auto* form = new QFormLayout(group);
        auto* f = new FrequencyField;
        f->Number()->setRange(0, 7.5e9);  // the raw field; OK checks the range in Hz
        f->SetHz(i == 0 ? v.f1 : v.f2);   // zero shows "MHz"
        form->addRow("Frequency:", f);
        auto* l = new NumberField;
        l->setValue(i == 0 ? v.l1 : v.l2);
        auto* lr = new QHBoxLayout;
        lr->addWidget(l);
        lr->addWidget(new QLabel(levelUnit));
        form->addRow("Level:", lr);
        layout->addWidget(group);
        m_freq[static_cast<size_t>(i)] = f;
        m_level[static_cast<size_t>(i)] = l;
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &EmfLimitPointsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

double EmfLimitPointsDialog::Hz(int i) const {
    return m_freq[static_cast<size_t>(i)]->Hz();
}

EmfPointValues EmfLimitPointsDialog::Values() const {
    return {m_lower->isChecked(), Hz(0), m_level[0]->value(), Hz(1), m_level[1]->value()};
}

bool EmfLimitPointsDialog::Changed() const {
    const EmfPointValues v = Values();
    return v.lower != m_opened.lower || v.f1 != m_opened.f1 || v.l1 != m_opened.l1 || v.f2 != m_opened.f2 ||
           v.l2 != m_opened.l2;
}

void EmfLimitPointsDialog::accept() {
    // A frequency kept as it was is never refused (the row may lie outside the range chosen now).
    std::vector<NumberField*> check;
    for (int i = 0; i < 2; ++i) {
        if (m_freq[static_cast<size_t>(i)]->Edited()) check.push_back(Frequency(i));
        check.push_back(Level(i));
    }
    if (!FieldsAccepted(check, m_message)) return;
    const std::string problem = m_model.CheckFrequencies(Hz(0), Hz(1), m_opened.f1, m_opened.f2);
    if (!problem.empty()) {
        if (m_message) m_message(FromCp1252(problem));
        const double max = m_model.MaxHz();
        Frequency(Hz(0) < 0 || Hz(0) > max ? 0 : 1)->setFocus();
        return;
    }
    QDialog::accept();
}

EmfLimitEditor::EmfLimitEditor(EditorServices services, QString startFile, bool transferAllowed,
                               QString* folder, QWidget* parent)
    : SegmentEditor(std::move(services), std::move(startFile), transferAllowed, folder, parent) {
    auto* settings = new QWidget;
    auto* form = new QFormLayout(settings);
    m_unitList = new QComboBox;
    m_unitList->setObjectName("unit");
    for (const std::string& n : EmfUnitNames())
        m_unitList->addItem(FromCp1252(n));
    m_scaleList = new QComboBox;
    m_scaleList->setObjectName("scale");
    m_scaleList->addItems({"20", "15", "10", "5", "3", "1"});
    m_rangeList = new QComboBox;
    m_rangeList->setObjectName("range");
    m_rangeList->addItems({"4 GHz", "7.5 GHz"});
    m_reference = new QLineEdit;
    m_reference->setObjectName("reference");
    m_middleLabel = new QLabel;
    form->addRow("Level Unit", m_unitList);
    form->addRow("Scale", m_scaleList);
    form->addRow("Max. Frequency", m_rangeList);
    form->addRow("Ref. Level", m_reference);
    form->addRow("Middle", m_middleLabel);
    Build({"F_Start [Hz]", "L_Start", "F_Stop [Hz]", "L_Stop", "Type"}, {73, 60, 73, 60, 39}, settings);
    connect(m_unitList, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (m_showing) return;
        m_model.ChangeUnit(i);
        ShowSettings();
        Refresh();
    });
    connect(m_scaleList, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (m_showing) return;
        m_model.ChangeScale(i);
        ShowSettings();
        Refresh();
    });
    connect(m_rangeList, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (m_showing) return;
        m_model.ChangeRange(i);
        ShowSettings();
        Refresh();
    });
    connect(m_reference, &QLineEdit::editingFinished, this, [this] {
        m_model.ChangeReference(LeadingReal(ToCp1252(m_reference->text())));
        ShowSettings();
        Refresh();
    });
    ShowSettings();
    OpenStartFile();
}

void EmfLimitEditor::ShowSettings() {
    m_showing = true;
    const EmfSettings& s = m_model.Settings();
    m_unitList->setCurrentIndex(s.unit);
    m_scaleList->setCurrentIndex(s.scale);
    m_rangeList->setCurrentIndex(s.range);
    m_reference->setText(FromCp1252(m_model.LevelText(s.reference)).trimmed());
    m_middleLabel->setText(FromCp1252(m_model.MiddleAxisLabel()));
    QStringList levels;
    for (const std::string& l : m_model.LevelLabels())
        levels << FromCp1252(l).trimmed();
    Graph()->SetAxisLabels(
        levels, {"0 Hz", FromCp1252(m_model.MiddleAxisLabel()), s.range == 1 ? "7.5 GHz" : "4 GHz"});
    m_showing = false;
}

SegmentEditor::Kind EmfLimitEditor::FileKind() const {
    return {"Open EMF Limits File...", "Save EMF Limit Lines", "Quarn EMF Limits (*.qel *.QEL)", ".qel",
            kEmfUnsavedText};
}

QStringList EmfLimitEditor::RowTexts(int row) const {
    const EmfLimitLine& r = m_model.set.rows[static_cast<size_t>(row)];
    return {FromCp1252(r.text[0]), FromCp1252(r.text[1]), FromCp1252(r.text[2]), FromCp1252(r.text[3]),
            LimitTypeText(r.lower)};
}

void EmfLimitEditor::Insert() {
    EmfLimitPointsDialog dlg(
        m_model.InsertProposal(), false, m_model, [this](const QString& t) { m_services.message(t, false); },
        this);
    if (m_services.exec(dlg) != QDialog::Accepted) return;
    m_model.Insert(dlg.Values(), dlg.Changed());
}

void EmfLimitEditor::Edit() {
    if (m_model.current == 0) return;
    EmfLimitPointsDialog dlg(
        m_model.Values(m_model.current), true, m_model,
        [this](const QString& t) { m_services.message(t, false); }, this);
    if (m_services.exec(dlg) != QDialog::Accepted) return;
    m_model.Edit(dlg.Values(), dlg.Changed());
}

void EmfLimitEditor::Read(const std::string& bytes, const std::string& name) {
    m_model.Opened(ReadEmfLimitText(bytes, m_model.Settings()), name);
    ShowSettings();
}

std::string EmfLimitEditor::Text(const std::string& comment) {
    m_model.set.comment = comment;
    return EmfLimitFileText(m_model.set);
}

std::vector<std::array<PixelPoint, 2>> EmfLimitEditor::Pixels() const {
    std::vector<std::array<PixelPoint, 2>> out;
    const double ref = m_model.Settings().reference, scale = m_model.Scale(), max = m_model.MaxHz();
    for (const EmfLimitLine& r : m_model.set.rows)
        out.push_back({EmfPixel(r.value[0], r.value[1], max, ref, scale),
                       EmfPixel(r.value[2], r.value[3], max, ref, scale)});
    return out;
}

std::optional<GraphHit> EmfLimitEditor::HitAt(QPointF area) const {
    return m_model.Hit(EmfPointerUnits(area.x(), area.y()));
}

void EmfLimitEditor::DragTo(const GraphHit& hit, QPointF area) {
    m_model.Drag(hit, EmfPointerUnits(area.x(), area.y()));
}

}  // namespace fl
