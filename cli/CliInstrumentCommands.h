// fieldlink-cli commands that talk to the instrument: identify, list, fetch, live.
#pragma once

#include <CLI/CLI.hpp>

namespace fl::cli {

void AddInstrumentCommands(CLI::App& app);

}  // namespace fl::cli
