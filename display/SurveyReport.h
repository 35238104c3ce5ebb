// The survey report: a PDF with a summary table (one row per trace: mode, x range, headline result,
// limit verdict, GPS position) and then one page per trace, drawn by the page renderer as on paper.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PageRenderer.h"
#include "TraceSummary.h"

namespace fl {

class CMyQuarnDoc;

struct ReportItem {
    std::string path;
    std::shared_ptr<const CMyQuarnDoc> doc;  // empty: the file could not be read
    std::string message;                     // why
};

struct ReportOptions {
    std::string title = "Survey report";
    int orientation = -1;  // -1: every trace page in its own orientation, the summary in landscape
    RenderOptions page;    // the print header; the file path is always printed
    // Called before each page; returning false cancels the report (nothing is written).
    std::function<bool(int done, int total)> progress;
};

struct ReportResult {
    bool ok = false;
    std::string error;
    int pages = 0;
    int summaryPages = 0;
};

// The summary rows of the items, in their order.
std::vector<TraceSummary> ReportSummaries(const std::vector<ReportItem>& items);

// Writes the report to `path` in one piece: a report that fails half-way leaves no file behind.
ReportResult WriteSurveyReport(const std::string& path, const std::vector<ReportItem>& items,
                               const ReportOptions& options);

// Reads each file into a document for the report; unreadable files become items with their message.
std::vector<ReportItem> LoadReportItems(const std::vector<std::string>& paths);

}  // namespace fl
