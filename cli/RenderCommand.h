// fieldlink-cli render: the trace page as an image, drawn headless with the page renderer.
#pragma once

#include <CLI/CLI.hpp>

namespace fl::cli {

void AddRenderCommand(CLI::App& app);

}  // namespace fl::cli
