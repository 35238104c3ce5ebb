// fieldlink-cli render: the trace page as an image, drawn headless with the page renderer.
#pragma once

#include <CLI/CLI.hpp>

namespace fl::cli {

void AddRenderCommand(CLI::App& app);
// A QGuiApplication on the offscreen platform, made once, for commands that draw.
void EnsureGuiApplication();
// The default profile's view settings for traces that carry none of their own.
void ApplyProfileViewDefaults();

}  // namespace fl::cli
