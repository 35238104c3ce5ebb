// The "Live Trace" settings: continuous or counted updates, the interval, the window to use, and saving
// every update as a file.
#pragma once

#include <QDialog>

#include "LiveTrace.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace fl {

class LiveTraceDialog : public QDialog {
    Q_OBJECT
  public:
    LiveTraceDialog(const LiveSettings& initial, QWidget* parent = nullptr);
    LiveSettings Settings() const;
    void accept() override;  // prepares the save folder; stays open when it cannot be created
    // The folder rule on Start: a trailing separator goes; the folder must exist or be creatable.
    static bool PreparePath(std::string& path);

    QRadioButton* ContinuousButton() const { return m_continuous; }
    QRadioButton* CountedButton() const { return m_counted; }
    QRadioButton* NewWindowButton() const { return m_newWindow; }
    QRadioButton* OverwriteButton() const { return m_overwrite; }
    QSpinBox* CountField() const { return m_count; }
    QCheckBox* SaveBox() const { return m_save; }
    QComboBox* TypeList() const { return m_type; }
    QLineEdit* PathField() const { return m_path; }

  private:
    void UpdateEnabled();
    QRadioButton* m_continuous;
    QRadioButton* m_counted;
    QSpinBox* m_count;
    QSpinBox* m_interval;
    QRadioButton* m_newWindow;
    QRadioButton* m_overwrite;
    QCheckBox* m_save;
    QComboBox* m_type;
    QLineEdit* m_name;
    QLineEdit* m_path;
    QPushButton* m_browse;
};

}  // namespace fl
