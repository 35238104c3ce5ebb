// The Connect dialog: link kind, profiles, COM port, baud rate, IP address and TCP port, with the
// connection check. The logic lives in ConnectDialogLogic; this binds it to widgets.
#pragma once

#include <QDialog>
#include <functional>

#include "ConnectDialogLogic.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace fl {

class ConnectDialog : public QDialog {
    Q_OBJECT
  public:
    ConnectDialog(CommandChannel& channel, std::vector<ComEntry> comPorts, QWidget* parent = nullptr);
    ConnectDialogLogic& Logic() { return m_logic; }
    // Runs the exchanges of Check Connection and OK (the program hands them to its instrument session);
    // without it they run here.
    std::function<void(const std::function<void()>&)> runJob;
    void accept() override;

  private:
    void FromLogic();
    void ToLogic();
    void Job(const std::function<void()>& job);
    void UpdateEnabled();

    ConnectDialogLogic m_logic;
    QRadioButton* m_serial;
    QRadioButton* m_lan;
    QComboBox* m_profile;
    QComboBox* m_com;
    QComboBox* m_baud;
    QLineEdit* m_ip;
    QLineEdit* m_port;
    QLabel* m_status;
};

}  // namespace fl
