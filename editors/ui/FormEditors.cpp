#include "FormEditors.h"

#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <cmath>
#include <filesystem>

#include "EmfLimitModel.h"
#include "FactorTable.h"
#include "FileIo.h"
#include "LimitModel.h"
#include "PageCanvas.h"
#include "Text.h"

namespace fl {

namespace {

constexpr const char* kCantSave = "Can't save file!  \nMake sure the selected directory exists.   ";
constexpr const char* kCantOpen = "Can't open file!";

}  // namespace

FrequencyField::FrequencyField(QWidget* parent) : QWidget(parent) {
    m_number = new NumberField;
    m_number->setRange(0, 1e12);
    m_unit = new QComboBox;
    m_unit->addItems({"GHz", "MHz", "kHz", "Hz"});
    auto* l = new QHBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(m_number, 1);
    l->addWidget(m_unit);
    connect(m_number, &NumberField::valueChanged, this, &FrequencyField::edited);
    connect(m_unit, &QComboBox::currentIndexChanged, this, &FrequencyField::edited);
}

void FrequencyField::SetHz(double hz) {
    const bool blocked = blockSignals(true);
    if (hz == 0) {
        m_unit->setCurrentText("MHz");
        m_number->setValue(0);
    } else {
        const ScaledHz s = BestFrequencyUnit(hz);
        m_unit->setCurrentText(FromUtf8(s.unit));
        m_number->setValue(s.value);
    }
    m_hz = hz;
    m_shownUnit = m_unit->currentText();
    m_shownNumber = m_number->text();
    blockSignals(blocked);
    emit edited();
}

bool FrequencyField::Edited() const {
    return m_number->text() != m_shownNumber || m_unit->currentText() != m_shownUnit;
}

double FrequencyField::Hz() const {
    if (!Edited()) return m_hz;  // 1234567891 Hz stays that, though shown as 1.234567891 GHz
    const QString u = m_unit->currentText();
    const double f = u == "GHz" ? 1e9 : u == "MHz" ? 1e6 : u == "kHz" ? 1e3 : 1;
    return m_number->value() * f;
}

FormEditor::FormEditor(EditorServices services, QString startFile, bool transferAllowed, QString* folder,
                       QWidget* parent)
    : QDialog(parent),
      m_services(std::move(services)),
      m_startFile(std::move(startFile)),
      m_folder(folder),
      m_box(new QGroupBox("Untitled")),
      m_transferAllowed(transferAllowed) {}

void FormEditor::Build(QLayout* fields) {
    setWindowTitle(FormKind().title);
    m_box->setObjectName("name");
    m_box->setLayout(fields);
    auto* open = EditorButton("Open", "open");
    auto* save = EditorButton("Save", "save");
    auto* transfer = EditorButton("Data Transfer", "dataTransfer");
    auto* close = EditorButton("Close", "close");
    transfer->setEnabled(m_transferAllowed);
    connect(open, &QPushButton::clicked, this, [this] { Open({}); });
    connect(save, &QPushButton::clicked, this, [this] { Save(); });
    connect(transfer, &QPushButton::clicked, this, [this] { DataTransfer(); });
    connect(close, &QPushButton::clicked, this, &FormEditor::reject);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {open, save, transfer, close})
        buttons->addWidget(b);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_box, 1);
    layout->addLayout(buttons);
}

void FormEditor::Edited() {
    if (m_loading) return;
    m_fileName.clear();
    m_modified = true;
    setWindowTitle(FormKind().title);
    m_box->setTitle("Untitled");
}

void FormEditor::OpenStartFile() {
    if (!m_startFile.isEmpty()) Open(m_startFile);
}

