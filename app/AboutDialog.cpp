#include "AboutDialog.h"
#include "QtText.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
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
        if (file.isEmpty()) {
            QMessageBox::information(this, windowTitle(), "QuarnFLS-help.pdf was not found.");
            return;
        }
        // A desktop without a services plugin still has xdg-open.
        const QUrl url = QUrl::fromLocalFile(file);
        if (!QDesktopServices::openUrl(url) && !QProcess::startDetached("xdg-open", {url.toString()}))
            QMessageBox::information(this, windowTitle(),
                                     "No program to show PDF files was found. The help document is\n" + file);
    });
}

QString AboutDialog::HelpFile() {
    // The data folder's help first, then the installed share folder beside the program's bin folder, then
    // the build tree's.
    const QString bin = QCoreApplication::applicationDirPath();
    for (const QString& dir : {FromUtf8(ProgramFolder()) + "/help", bin + "/../share/fieldlink/help",
                               QString("/usr/share/fieldlink/help"), bin + "/../help"}) {
        const QString f = dir + "/QuarnFLS-help.pdf";
        if (QFileInfo::exists(f)) return QDir::cleanPath(f);
    }
    return {};
}

}  // namespace fl
