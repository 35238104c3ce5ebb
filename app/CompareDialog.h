// The Compare Traces dialog: which open traces go onto the front trace's graph, and whether as overlays
// or as the difference to one of them.
#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QRadioButton;

namespace fl {

class CompareDialog : public QDialog {
    Q_OBJECT
  public:
    // `front` names the active trace; `others` the other open traces in window order, and `refusals` for
    // each why it does not fit (empty when it does). Only those that fit start checked.
    CompareDialog(const QString& front, const QStringList& others, const QStringList& refusals,
                  QWidget* parent = nullptr);

    // The rows of `others` that are checked, in order.
    QList<int> Checked() const;
    void SetChecked(int row, bool on);
    bool Difference() const;
    void SetDifference(bool on);

  private:
    QListWidget* m_list;
    QRadioButton* m_overlay;
    QRadioButton* m_difference;
};

}  // namespace fl
