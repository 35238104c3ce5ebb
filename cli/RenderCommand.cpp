#include "RenderCommand.h"

#include <QGuiApplication>
#include <cstdlib>
#include <memory>

#include "CMyQuarnDoc.h"
#include "CliSupport.h"
#include "ConnectionSettings.h"
#include "PageImage.h"
#include "PageRenderer.h"
#include "TraceCompare.h"
#include "VectorPage.h"

namespace fl::cli {

// Fonts need a GUI application object; without a display the offscreen platform serves.
void EnsureGuiApplication() {
    if (QGuiApplication::instance()) return;
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "fieldlink-cli";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> app = std::make_unique<QGuiApplication>(argc, argv);
}

void ApplyProfileViewDefaults() {
    // A trace without view state of its own shows as the program's default profile says.
    ConnectionSettings profile;
    ReadProfile("default", profile);
    ViewDefaultsFromProfile(profile, s_docEnv);
}

// One trace page into `target`, as AddRenderCommand's options say.
void RenderOne(const std::string& file, const std::string& target, bool portrait, bool landscape, bool panels,
               bool noPanels, const std::vector<std::string>& overlays, const std::string& difference,
               const std::string& size);

void AddRenderCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("render", "Draw the trace page of files as images or vector pages");
    auto files = std::make_shared<std::vector<std::string>>();
    auto format = std::make_shared<std::string>("png");
    auto out = std::make_shared<std::string>();
    auto portrait = std::make_shared<bool>(false);
    auto landscape = std::make_shared<bool>(false);
    auto size = std::make_shared<std::string>();
    auto panels = std::make_shared<bool>(false);
    cmd->add_option("FILE", *files, "trace files")->required();
    cmd->add_option(
           "-o,--output", *out,
           "image or page file (.bmp .jpg .jp2 .j2k .pcx .png .ppm .pgm .ras .tga .tif, or .pdf .svg), "
           "or a folder for several inputs")
        ->required();
    cmd->add_option("--format", *format, "the files' format in an output folder (default png; pdf, svg ...)");
    auto* p = cmd->add_flag("--portrait", *portrait, "portrait page");
    auto* l = cmd->add_flag("--landscape", *landscape, "landscape page");
    p->excludes(l);
    auto noPanels = std::make_shared<bool>(false);
    auto* all = cmd->add_flag("--all-panels", *panels,
                              "show every parameter panel, whatever the file or the profile says");
    cmd->add_flag("--no-panels", *noPanels, "show the graph without parameter panels")->excludes(all);
    auto overlays = std::make_shared<std::vector<std::string>>();
    auto difference = std::make_shared<std::string>();
    cmd->add_option("--overlay", *overlays,
                    "draw trace A (and B) of these files over the page, each in its colour");
    cmd->add_option("--difference", *difference, "draw FILE minus this reference trace, in dB");
    cmd->add_option("--size", *size,
                    "image size WxH (default 1920x1080 landscape, 1080x1400 portrait; pages in points, "
                    "A4 by default)");
    cmd->callback([=] {
        ApplyProfileViewDefaults();
        EnsureGuiApplication();
        for (const std::string& file : *files)
            RenderOne(file, OutputPathFor(file, *out, files->size(), "." + *format), *portrait, *landscape,
                      *panels, *noPanels, *overlays, *difference, *size);
    });
}

void RenderOne(const std::string& file, const std::string& target, bool portrait, bool landscape, bool panels,
               bool noPanels, const std::vector<std::string>& overlays, const std::string& difference,
               const std::string& size) {
    CMyQuarnDoc doc;
    LoadResult r = doc.Load(file);
    if (!r.ok()) throw Failure(file + ": " + r.message);
    if (!difference.empty() || !overlays.empty()) {
        auto open = [](const std::string& path) {
            auto other = std::make_unique<CMyQuarnDoc>();
            const LoadResult lr = other->Load(path);
            if (!lr.ok()) throw Failure(path + ": " + lr.message);
            return other;
        };
        std::string refusal;
        if (!difference.empty()) {
            const auto ref = open(difference);
            CMyQuarnDoc diff;
            if (!DifferenceDocument(doc, *ref, diff, &refusal)) throw Failure(refusal);
            doc = diff;
        }
        std::vector<std::unique_ptr<CMyQuarnDoc>> others;
        std::vector<const CMyQuarnDoc*> list;
        for (const std::string& path : overlays) {
            others.push_back(open(path));
            list.push_back(others.back().get());
        }
        if (!list.empty()) {
            CMyQuarnDoc compared;
            if (!ComparisonDocument(doc, list, compared, &refusal)) throw Failure(refusal);
            doc = compared;
        }
    }
    if (panels || noPanels)
        doc.m_bShowLevelPanel = doc.m_bShowStatusPanel = doc.m_bShowTracePanel = doc.m_bShowInstrumentPanel =
            doc.m_bShowEdevPanel = doc.m_bShowGpsPanel = panels ? 1 : 0;
    if (portrait) doc.m_nOrientation = 0;
    if (landscape) doc.m_nOrientation = 1;
    doc.UpdatePageSize();
    const bool vector = IsVectorPageName(target);
    // Images in pixels, vector pages in points (A4).
    int w = vector ? (doc.m_nOrientation ? 842 : 595) : (doc.m_nOrientation ? 1920 : 1080);
    int h = vector ? (doc.m_nOrientation ? 595 : 842) : (doc.m_nOrientation ? 1080 : 1400);
    if (!size.empty()) {
        if (std::sscanf(size.c_str(), "%dx%d", &w, &h) != 2 || w < 16 || h < 16 || w > 20000 || h > 20000)
            throw Failure("--size wants WxH, each from 16 to 20000");
    }
    std::string error;
    if (vector) {
        if (!SaveVectorPage(doc, target, w, h, {}, &error)) throw Failure(error);
        return;
    }
    const QImage image = RenderPageImage(doc, w, h);
    if (!SaveImage(ToBitmap24(image), target, &error)) throw Failure(error);
}

}  // namespace fl::cli
