// quarn-samples: writes the sample trace files (.qtr of every mode, .qtm of every stored version).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "Archive.h"
#include "CMyQuarnDoc.h"
#include "SampleTraces.h"
#include "StoredLayout.h"

namespace {

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) std::fprintf(stderr, "quarn-samples: cannot write %s\n", path.c_str());
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::fprintf(stderr, "usage: quarn-samples OUTPUT_FOLDER\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    bool ok = true;
    for (const auto& t : fl::sim::AllSampleTraces()) {
        const std::string qtr = fl::sim::LineContainerBytes(t.lines);
        ok &= WriteFile(dir / (t.name + ".qtr"), qtr);
        // Each sample as a freshly started program opens it (the parse record keeps the last min/max form).
        fl::s_parsed.m_nMinMaxA = fl::s_parsed.m_nMinMaxB = 0;
        fl::CMyQuarnDoc doc;
        if (!doc.LoadBytes(qtr).ok()) return 1;
        ok &= WriteFile(dir / (t.name + ".qtm"), doc.SerializeStored());
        if (t.name != "SPECTRUM") continue;
        // The spectrum sample in every older stored form as well.
        for (char v : {'A', 'B', 'C', 'D', 'E'})
            ok &= WriteFile(dir / (t.name + "_" + v + ".qtm"), fl::StoredTraceBytes(doc, v));
        for (bool ext : {true, false}) {
            fl::ArchiveWriter w;
            fl::WriteUnversioned(w, doc, ext);
            ok &= WriteFile(dir / (t.name + (ext ? "_U.qtm" : "_U0.qtm")), w.Data());
        }
    }
    return ok ? 0 : 1;
}
