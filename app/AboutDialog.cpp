#include "AboutDialog.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
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

}  // namespace fl
