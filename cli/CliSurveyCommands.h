// fieldlink-cli report, map and export-csv: survey reports, site maps and spreadsheets of trace files.
#pragma once

#include <CLI/CLI.hpp>

namespace fl::cli {

void AddSurveyCommands(CLI::App& app);

}  // namespace fl::cli
