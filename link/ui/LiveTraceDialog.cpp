#include "LiveTraceDialog.h"
#include "QtText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <filesystem>

namespace fl {

LiveTraceDialog::LiveTraceDialog(const LiveSettings& s, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Live Trace");
    auto* layout = new QVBoxLayout(this);
    auto* modes = new QHBoxLayout;
    m_continuous = new QRadioButton("Continuous mode");
    m_counted = new QRadioButton;
    m_counted->setAccessibleName("Counted mode");
    m_count = new QSpinBox;
    m_count->setRange(1, 999);
    m_count->setSuffix(" update(s)");
    modes->addWidget(m_continuous);
    modes->addWidget(m_counted);
    modes->addWidget(m_count);
    layout->addLayout(modes);
    auto* form = new QFormLayout;
    m_interval = new QSpinBox;
    m_interval->setRange(0, 9999);
    m_interval->setSuffix(" seconds");
    form->addRow("Time between updates", m_interval);
    layout->addLayout(form);
    m_newWindow = new QRadioButton("Open new trace window");
    m_overwrite = new QRadioButton("Overwrite active trace window");
    layout->addWidget(m_newWindow);
    layout->addWidget(m_overwrite);
    m_save = new QCheckBox("Save as");
    layout->addWidget(m_save);
    auto* saveForm = new QFormLayout;
    m_type = new QComboBox;
    for (const auto& t : LiveFileTypes())
        m_type->addItem(FromUtf8(t.text));
    m_name = new QLineEdit;
    auto* pathRow = new QHBoxLayout;
    m_path = new QLineEdit;
    m_browse = new QPushButton("...");
    pathRow->addWidget(m_path, 1);
    pathRow->addWidget(m_browse);
    saveForm->addRow(m_type);
    saveForm->addRow("File name:", m_name);
    saveForm->addRow("Select path:", pathRow);
    layout->addLayout(saveForm);
    auto* buttons = new QDialogButtonBox;
    buttons->addButton("Start", QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    layout->addWidget(buttons);

    // Two independent choices: how many updates, and which window receives them.
    auto* updateMode = new QButtonGroup(this);
    updateMode->addButton(m_continuous);
    updateMode->addButton(m_counted);
    auto* target = new QButtonGroup(this);
    target->addButton(m_newWindow);
    target->addButton(m_overwrite);
    (s.counted ? m_counted : m_continuous)->setChecked(true);
    m_count->setValue(s.count);
    m_interval->setValue(s.intervalSeconds);
    (s.newWindow ? m_newWindow : m_overwrite)->setChecked(true);
    m_save->setChecked(s.save);
    m_type->setCurrentIndex(s.fileType);
    m_name->setText(FromUtf8(s.fileName));  // a part of a PC file name
    m_path->setText(FromUtf8(s.path));
    UpdateEnabled();

    connect(m_save, &QCheckBox::toggled, this, &LiveTraceDialog::UpdateEnabled);
    connect(m_browse, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, "Please select a folder", m_path->text());
        if (!dir.isEmpty()) m_path->setText(dir);
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &LiveTraceDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void LiveTraceDialog::UpdateEnabled() {
    const bool on = m_save->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(m_type), static_cast<QWidget*>(m_name),
                       static_cast<QWidget*>(m_path), static_cast<QWidget*>(m_browse)})
        w->setEnabled(on);
}

LiveSettings LiveTraceDialog::Settings() const {
    LiveSettings s;
    s.counted = m_counted->isChecked();
    s.count = m_count->value();
    s.intervalSeconds = m_interval->value();
    s.newWindow = m_newWindow->isChecked();
    s.save = m_save->isChecked();
    s.fileType = m_type->currentIndex();
    s.fileName = ToUtf8(m_name->text());
    s.path = ToUtf8(m_path->text());
    return s;
}

bool LiveTraceDialog::PreparePath(std::string& path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return true;
    return !path.empty() && std::filesystem::create_directories(path, ec) && !ec;
}

void LiveTraceDialog::accept() {
    if (m_save->isChecked()) {
        std::string path = ToUtf8(m_path->text());
        if (!PreparePath(path)) {
            QMessageBox::critical(this, windowTitle(), "Can't create Directory.");
            return;
        }
        m_path->setText(FromUtf8(path));
    }
    QDialog::accept();
}

}  // namespace fl
