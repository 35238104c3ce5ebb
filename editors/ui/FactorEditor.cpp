#include "FactorEditor.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>
#include <ctime>
#include <filesystem>

#include "FileIo.h"
#include "FormEditors.h"
#include "LimitModel.h"
#include "PageCanvas.h"
#include "Text.h"

namespace fl {

namespace {

QColor CurveColor(FactorMode mode) {
    switch (mode) {
        case FactorMode::Antenna:
            return {219, 219, 0};
        case FactorMode::Cable:
            return {128, 0, 128};
        default:
            return {0, 128, 0};
    }
}

}  // namespace

FactorEntryDialog::FactorEntryDialog(double hz, double level, bool editing, const FactorModel& model,
                                     std::function<void(const QString&)> message, QWidget* parent)
    : QDialog(parent), m_model(model), m_message(std::move(message)), m_openedHz(hz), m_openedLevel(level) {
    setWindowTitle(editing ? "Edit" : "Insert");
    m_frequency = new FrequencyField;
    m_frequency->Number()->setRange(-1e12, 1e12);
    m_frequency->SetHz(hz);  // zero shows "MHz"
    m_level = new NumberField;
    m_level->setDecimals(1);
    m_level->setRange(-80, 80);
    m_level->setValue(level);
    auto* form = new QFormLayout;
    form->addRow("Frequency", m_frequency);
    form->addRow(TextsFor(model.mode).levelLabel, m_level);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &FactorEntryDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

double FactorEntryDialog::Hz() const {
    return m_frequency->Hz();
}

double FactorEntryDialog::Level() const {
    return m_level->value();
}

bool FactorEntryDialog::Changed() const {
    return Hz() != m_openedHz || Level() != m_openedLevel;
}

void FactorEntryDialog::accept() {
    if (!FieldsAccepted({m_frequency->Number(), m_level}, m_message)) return;
    const std::string problem = m_model.CheckEntry(Hz(), Changed());
    if (!problem.empty()) {
        if (m_message) m_message(FromCp1252(problem));
        m_frequency->Number()->setFocus();
        return;
    }
    QDialog::accept();
}

FactorEditor::FactorEditor(FactorMode mode, EditorServices services, QString startFile, bool transferAllowed,
                           QString* folder, QWidget* parent)
    : QDialog(parent),
      m_model(mode),
      m_services(std::move(services)),
      m_startFile(std::move(startFile)),
      m_folder(folder) {
    const FactorTexts& t = TextsFor(mode);
    m_table = new RowTable(
        {"  Frequency [ Hz ]", t.levelColumn},
        [this] { return static_cast<int>(m_model.table.entries.size()); },
        [this](int row) {
            const FactorEntry& e = m_model.table.entries[static_cast<size_t>(row)];
            return QStringList{FromCp1252(e.frequency), FromCp1252(e.level)};
        });
    m_table->setObjectName("rows");
    m_table->setColumnWidth(0, 115);
    m_table->setColumnWidth(1, 115);
    m_table->setMinimumWidth(260);
    connect(m_table, &RowTable::rowChosen, this, [this](int row) {
        m_model.current = row + 1;
        Refresh();
    });
    connect(m_table, &RowTable::rowActivated, this, [this](int row) {
        m_model.current = row + 1;
        Edit();
    });
    m_graph = new EditorGraphWidget;
    m_graph->setObjectName("graph");
    m_graph->moved = [this](QPointF area, bool held) {
        const UnitPoint u = FactorPointerUnits(area.x(), area.y());
        if (!held) {
            m_hit = m_model.Hit(u, m_S);
            return m_hit.has_value();
        }
        if (!m_hit) return false;
        m_model.Drag(*m_hit, u, m_S);
        Refresh();
        return true;
    };
    m_graph->pressed = [this](QPointF) {
        if (!m_hit) return;
        m_model.current = m_hit->row + 1;
        Refresh();
    };
    m_graph->released = [this](QPointF) {
        if (!m_hit) return;
        m_model.Release();
        m_hit.reset();
        Refresh();
    };
    m_comment = new QLineEdit;
    m_comment->setObjectName("comment");
    m_comment->setMaxLength(static_cast<int>(kMaxCommentLength));
    m_range = new QComboBox;
    m_range->setObjectName("range");
    m_range->addItems({"4 GHz", "7.5 GHz"});
    connect(m_range, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (m_showing) return;
        m_model.table.range = i;
        Refresh();
    });
    auto* offsetUp = EditorButton("+", "offsetUp");
    auto* offsetDown = EditorButton("-", "offsetDown");
    auto* scaleUp = EditorButton("+", "scaleUp");
    auto* scaleDown = EditorButton("-", "scaleDown");
    connect(offsetUp, &QPushButton::clicked, this, [this] {
        m_model.LevelOffset(+1);
        Refresh();
    });
    connect(offsetDown, &QPushButton::clicked, this, [this] {
        m_model.LevelOffset(-1);
        Refresh();
    });
    connect(scaleUp, &QPushButton::clicked, this, [this] {
        m_model.ScaleStep(+1);
        Refresh();
    });
    connect(scaleDown, &QPushButton::clicked, this, [this] {
        m_model.ScaleStep(-1);
        Refresh();
    });
    auto* settings = new QFormLayout;
    settings->addRow("Max. Frequency", m_range);
    auto* offset = new QHBoxLayout;
    offset->addWidget(offsetDown);
    offset->addWidget(offsetUp);
    settings->addRow("Level Offset", offset);
    auto* scale = new QHBoxLayout;
    scale->addWidget(scaleDown);
    scale->addWidget(scaleUp);
    settings->addRow(t.scaleLabel, scale);

    auto* buttons = new QVBoxLayout;
    const std::pair<const char*, const char*> names[] = {{"Insert", "insert"},
                                                         {"Edit", "edit"},
                                                         {"Delete", "delete"},
                                                         {"Delete All", "deleteAll"},
                                                         {"Data Transfer", "dataTransfer"},
                                                         {"Open", "open"},
                                                         {"Save", "save"},
                                                         {"Cancel", "cancel"}};
    for (auto [text, name] : names) {
        QPushButton* b = EditorButton(text, name);
        b->setParent(this);  // found by name before the layout takes them
        buttons->addWidget(b);
    }
    buttons->addStretch();
    Button("save")->setDefault(true);
    Button("dataTransfer")->setEnabled(transferAllowed);
    connect(Button("insert"), &QPushButton::clicked, this, [this] { Insert(); });
    connect(Button("edit"), &QPushButton::clicked, this, [this] { Edit(); });
    auto deleteRow = [this] {
        m_model.Delete();
        Refresh();
        m_table->setFocus();
    };
    connect(Button("delete"), &QPushButton::clicked, this, deleteRow);
    connect(m_table, &RowTable::deletePressed, this, deleteRow);
    connect(Button("deleteAll"), &QPushButton::clicked, this, [this] {
        m_model.DeleteAll();
        Refresh();
    });
    connect(Button("dataTransfer"), &QPushButton::clicked, this, [this] { DataTransfer(); });
    connect(Button("open"), &QPushButton::clicked, this, [this] { Open({}); });
    connect(Button("save"), &QPushButton::clicked, this, [this] { Save(); });
    connect(Button("cancel"), &QPushButton::clicked, this, &FactorEditor::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(m_table);
    top->addWidget(m_graph, 1);
    top->addLayout(settings);
    top->addLayout(buttons);
    auto* commentRow = new QHBoxLayout;
    commentRow->addWidget(new QLabel("Comment:"));
    commentRow->addWidget(m_comment, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(commentRow);
    if (!m_startFile.isEmpty()) Open(m_startFile);
    Refresh();
}

void FactorEditor::Refresh() {
    m_model.ApplyModifiedHook();
    setWindowTitle(FromCp1252(m_model.title));
    m_table->Update(m_model.current);
    m_showing = true;
    m_range->setCurrentIndex(m_model.table.range);
    m_showing = false;
    m_S = m_model.HalfRange();
    QStringList labels;
    for (const std::string& l : m_model.LevelLabels(m_S))
        labels << FromCp1252(l).trimmed();
    m_graph->SetAxisLabels(labels, {"0 Hz", m_model.table.range == 1 ? "3.75 GHz" : "2 GHz",
                                    m_model.table.range == 1 ? "7.5 GHz" : "4 GHz"});
    m_graph->SetFactorContent(m_model.Points(m_S), m_model.current, CurveColor(m_model.mode));
}

void FactorEditor::Insert() {
    if (m_model.Full()) {
        m_services.message(kFactorsFullText, false);
        return;
    }
    FactorEntryDialog dlg(
        0, 0, false, m_model, [this](const QString& t) { m_services.message(t, false); }, this);
    if (m_services.exec(dlg) != QDialog::Accepted) return;
    m_model.Insert(dlg.Hz(), dlg.Level());
    Refresh();
    m_table->setFocus();
}

void FactorEditor::Edit() {
    if (m_model.current < 1 || m_model.current > static_cast<int>(m_model.table.entries.size())) return;
    const FactorEntry& e = m_model.table.entries[static_cast<size_t>(m_model.current - 1)];
    FactorEntryDialog dlg(
        LeadingReal(e.frequency), LeadingReal(e.level), true, m_model,
        [this](const QString& t) { m_services.message(t, false); }, this);
    if (m_services.exec(dlg) != QDialog::Accepted) return;
    m_model.Edit(dlg.Hz(), dlg.Level(), dlg.Changed());
    Refresh();
}

bool FactorEditor::Save() {
    const FactorTexts& t = TextsFor(m_model.mode);
    if (m_model.table.entries.empty()) {
        m_services.message(t.emptyText, false);
        return false;
    }
    const QString typed = m_services.saveFile(t.saveTitle, *m_folder + "/", t.filter);
    if (typed.isEmpty()) return false;
    QString path = typed;
    if (QFileInfo(path).suffix().isEmpty()) path += t.extension;
    const std::string target = UpperCaseFileName(ToUtf8(path));
    if (!MayReplace(m_services, typed, target)) return false;
    FollowFolder(m_services, m_folder, path);
    FactorTable table = m_model.table;
    table.comment = ToCp1252(m_comment->text());
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::string error;
    // A file that could not be written is said, and the editor keeps its edits as unsaved.
    if (!WriteWholeFileAtomically(target, FactorFileText(table, local), &error)) {
        m_services.message(FromUtf8(error), true);
        return false;
    }
    m_model.table.comment = table.comment;
    m_model.Saved(PathTextToCp1252(std::filesystem::path(target).filename().string()));
    Refresh();
    return true;
}

void FactorEditor::Open(const QString& given) {
    const FactorTexts& t = TextsFor(m_model.mode);
    QString path = given;
    if (path.isEmpty()) {
        path = m_services.openFile(t.openTitle, *m_folder, t.filter);
        if (path.isEmpty()) return;
        FollowFolder(m_services, m_folder, path);
    }
    std::string bytes, error;
    if (!ReadWholeFile(ToUtf8(path), bytes, 1 << 20, &error)) {
        m_services.message(kFileNotFoundText, true);
        return;
    }
    m_model.Opened(ReadFactorText(bytes, m_model.table.range), ToCp1252(QFileInfo(path).fileName()));
    m_comment->setText(FromCp1252(m_model.table.comment));
    Refresh();
}

void FactorEditor::reject() {
    const FactorTexts& t = TextsFor(m_model.mode);
    if (m_model.fileName.empty() && !m_model.table.entries.empty() && m_services.question(t.cancelQuestion))
        Save();
    QDialog::reject();
}

void FactorEditor::DataTransfer() {
    const FactorTexts& t = TextsFor(m_model.mode);
    if (m_model.table.entries.empty()) {
        m_services.message(t.emptyText, false);
        return;
    }
    if (m_model.fileName.empty() && m_services.question(t.transferQuestion)) Save();
    if (!m_startFile.isEmpty()) {
        QDialog::reject();
        return;
    }
    if (m_services.dataTransfer) m_services.dataTransfer(t.tab, "Not connected.   \nConnect now?");
}

}  // namespace fl
