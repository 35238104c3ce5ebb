// The "Level" dialog: reference level, display unit and scale of a trace window's y axis.
#pragma once

#include <QDialog>
#include <functional>

#include "LevelEdit.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace fl {

class LevelDialog : public QDialog {
    Q_OBJECT
  public:
    // `redraw` repaints the trace view after every apply.
    LevelDialog(CMyQuarnDoc& doc, const std::string& modeName, std::function<void()> redraw,
                QWidget* parent = nullptr);

    QLineEdit* ReferenceField() { return m_ref; }
    QLineEdit* ScaleField() { return m_scale; }
    QComboBox* UnitList() { return m_unit; }
    QPushButton* ApplyButton() { return m_apply; }
    QLabel* ReferenceCaption() { return m_refCaption; }
    void Step(int steps);
    bool ApplyNow();
    void accept() override;

  private:
    void Show();
    bool Report(bool ok, const std::string& error);

    LevelEdit m_edit;
    std::function<void()> m_redraw;
    QLabel* m_refCaption;
    QLabel* m_scaleCaption;
    QLineEdit* m_ref;
    QLineEdit* m_scale;
    QComboBox* m_unit;
    QPushButton* m_apply;
    bool m_showing = false;
};

}  // namespace fl
