// The print header settings (section "SETTINGS": "PHeadLeft", "PHeadRight", "ShowFilePath"), read from
// the program's settings file by the printer, the report and the CLI alike.
#pragma once

#include "PageRenderer.h"

namespace fl {

RenderOptions PrintSettingsOptions();

}  // namespace fl
