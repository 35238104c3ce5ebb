#include "AdditionalInfoDialog.h"

#include "CMyQuarnView.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSettings>

namespace fl {

AdditionalInfoDialog::AdditionalInfoDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Additional Information");
    auto* grid = new QGridLayout(this);
    QSettings s("Zarnell", "Fieldlink");
    s.beginGroup("SETTINGS");
    m_left = new QPlainTextEdit(s.value("PHeadLeft", "").toString());
    m_right = new QPlainTextEdit(s.value("PHeadRight", "").toString());
    m_path = new QCheckBox("Show File Path");
    m_path->setChecked(s.value("ShowFilePath", 1).toInt() != 0);
    grid->addWidget(new QLabel("Header left"), 0, 0);
    grid->addWidget(new QLabel("Header right"), 0, 1);
    grid->addWidget(m_left, 1, 0);
    grid->addWidget(m_right, 1, 1);
    grid->addWidget(m_path, 2, 0, 1, 2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    grid->addWidget(buttons, 3, 0, 1, 2);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        Save();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void AdditionalInfoDialog::Save() {
    QSettings s("Zarnell", "Fieldlink");
    s.beginGroup("SETTINGS");
    s.setValue("PHeadLeft", m_left->toPlainText());
    s.setValue("PHeadRight", m_right->toPlainText());
    s.setValue("ShowFilePath", m_path->isChecked() ? 1 : 0);
    s.sync();
    CMyQuarnView::SettingsChanged();
}

}  // namespace fl