bool FormEditor::Save() {
    const QString problem = Check();
    if (!problem.isEmpty()) {
        m_services.message(problem, false);
        return false;
    }
    const Kind k = FormKind();
    const QString typed = m_services.saveFile(k.saveTitle, *m_folder + "/" + m_fileName, k.filter);
    if (typed.isEmpty()) return false;
    QString path = typed;
    if (QFileInfo(path).suffix().isEmpty()) path += k.extension;
    const QString name = QFileInfo(path).fileName();
    const std::string target = UpperCaseFileName(ToUtf8(path));
    if (!MayReplace(m_services, typed, target)) return false;
    FollowFolder(m_services, m_folder, path);
    const std::string baseName = NameBeforeFirstDot(ToCp1252(name));
    std::string error;
    if (!WriteWholeFileAtomically(target, Text(baseName), &error)) {
        m_services.message(kCantSave, true);
        return false;
    }
    m_fileName = FromUtf8(std::filesystem::path(target).filename().string());
    m_loading = true;
    setWindowTitle(TitleFor(m_fileName));
    m_box->setTitle(FromCp1252(baseName));
    m_loading = false;
    m_modified = false;
    return true;
}

void FormEditor::Open(const QString& given) {
    const Kind k = FormKind();
    if (m_modified && m_services.question(k.question)) Save();
    QString path = given;
    if (path.isEmpty()) {
        path = m_services.openFile(k.openTitle, *m_folder, k.filter);
        if (path.isEmpty()) return;
        FollowFolder(m_services, m_folder, path);
    }
    m_fileName = QFileInfo(path).fileName();
    setWindowTitle(TitleFor(m_fileName));
    std::string bytes, error;
    if (!ReadWholeFile(ToUtf8(path), bytes, 1 << 20, &error)) {
        m_services.message(kCantOpen, true);
        return;
    }
    m_loading = true;
    Read(bytes);
    // The file's own Name line where it has one; else the file's name up to its first full stop.
    const std::string inFile = NameInFile();
    m_box->setTitle(FromCp1252(inFile.empty() ? NameBeforeFirstDot(ToCp1252(m_fileName)) : inFile));
    m_loading = false;
    m_modified = false;
}

void FormEditor::reject() {
    if (m_modified && m_services.question(FormKind().question)) Save();
    QDialog::reject();
}

void FormEditor::DataTransfer() {
    if (m_modified && m_services.question(FormKind().question) && !Save()) return;
    if (!m_startFile.isEmpty()) {
        QDialog::reject();
        return;
    }
    if (m_services.dataTransfer) m_services.dataTransfer(FormKind().tab, "Not connected.\nConnect now?");
}

ChannelSystemEditor::ChannelSystemEditor(EditorServices services, QString startFile, bool transferAllowed,
                                         QString* folder, QWidget* parent)
    : FormEditor(std::move(services), std::move(startFile), transferAllowed, folder, parent) {
    m_first = new NumberField;
    m_last = new NumberField;
    for (NumberField* s : {m_first, m_last}) {
        s->setRange(0, 100000);
        s->setIntegers(true);
    }
    m_width = new FrequencyField;
    m_spacing = new FrequencyField;
    m_center = new FrequencyField;
    m_max = new QComboBox;
    m_max->addItems({"4 GHz", "7.5 GHz"});
    auto* form = new QFormLayout;
    form->addRow("First Channel", m_first);
    form->addRow("Last Channel", m_last);
    form->addRow("Channel Width", m_width);
    form->addRow("Channel Spacing", m_spacing);
    form->addRow("1st Ch. Center", m_center);
    form->addRow("Max. Frequency", m_max);
    Build(form);
    Show(m_system);
    for (NumberField* s : {m_first, m_last})
        connect(s, &NumberField::valueChanged, this, [this] { Edited(); });
    for (FrequencyField* f : {m_width, m_spacing, m_center})
        connect(f, &FrequencyField::edited, this, [this] { Edited(); });
    connect(m_max, &QComboBox::currentIndexChanged, this, [this] { Edited(); });
    OpenStartFile();
}

