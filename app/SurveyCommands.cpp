#include "SurveyCommands.h"
#include "Text.h"

#include <QDir>
#include <QFileInfo>

#include "CChildFrame.h"
#include "CMyQuarnDoc.h"
#include "CMyQuarnView.h"
#include "CompareDialog.h"
#include "ConnectionSettings.h"
#include "DocumentCommands.h"
#include "FileIo.h"
#include "PageCanvas.h"
#include "QtPrompts.h"
#include "SiteMap.h"
#include "SurveyReport.h"
#include "TraceCompare.h"
#include "TraceCsv.h"

namespace fl {

namespace {

const char kCsvComma[] = "CSV, comma and decimal point (*.csv)";
const char kCsvSemicolon[] = "CSV, semicolon and decimal comma (*.csv)";
const char kCsvTab[] = "Tab separated (*.tsv *.txt)";

QString ExportFolder() {
    return s_settings.folderExport.empty() ? QDir::homePath() : FromUtf8(s_settings.folderExport);
}

// The open documents in window order, each once (a document may have several windows), the active first.
QList<CChildFrame*> DocumentFrames(DocumentHost& host) {
    QList<CChildFrame*> frames;
    QList<const CMyQuarnDoc*> seen;
    QList<CChildFrame*> all = host.Frames();
    if (CChildFrame* active = host.ActiveFrame()) {
        all.removeAll(active);
        all.prepend(active);
    }
    for (CChildFrame* f : all)
        if (!seen.contains(&f->Document())) {
            seen << &f->Document();
            frames << f;
        }
    return frames;
}

std::string ItemPath(const CMyQuarnDoc& d) {
    return d.m_strPathName.empty() ? d.GetTitle() : d.m_strPathName;
}

}  // namespace

SurveyCommands::SurveyCommands(DocumentHost& host, DocumentCommands& documents, QtPrompts& prompts)
    : m_host(host), m_documents(documents), m_prompts(prompts) {}

std::vector<ReportItem> SurveyCommands::OpenTraces(bool* chosen) {
    std::vector<ReportItem> items;
    *chosen = false;
    const QList<CChildFrame*> frames = DocumentFrames(m_host);
    if (!frames.isEmpty()) {
        // Copies: the report reads what the windows show at this moment.
        for (CChildFrame* f : frames)
            items.push_back({ItemPath(f->Document()), std::make_shared<CMyQuarnDoc>(f->Document()), {}});
        return items;
    }
    const QStringList files =
        m_documents.Files().OpenFiles(m_host.Window(), FromUtf8(s_settings.folderTraces));
    std::vector<std::string> paths;
    for (const QString& f : files)
        paths.push_back(ToUtf8(f));
    *chosen = true;
    return LoadReportItems(paths);
}

QString SurveyCommands::AskSavePath(const QString& title, const QString& proposal, const QString& filter) {
    QString path = m_documents.Files().SaveFile(m_host.Window(), title, proposal, filter);
    if (path.isEmpty()) return {};
    if (QFileInfo(path).suffix().isEmpty()) path += "." + QFileInfo(proposal).suffix();
    return MayWrite(path) ? path : QString();
}

bool SurveyCommands::MayWrite(const QString& path) {
    if (QFileInfo::exists(path) && !m_prompts.YesNo(ToCp1252(path + " already exists\nOverwrite?")))
        return false;
    s_settings.folderExport = ToUtf8(QFileInfo(path).absolutePath());
    return true;
}

void SurveyCommands::ExportReport() {
    bool chosen = false;
    const std::vector<ReportItem> items = OpenTraces(&chosen);
    if (items.empty()) return;
    const QString path = AskSavePath("Save PDF report", ExportFolder() + "/report.pdf", "PDF files (*.pdf)");
    if (path.isEmpty()) return;
    ReportOptions o;
    o.page = CMyQuarnView::CurrentRenderOptions();
    o.progress = [this](int done, int total) {
        if (done == 0) m_prompts.ProgressBegin("Writing the PDF report...", total);
        m_prompts.ProgressStep(done);
        return true;
    };
    const ReportResult r = WriteSurveyReport(ToUtf8(path), items, o);
    m_prompts.ProgressEnd();
    if (!r.ok) {
        m_prompts.Message("The report could not be written:\n" + PathTextToCp1252(r.error),
                          PromptIcon::Error);
        return;
    }
    std::string skipped;
    for (const ReportItem& it : items)
        if (!it.doc) skipped += "\n" + it.path + ": " + it.message;
    if (!skipped.empty())
        m_prompts.Message("The report lists these files as unreadable:" + skipped, PromptIcon::Warning);
}

void SurveyCommands::ExportMap() {
    bool chosen = false;
    const std::vector<ReportItem> items = OpenTraces(&chosen);
    if (items.empty()) return;
    const std::vector<TraceSummary> rows = ReportSummaries(items);
    std::string without;
    int placed = 0;
    for (const TraceSummary& s : rows) {
        if (s.position)
            ++placed;
        else
            without += "\n" + (s.traceName.empty() ? s.file : s.traceName) +
                       (s.readable ? std::string() : ": " + s.message);
    }
    if (placed == 0) {
        m_prompts.Message(
            "None of these traces carries a valid GPS position, so there is nothing to map." + without,
            PromptIcon::Information);
        return;
    }
    QString filter = "KML (*.kml)";
    QString path = m_documents.Files().SaveFile(m_host.Window(), "Save map", ExportFolder() + "/sites.kml",
                                                "KML (*.kml);;GeoJSON (*.geojson)", &filter);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += filter.startsWith("GeoJSON") ? ".geojson" : ".kml";
    const MapFormat format = MapFormatFromName(ToUtf8(path));
    if (format == MapFormat::Unknown) {
        m_prompts.Message(
            ToCp1252(QFileInfo(path).suffix() + " is not a map format: choose .kml or .geojson."),
            PromptIcon::Warning);
        return;
    }
    if (!MayWrite(path)) return;
    const std::string text =
        format == MapFormat::Kml ? KmlDocument(rows, "Fieldlink sites") : GeoJsonDocument(rows);
    std::string error;
    if (!WriteWholeFileAtomically(ToUtf8(path), text, &error)) {
        m_prompts.Message(PathTextToCp1252(error), PromptIcon::Error);
        return;
    }
    if (!without.empty())
        m_prompts.Message("Left out, without a valid GPS position:" + without, PromptIcon::Information);
}

void SurveyCommands::ExportCsv() {
    CChildFrame* frame = m_host.ActiveFrame();
    if (!frame) return;
    const CMyQuarnDoc& doc = frame->Document();
    QString name = FromCp1252(doc.m_strTraceName.empty() ? std::string("trace") : doc.m_strTraceName);
    name.replace('/', '_');
    QString filter = kCsvComma;
    QString path =
        m_documents.Files().SaveFile(m_host.Window(), "Save CSV file", ExportFolder() + "/" + name + ".csv",
                                     QStringList{kCsvComma, kCsvSemicolon, kCsvTab}.join(";;"), &filter);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += filter == kCsvTab ? ".tsv" : ".csv";
    if (!MayWrite(path)) return;
    CsvOptions o;
    if (filter == kCsvSemicolon) o = {';', ',', {}};
    if (filter == kCsvTab) o = {'\t', '.', {}};
    std::string error;
    if (!WriteWholeFileAtomically(ToUtf8(path), TraceCsv(doc, o), &error))
        m_prompts.Message(PathTextToCp1252(error), PromptIcon::Error);
}

void SurveyCommands::CompareTraces() {
    const QList<CChildFrame*> frames = DocumentFrames(m_host);
    if (frames.isEmpty()) return;
    if (frames.size() < 2) {
        m_prompts.Message("Open a second trace to compare with this one.", PromptIcon::Information);
        return;
    }
    const CMyQuarnDoc& front = frames.first()->Document();
    QStringList names, refusals;
    for (int i = 1; i < frames.size(); ++i) {
        names << FromCp1252(CompareName(frames[i]->Document()));
        refusals << FromCp1252(CompareRefusal(front, frames[i]->Document()));
    }
    CompareDialog dlg(FromCp1252(CompareName(front)), names, refusals, m_host.Window());
    if (m_prompts.Exec(dlg) != QDialog::Accepted) return;
    const QList<int> rows = dlg.Checked();
    if (rows.isEmpty()) return;
    auto result = std::make_shared<CMyQuarnDoc>();
    std::string refusal;
    bool ok;
    if (dlg.Difference()) {
        ok = DifferenceDocument(front, frames[rows.first() + 1]->Document(), *result, &refusal);
    } else {
        std::vector<const CMyQuarnDoc*> others;
        for (int r : rows)
            others.push_back(&frames[r + 1]->Document());
        ok = ComparisonDocument(front, others, *result, &refusal);
    }
    if (!ok) {
        m_prompts.Message("These traces cannot share one graph:\n" + refusal, PromptIcon::Warning);
        return;
    }
    m_host.AddFrame(result);
}

}  // namespace fl
