// "About" and "Additional Information" (the print header texts).
#pragma once

#include <QDialog>

class QCheckBox;
class QPlainTextEdit;

namespace fl {

class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AboutDialog(QWidget* parent = nullptr);
    // "QuarnFLS-help.pdf" in the data folder's "help", else in the installed share folder; empty if none.
    static QString HelpFile();
};

class AdditionalInfoDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AdditionalInfoDialog(QWidget* parent = nullptr);
    void Save();  // writes "PHeadLeft", "PHeadRight" and "ShowFilePath" to the settings

  private:
    QPlainTextEdit* m_left;
    QPlainTextEdit* m_right;
    QCheckBox* m_path;
};

}  // namespace fl
