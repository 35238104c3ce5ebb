// The start-up choice: connect by serial line or LAN, or open an existing trace.
#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QRadioButton;

namespace fl {

class WelcomeDialog : public QDialog {
    Q_OBJECT
  public:
    enum Choice { Serial = 0, Lan = 1, OpenTrace = 2 };
    WelcomeDialog(int comPort, const QString& ipAddress, int linkKind, QWidget* parent = nullptr);
    Choice SelectedChoice() const;
    void Select(Choice c);
    // Shown while the chosen connection is tried.
    void ShowTrying(Choice c);
    QString LabelText(Choice c) const;
    // OK with a connection chosen: the label says "Trying to connect..." while this runs, then the
    // dialog closes.
    std::function<void(Choice)> tryConnect;
    void accept() override;

  private:
    QRadioButton* m_choice[3];
    QLabel* m_serialLabel;
    QLabel* m_lanLabel;
    QString m_ip;
};

}  // namespace fl
