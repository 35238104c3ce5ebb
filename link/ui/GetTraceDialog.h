// "Get Trace": the instrument's saved traces, several selectable; "View" (or a double click) closes it with
// the choice, which the caller then uploads.
#pragma once

#include <QDialog>

#include "TraceRetrieval.h"

class QLabel;
class QListWidget;

namespace fl {

class GetTraceDialog : public QDialog {
    Q_OBJECT
  public:
    explicit GetTraceDialog(std::vector<std::string> names, QWidget* parent = nullptr);
    std::vector<std::string> Selected() const;
    void SelectNames(const std::vector<std::string>& names);
    void View();

  private:
    QListWidget* m_list;
    QLabel* m_selection;
    QLabel* m_status;
};

}  // namespace fl
