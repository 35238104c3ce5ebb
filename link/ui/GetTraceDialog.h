// "Get Trace": the instrument's saved traces, several selectable, uploaded with "View".
#pragma once

#include <QDialog>

#include "TraceRetrieval.h"

class QLabel;
class QListWidget;

namespace fl {

class GetTraceDialog : public QDialog {
    Q_OBJECT
  public:
    GetTraceDialog(TraceRetrieval& retrieval, std::vector<std::string> names, QWidget* parent = nullptr);
    ~GetTraceDialog() override { m_retrieval.dialogStatus = {}; }
    std::vector<std::string> Selected() const;
    void SelectNames(const std::vector<std::string>& names);
    void View();

  private:
    TraceRetrieval& m_retrieval;
    QListWidget* m_list;
    QLabel* m_selection;
    QLabel* m_status;
};

}  // namespace fl
