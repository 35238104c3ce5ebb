#include "CliSurveyCommands.h"

#include <iostream>
#include <memory>

#include "CMyQuarnDoc.h"
#include "CliSupport.h"
#include "FileIo.h"
#include "PrintSettings.h"
#include "RenderCommand.h"
#include "SiteMap.h"
#include "SurveyReport.h"
#include "TraceCsv.h"

namespace fl::cli {

namespace {

// Names every file that could not be read on stderr; true when there was one.
bool ReportUnreadable(const std::vector<ReportItem>& items) {
    bool any = false;
    for (const ReportItem& it : items)
        if (!it.doc) {
            std::cerr << "fieldlink-cli: " << it.path << ": " << it.message << "\n";
            any = true;
        }
    return any;
}

void AddReport(CLI::App& app) {
    auto* cmd =
        app.add_subcommand("report", "Write a PDF survey report: a summary table and one page per trace");
    auto files = std::make_shared<std::vector<std::string>>();
    auto out = std::make_shared<std::string>();
    auto title = std::make_shared<std::string>("Survey report");
    auto portrait = std::make_shared<bool>(false);
    auto landscape = std::make_shared<bool>(false);
    cmd->add_option("FILE", *files, "trace files")->required();
    cmd->add_option("-o,--output", *out, "the PDF file")->required();
    cmd->add_option("--title", *title, "the report's title (default \"Survey report\")");
    auto* p = cmd->add_flag("--portrait", *portrait, "every page in portrait");
    cmd->add_flag("--landscape", *landscape, "every page in landscape")->excludes(p);
    cmd->callback([=] {
        ApplyProfileViewDefaults();
        EnsureGuiApplication();
        const std::vector<ReportItem> items = LoadReportItems(*files);
        ReportOptions o;
        o.title = *title;
        o.orientation = *portrait ? 0 : *landscape ? 1 : -1;
        o.page = PrintSettingsOptions();
        const ReportResult r = WriteSurveyReport(*out, items, o);
        if (!r.ok) throw Failure(*out + ": " + r.error);
        if (ReportUnreadable(items))
            throw Failure("some files could not be read; the report lists them as unreadable");
    });
}

void AddMap(CLI::App& app) {
    auto* cmd = app.add_subcommand("map", "Write where the traces were taken as KML or GeoJSON");
    auto files = std::make_shared<std::vector<std::string>>();
    auto out = std::make_shared<std::string>();
    auto title = std::make_shared<std::string>("Fieldlink sites");
    cmd->add_option("FILE", *files, "trace files")->required();
    cmd->add_option("-o,--output", *out, "SITES.kml or SITES.geojson")->required();
    cmd->add_option("--title", *title, "the KML document's name");
    cmd->callback([=] {
        const MapFormat format = MapFormatFromName(*out);
        if (format == MapFormat::Unknown) throw Failure(*out + ": the map is written as .kml or .geojson");
        const std::vector<ReportItem> items = LoadReportItems(*files);
        const std::vector<TraceSummary> rows = ReportSummaries(items);
        int placed = 0;
        for (const TraceSummary& s : rows) {
            if (s.readable && !s.position)
                std::cerr << "fieldlink-cli: " << s.file << ": no valid GPS fix, left out\n";
            if (s.position) ++placed;
        }
        const std::string text = format == MapFormat::Kml ? KmlDocument(rows, *title) : GeoJsonDocument(rows);
        std::string error;
        if (!WriteWholeFileAtomically(*out, text, &error)) throw Failure(*out + ": " + error);
        if (ReportUnreadable(items)) throw Failure("some files could not be read and are not on the map");
        if (placed == 0) throw Failure("none of the traces carries a valid GPS fix");
    });
}

void AddExportCsv(CLI::App& app) {
    auto* cmd = app.add_subcommand("export-csv", "Write the display points of trace files as CSV");
    auto files = std::make_shared<std::vector<std::string>>();
    auto out = std::make_shared<std::string>();
    auto separator = std::make_shared<std::string>(",");
    auto decimal = std::make_shared<std::string>(".");
    auto trace = std::make_shared<std::string>();
    cmd->add_option("FILE", *files, "trace files")->required();
    cmd->add_option("-o,--output", *out, "CSV file, or folder for several inputs")->required();
    cmd->add_option("--trace", *trace,
                    "the traces' columns: A, B or both (default: the traces the page shows)")
        ->check(CLI::IsMember({"A", "B", "both"}));
    cmd->add_option("--separator", *separator, "field separator: , ; or tab (default ,)")
        ->check(CLI::IsMember({",", ";", "tab"}));
    cmd->add_option("--decimal", *decimal, "decimal mark: . or , (default .)")
        ->check(CLI::IsMember({".", ","}));
    cmd->callback([=] {
        CsvOptions o;
        o.separator = *separator == "tab" ? '\t' : (*separator)[0];
        o.decimal = (*decimal)[0];
        o.traces = *trace == "both" ? "AB" : *trace;
        for (const std::string& f : *files) {
            CMyQuarnDoc doc;
            const LoadResult r = doc.Load(f);
            if (!r.ok()) throw Failure(f + ": " + r.message);
            const std::string target = OutputPathFor(f, *out, files->size(), ".csv");
            std::string error;
            if (!WriteWholeFileAtomically(target, TraceCsv(doc, o), &error))
                throw Failure(target + ": " + error);
        }
    });
}

}  // namespace

void AddSurveyCommands(CLI::App& app) {
    AddReport(app);
    AddMap(app);
    AddExportCsv(app);
}

}  // namespace fl::cli
