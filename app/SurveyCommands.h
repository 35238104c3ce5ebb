// The survey commands of the shell: File > Export > PDF Report, Map and CSV, and Window > Compare Traces.
#pragma once

#include <memory>
#include <vector>

#include "DocumentHost.h"

namespace fl {

class DocumentCommands;
class QtPrompts;
struct ReportItem;

class SurveyCommands {
  public:
    SurveyCommands(DocumentHost& host, DocumentCommands& documents, QtPrompts& prompts);

    // Every open trace (one entry per document), or files the user chooses when none is open.
    void ExportReport();
    void ExportMap();
    // The active trace's display points.
    void ExportCsv();
    // Overlays or the difference of the open traces, in a new window.
    void CompareTraces();

  private:
    std::vector<ReportItem> OpenTraces(bool* chosen);
    QString AskSavePath(const QString& title, const QString& proposal, const QString& filter);
    // Asks before replacing an existing file; on yes its folder becomes the export folder.
    bool MayWrite(const QString& path);

    DocumentHost& m_host;
    DocumentCommands& m_documents;
    QtPrompts& m_prompts;
};

}  // namespace fl
