// fieldlink-cli markers: the marker logic of the trace window without a display.
#pragma once

#include <CLI/CLI.hpp>

namespace fl::cli {

void AddMarkersCommand(CLI::App& app);

}  // namespace fl::cli
