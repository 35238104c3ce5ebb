#include "TraceCommands.h"

#include <cmath>
#include <iostream>
#include <nlohmann/json.hpp>

#include "AsciiExport.h"
#include "CMyQuarnDoc.h"
#include "CliSupport.h"
#include "SettingsText.h"
#include "Text.h"

namespace fl::cli {

namespace {

// Opens a trace file as File > Open does; failures carry the program's own message.
void OpenTrace(const std::string& path, CMyQuarnDoc& doc) {
    LoadResult r = doc.Load(path);
    if (!r.ok()) throw Failure(path + ": " + r.message);
}

nlohmann::ordered_json NumberJson(double v) {
    if (std::isfinite(v)) return v;
    return nullptr;
}

nlohmann::ordered_json RecordJson(const TraceRecord& rec) {
    nlohmann::ordered_json j = nlohmann::ordered_json::object();
    for (const auto& f : AllRecordFields()) {
        std::visit(
            [&](auto member) {
                const auto& v = rec.*member;
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, std::string>) {
                    j[f.name] = Cp1252ToUtf8(v);
                } else if constexpr (std::is_same_v<T, double>) {
                    j[f.name] = NumberJson(v);
                } else if constexpr (std::is_same_v<T, int>) {
                    j[f.name] = v;
                } else if constexpr (std::is_same_v<T, std::vector<double>>) {
                    auto& a = j[f.name] = nlohmann::ordered_json::array();
                    for (double x : v)
                        a.push_back(NumberJson(x));
                } else if constexpr (std::is_same_v<T, std::vector<int>>) {
                    j[f.name] = v;
                } else {
                    auto& a = j[f.name] = nlohmann::ordered_json::array();
                    for (const auto& s : v)
                        a.push_back(Cp1252ToUtf8(s));
                }
            },
            f.ptr);
    }
    return j;
}

}  // namespace

void AddTraceCommands(CLI::App& app) {
    {
        auto* cmd =
            app.add_subcommand("dump", "Print every field of a trace file's record as one JSON object");
        auto file = std::make_shared<std::string>();
        cmd->add_option("FILE", *file, "trace file (.qtr or .qtm)")->required();
        cmd->callback([file] {
            CMyQuarnDoc doc;
            OpenTrace(*file, doc);
            std::cout << RecordJson(doc).dump(1) << "\n";
        });
    }
    {
        auto* cmd = app.add_subcommand("convert", "Save trace files as modified traces (.qtm)");
        auto files = std::make_shared<std::vector<std::string>>();
        auto out = std::make_shared<std::string>();
        cmd->add_option("FILE", *files, "trace files")->required();
        cmd->add_option("-o,--output", *out, "output file, or folder for several inputs")->required();
        cmd->callback([files, out] {
            for (const auto& f : *files) {
                CMyQuarnDoc doc;
                OpenTrace(f, doc);
                std::string target = OutputPathFor(f, *out, files->size(), ".qtm");
                std::string error;
                if (!doc.WriteTo(target, &error)) throw Failure(error);
            }
        });
    }
    {
        auto* cmd = app.add_subcommand("export-ascii", "Write the ASCII report of trace files");
        auto files = std::make_shared<std::vector<std::string>>();
        auto out = std::make_shared<std::string>();
        auto tab = std::make_shared<bool>(false);
        cmd->add_option("FILE", *files, "trace files")->required();
        cmd->add_option("-o,--output", *out, "report file, or folder for several inputs")->required();
        cmd->add_flag("--tab", *tab, "separate columns with a tab instead of ';'");
        cmd->callback([files, out, tab] {
            for (const auto& f : *files) {
                CMyQuarnDoc doc;
                OpenTrace(f, doc);
                std::string target = OutputPathFor(f, *out, files->size(), ".TXT");
                std::string error;
                if (!WriteAsciiReport(doc, target, !*tab, &error)) throw Failure(error);
            }
        });
    }
    {
        auto* cmd = app.add_subcommand("settings-text", "Write the instrument settings text of a trace file");
        auto file = std::make_shared<std::string>();
        auto out = std::make_shared<std::string>();
        cmd->add_option("FILE", *file, "trace file")->required();
        cmd->add_option("-o,--output", *out, "output text file")->required();
        cmd->callback([file, out] {
            std::string error;
            if (!WriteSettingsText(*file, &error, *out)) throw Failure(*file + ": " + error);
        });
    }
}

}  // namespace fl::cli