FormEditor::Kind ChannelSystemEditor::FormKind() const {
    return {"Channel System",
            "Open Channel System",
            "Save Channel System",
            "Quarn Channel System (*.qsy *.QSY)",
            ".qsy",
            "Save Channel System?\r\n",
            3};
}

ChannelSystem ChannelSystemEditor::Values() const {
    ChannelSystem s = m_system;
    s.first = ClampToInt(m_first->value());
    s.last = ClampToInt(m_last->value());
    s.width = m_width->Hz();
    s.spacing = m_spacing->Hz();
    s.firstCenter = m_center->Hz();
    s.maxFreq = ToCp1252(m_max->currentText());
    return s;
}

QString ChannelSystemEditor::Check() {
    // The channel numbers' own range check comes first: a number from a file is shown as it was, and
    // refused here rather than clamped.
    for (NumberField* f : {m_first, m_last}) {
        const QString p = f->Problem();
        if (p.isEmpty()) continue;
        f->setFocus();
        return p;
    }
    const std::string problem = CheckChannelSystem(Values());
    if (problem.rfind("Channel Width", 0) == 0) m_width->Number()->setFocus();
    if (problem.rfind("Channel Spacing", 0) == 0) m_spacing->Number()->setFocus();
    if (problem.rfind("1st Channel", 0) == 0) m_center->Number()->setFocus();
    return FromCp1252(problem);
}

std::string ChannelSystemEditor::Text(const std::string& name) {
    m_system = Values();
    m_system.name = name;
    return ChannelSystemText(m_system, name);
}

void ChannelSystemEditor::Read(const std::string& bytes) {
    m_system = ReadChannelSystemText(bytes, Values());
    Show(m_system);
}

void ChannelSystemEditor::Show(const ChannelSystem& s) {
    const bool was = m_loading;
    m_loading = true;
    m_first->setValue(s.first);
    m_last->setValue(s.last);
    m_width->SetHz(s.width);
    m_spacing->SetHz(s.spacing);
    m_center->SetHz(s.firstCenter);
    m_max->setCurrentText(FromCp1252(s.maxFreq).contains("7.5 GHz") ? "7.5 GHz" : "4 GHz");
    m_loading = was;
}

CableTypeEditor::CableTypeEditor(EditorServices services, QString startFile, bool transferAllowed,
                                 QString* folder, QWidget* parent)
    : FormEditor(std::move(services), std::move(startFile), transferAllowed, folder, parent) {
    m_description = new QLineEdit;
    m_dielectric = new NumberField;
    m_dielectric->setDecimals(2);
    m_velocity = new NumberField;
    m_velocity->setDecimals(2);
    m_attenuation = new NumberField;
    m_attenuation->setDecimals(2);
    m_unit = new QComboBox;
    m_unit->addItems({"m", "ft"});
    m_cutoff = new FrequencyField;
    auto* att = new QHBoxLayout;
    att->addWidget(m_attenuation, 1);
    att->addWidget(new QLabel("dB / 100"));
    att->addWidget(m_unit);
    auto* form = new QFormLayout;
    form->addRow("Description", m_description);
    form->addRow("Cable Dielectric", m_dielectric);
    form->addRow("Cable Velocity Factor", m_velocity);
    form->addRow("Cable Attenuation", att);
    form->addRow("Cut Off Frequency", m_cutoff);
    Build(form);
    Show(CableType{});
    // The two views of one property: editing one shows the other, without a recomputation in turn.
    connect(m_dielectric, &NumberField::valueChanged, this, [this](double e) {
        if (m_linking) return;
        double v = 0;
        if (VelocityFromDielectric(e, v)) {
            m_linking = true;
            m_velocity->setRounded(v);
            m_linking = false;
        }
        Edited();
    });
    connect(m_velocity, &NumberField::valueChanged, this, [this](double v) {
        if (m_linking) return;
        double e = 0;
        if (DielectricFromVelocity(v, e)) {
            m_linking = true;
            m_dielectric->setRounded(e);
            m_linking = false;
        }
        Edited();
    });
    connect(m_description, &QLineEdit::textEdited, this, [this] { Edited(); });
    connect(m_attenuation, &NumberField::valueChanged, this, [this] { Edited(); });
    connect(m_unit, &QComboBox::currentIndexChanged, this, [this] { Edited(); });
    connect(m_cutoff, &FrequencyField::edited, this, [this] { Edited(); });
    OpenStartFile();
}

