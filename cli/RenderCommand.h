// fieldlink-cli render: the trace page as an image, drawn headless with the page renderer.
#pragma once

#include <CLI/CLI.hpp>

namespace fl::cli {

void AddRenderCommand(CLI::App& app);
// A QGuiApplication on the offscreen platform, made once, for commands that draw.
void EnsureGuiApplication();

}  // namespace fl::cli
