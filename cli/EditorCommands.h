// fieldlink-cli show, resave and plot: the editor files without the editor windows.
#pragma once

#include <CLI/CLI.hpp>

namespace fl::cli {

void AddEditorCommands(CLI::App& app);

}  // namespace fl::cli
