// Parses trace text lines into a fresh parse record, as a complete parse does.
#pragma once

#include <string>
#include <vector>

#include "TraceLineParser.h"

namespace fl::test {

inline ParseRecord ParseLines(const std::vector<std::string>& lines) {
    ParseRecord rec;
    TraceLineParser p(rec);
    p.ResetDefaults();
    for (const auto& l : lines)
        p.ParseLine(l);
    p.Finish();
    return rec;
}

}  // namespace fl::test
