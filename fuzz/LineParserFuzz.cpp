// Any text as trace lines, line by line, into a parse record and a document.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "CMyQuarnDoc.h"
#include "TraceLineParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fl::ParseRecord rec;
    fl::ParseTraceText(std::string_view(reinterpret_cast<const char*>(data), size), rec);
    fl::CMyQuarnDoc doc;
    doc.OnNewDocument(rec, fl::DocEnvironment{});
    return 0;
}
