#include "WelcomeDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace fl {

WelcomeDialog::WelcomeDialog(int comPort, const QString& ip, int linkKind, QWidget* parent)
    : QDialog(parent), m_ip(ip) {
    setWindowTitle("Zarnell Communications GmbH");
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QString("Welcome to %1\nQuarn Fieldlink Software").arg("Zarnell"));
    QFont f = title->font();
    f.setPixelSize(18);
    f.setBold(true);
    title->setFont(f);
    layout->addWidget(title);
    layout->addWidget(new QLabel(QString("Version %1").arg(" 5.10")));
    auto* grid = new QGridLayout;
    m_choice[Serial] = new QRadioButton("Serial Connection");
    m_choice[Lan] = new QRadioButton("LAN Connection");
    m_choice[OpenTrace] = new QRadioButton("Open existing Trace");
    m_serialLabel = new QLabel(QString("( COM%1 - null modem cable )").arg(comPort));
    m_lanLabel = new QLabel(QString("( IP %1 )").arg(ip));
    grid->addWidget(m_choice[Serial], 0, 0);
    grid->addWidget(m_serialLabel, 0, 1);
    grid->addWidget(m_choice[Lan], 1, 0);
    grid->addWidget(m_lanLabel, 1, 1);
    grid->addWidget(m_choice[OpenTrace], 2, 0);
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    Select(linkKind == 1 ? Lan : Serial);
}

WelcomeDialog::Choice WelcomeDialog::SelectedChoice() const {
    for (int i = 0; i < 3; ++i)
        if (m_choice[i]->isChecked()) return static_cast<Choice>(i);
    return Serial;
}

void WelcomeDialog::Select(Choice c) {
    m_choice[c]->setChecked(true);
}

void WelcomeDialog::ShowTrying(Choice c) {
    if (c == Serial) m_serialLabel->setText("Trying to connect...");
    if (c == Lan) m_lanLabel->setText(QString("( IP %1 )  %2").arg(m_ip, "Trying to connect..."));
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString WelcomeDialog::LabelText(Choice c) const {
    return c == Serial ? m_serialLabel->text() : c == Lan ? m_lanLabel->text() : QString();
}

void WelcomeDialog::accept() {
    const Choice c = SelectedChoice();
    if (c != OpenTrace && tryConnect) {
        ShowTrying(c);
        repaint();
        tryConnect(c);
    }
    QDialog::accept();
}

}  // namespace fl
