#include "InfoDialogs.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QUrl>
#include <QVBoxLayout>

#include "Icons.h"
#include "ProgramFolder.h"

namespace fl {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About Quarn Fieldlink Software");
    auto* layout = new QVBoxLayout(this);
    auto* picture = new QLabel;
    picture->setPixmap(MakeIcon("app").pixmap(64, 64));
    layout->addWidget(picture, 0, Qt::AlignHCenter);
    layout->addWidget(new QLabel("Quarn Fieldlink Software"), 0, Qt::AlignHCenter);
    layout->addWidget(new QLabel(QString("Version%1").arg(" 5.10")), 0, Qt::AlignHCenter);
    auto* link = new QLabel("<a href=\"https://www.zarnell.example\">Zarnell Communications GmbH</a>");
    link->setOpenExternalLinks(true);
    layout->addWidget(link, 0, Qt::AlignHCenter);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    auto* help = buttons->addButton("Help", QDialogButtonBox::HelpRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this, [this] {
        const QString file = HelpFile();
        if (file.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
            QMessageBox::information(this, windowTitle(), "QuarnFLS-help.pdf was not found.");
    });
}

QString AboutDialog::HelpFile() {
    for (const QString& dir :
         {QString::fromStdString(ProgramFolder()) + "/help", QString("/usr/share/fieldlink/help"),
          QString("/usr/local/share/fieldlink/help")}) {
        const QString f = dir + "/QuarnFLS-help.pdf";
        if (QFileInfo::exists(f)) return f;
    }
    return {};
}

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
}

}  // namespace fl
