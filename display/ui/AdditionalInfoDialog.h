// "Additional Information": the two print header texts and whether the file path is printed.
#pragma once

#include <QDialog>

class QCheckBox;
class QPlainTextEdit;

namespace fl {

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
