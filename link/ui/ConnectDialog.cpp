#include "ConnectDialog.h"
#include "QtText.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace fl {

ConnectDialog::ConnectDialog(CommandChannel& channel, std::vector<ComEntry> comPorts, QWidget* parent)
    : QDialog(parent), m_logic(channel) {
    setWindowTitle("Connect");
    auto* layout = new QVBoxLayout(this);
    auto* kinds = new QHBoxLayout;
    m_serial = new QRadioButton("Serial");
    m_lan = new QRadioButton("LAN");
    kinds->addWidget(m_serial);
    kinds->addWidget(m_lan);
    layout->addLayout(kinds);

    auto* profiles = new QHBoxLayout;
    m_profile = new QComboBox;
    m_profile->setEditable(true);
    auto* store = new QPushButton("Store");
    auto* remove = new QPushButton("Delete");
    profiles->addWidget(m_profile, 1);
    profiles->addWidget(store);
    profiles->addWidget(remove);
    layout->addLayout(profiles);

    auto* form = new QFormLayout;
    m_com = new QComboBox;
    m_baud = new QComboBox;
    m_baud->setEditable(true);
    for (const auto& b : ConnectDialogLogic::BaudRates())
        m_baud->addItem(FromUtf8(b));
    m_ip = new QLineEdit;
    m_port = new QLineEdit;
    m_port->setValidator(new QIntValidator(1024, 65535, m_port));
    form->addRow("COM port", m_com);
    form->addRow("Baud rate", m_baud);
    form->addRow("IP address", m_ip);
    form->addRow("TCP port", m_port);
    layout->addLayout(form);

    auto* check = new QPushButton("Check Connection");
    m_status = new QLabel;
    layout->addWidget(check);
    layout->addWidget(m_status);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);

    m_logic.Open(std::move(comPorts));
    FromLogic();

    connect(m_serial, &QRadioButton::toggled, this, &ConnectDialog::UpdateEnabled);
    connect(check, &QPushButton::clicked, this, [this] {
        ToLogic();
        m_status->setText("Trying to connect ...");
        Job([this] { m_logic.CheckConnection(); });
        m_status->setText(FromCp1252(m_logic.status));
    });
    connect(store, &QPushButton::clicked, this, [this] {
        ToLogic();
        m_logic.Store();
        FromLogic();
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        ToLogic();
        m_logic.Delete();
        FromLogic();
    });
    connect(m_profile, &QComboBox::activated, this, [this](int index) {
        m_logic.SelectProfile(ToUtf8(m_profile->itemText(index)));
        FromLogic();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &ConnectDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void ConnectDialog::FromLogic() {
    (m_logic.linkKind == 1 ? m_lan : m_serial)->setChecked(true);
    m_profile->clear();
    for (const auto& p : m_logic.profiles)
        m_profile->addItem(FromUtf8(p));  // profiles are files
    m_profile->setEditText(FromUtf8(m_logic.profile));
    m_com->clear();
    for (const auto& c : m_logic.comPorts)
        m_com->addItem(FromUtf8(c.name + "    " + c.device));
    m_com->setCurrentIndex(m_logic.comIndex);
    m_baud->setEditText(FromUtf8(m_logic.baudRate));
    m_ip->setText(FromUtf8(m_logic.ipAddress));
    m_port->setText(FromUtf8(m_logic.tcpPort));
    m_status->setText(FromCp1252(m_logic.status));
    UpdateEnabled();
}

void ConnectDialog::ToLogic() {
    m_logic.linkKind = m_lan->isChecked() ? 1 : 0;
    m_logic.profile = ToUtf8(m_profile->currentText());
    m_logic.comIndex = m_com->currentIndex() < 0 ? 0 : m_com->currentIndex();
    m_logic.baudRate = ToUtf8(m_baud->currentText());
    m_logic.ipAddress = ToUtf8(m_ip->text());
    m_logic.tcpPort = ToUtf8(m_port->text());
}

void ConnectDialog::UpdateEnabled() {
    const bool serial = m_serial->isChecked();
    m_com->setEnabled(serial);
    m_baud->setEnabled(serial);
    m_ip->setEnabled(!serial);
    m_port->setEnabled(!serial);
}

void ConnectDialog::Job(const std::function<void()>& job) {
    if (runJob)
        runJob(job);
    else
        job();
}

void ConnectDialog::accept() {
    ToLogic();
    if (!m_logic.TcpPortValid() && m_logic.linkKind == 1) {
        m_status->setText("The TCP port is an integer from 1024 to 65535.");
        return;
    }
    m_status->setText("Trying to connect ...");
    bool ok = false;
    Job([&] { ok = m_logic.Ok(); });
    if (!ok) {
        m_status->setText(FromCp1252(m_logic.status));
        return;  // the dialog stays open
    }
    QDialog::accept();
}

}  // namespace fl