FormEditor::Kind CableTypeEditor::FormKind() const {
    return {"DTF Cable Type",
            "Open Cable Type",
            "Save Cable Type",
            "Quarn Cable Type (*.qct *.QCT)",
            ".qct",
            "Save Cable Type?\r\n",
            5};
}

CableType CableTypeEditor::Values() const {
    CableType c;
    c.description = ToCp1252(m_description->text());
    c.dielectric = m_dielectric->value();
    c.attenuation = m_attenuation->value();
    c.feet = m_unit->currentIndex() == 1;
    c.cutoff = m_cutoff->Hz();
    return c;
}

QString CableTypeEditor::Check() {
    return FromCp1252(CheckCableType(Values(), m_velocity->value()));
}

std::string CableTypeEditor::Text(const std::string&) {
    return CableTypeText(Values());
}

void CableTypeEditor::Read(const std::string& bytes) {
    Show(ReadCableTypeText(bytes, Values()));
}

void CableTypeEditor::Show(const CableType& c) {
    const bool was = m_loading;
    m_loading = true;
    m_linking = true;
    m_description->setText(FromCp1252(c.description));
    m_dielectric->setValue(c.dielectric);
    double v = 1;
    if (VelocityFromDielectric(c.dielectric, v)) m_velocity->setRounded(v);
    m_attenuation->setValue(c.attenuation);
    m_unit->setCurrentIndex(c.feet ? 1 : 0);
    m_cutoff->SetHz(c.cutoff);
    m_linking = false;
    m_loading = was;
}

SettingsChooser::SettingsChooser(EditorServices services, QString* folder, QWidget* parent)
    : QDialog(parent), m_services(std::move(services)), m_folder(folder) {
    setWindowTitle("Quarn Settings");
    auto* grid = new QGridLayout(this);
    auto* newButton = EditorButton("New", "new");
    auto* openButton = EditorButton("Open", "open");
    auto* cancel = EditorButton("Cancel", "cancel");
    grid->addWidget(new QLabel("Create new..."), 0, 0);
    grid->addWidget(newButton, 0, 1);
    grid->addWidget(new QLabel("Open existing..."), 1, 0);
    grid->addWidget(openButton, 1, 1);
    grid->addWidget(cancel, 2, 1);
    connect(newButton, &QPushButton::clicked, this, [this] { New(); });
    connect(openButton, &QPushButton::clicked, this, [this] { Open(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void SettingsChooser::New() {
    std::vector<std::string> names;
    for (const QString& n : QDir(*m_folder).entryList(QDir::Files))
        names.push_back(ToUtf8(n));
    const QString path = *m_folder + "/" + FromUtf8(NextNewSettingsName(names));
    std::string error;
    // Created new, never over a file that is there (its settings would be emptied).
    if (!WriteWholeFileAtomically(ToUtf8(path), {}, &error, false)) {
        if (m_services.message) m_services.message(FromUtf8(error), true);  // a PC path: UTF-8
        return;
    }
    if (m_services.openExternally) m_services.openExternally(path);
}

void SettingsChooser::Open() {
    const QString path =
        m_services.openFile("Open Settings File...", *m_folder, "Quarn Settings (*.qst *.QST)");
    if (path.isEmpty()) return;
    FollowFolder(m_services, m_folder, path);
    if (m_services.openExternally) m_services.openExternally(path);
}

}  // namespace fl
