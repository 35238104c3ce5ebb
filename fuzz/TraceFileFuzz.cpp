// Any bytes as a trace file: every layout, the line parser behind the line container, and everything a
// successfully opened document feeds (settings text, ASCII report, stored form).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "AsciiExport.h"
#include "CMyQuarnDoc.h"
#include "SettingsText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fl::CMyQuarnDoc doc;
    fl::LoadResult r = doc.LoadBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!r.ok()) return 0;
    (void)fl::SettingsLines(doc, "FUZZ");
    (void)fl::AsciiReportText(doc, true);
    fl::CMyQuarnDoc again;
    (void)again.LoadBytes(doc.SerializeStored());
    return 0;
}
