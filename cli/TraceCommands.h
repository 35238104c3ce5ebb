// fieldlink-cli commands on trace files: dump, convert, export-ascii, settings-text.
#pragma once

#include <CLI/CLI.hpp>

namespace fl::cli {

void AddTraceCommands(CLI::App& app);

}  // namespace fl::cli
