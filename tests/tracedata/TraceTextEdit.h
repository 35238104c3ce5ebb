// Trace texts for tests: the lines of a bundled .qtr, one setting changed, read as a document.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Archive.h"
#include "CMyQuarnDoc.h"
#include "SampleTraces.h"
#include "TestUtil.h"

namespace fl::test {

inline std::vector<std::string> ContainerLines(const std::string& path) {
    const std::string bytes = test::ReadFile(path);
    ArchiveReader in(bytes);
    in.Byte();
    std::vector<std::string> lines;
    while (!in.AtEnd())
        lines.push_back(in.String());
    return lines;
}

// The trace text with the line starting with `key` replaced (or appended when there is none).
inline std::vector<std::string> With(std::vector<std::string> lines, const std::string& key,
                                     const std::string& value) {
    for (auto& l : lines)
        if (l.rfind(key + " ", 0) == 0) {
            l = key + " " + value;
            return lines;
        }
    // Before the trace data, which some keys (the transmission unit) must precede.
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rfind("SENSe:TRACe:DATa ", 0) == 0) {
            lines.insert(lines.begin() + static_cast<long>(i), key + " " + value);
            return lines;
        }
    lines.push_back(key + " " + value);
    return lines;
}

inline CMyQuarnDoc FromText(const std::vector<std::string>& lines) {
    CMyQuarnDoc d;
    EXPECT_TRUE(d.LoadBytes(sim::LineContainerBytes(lines)).ok());
    return d;
}

}  // namespace fl::test
