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

void AddRenderCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("render", "Draw the trace page of a file as an image");
    auto file = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    auto portrait = std::make_shared<bool>(false);
    auto landscape = std::make_shared<bool>(false);
    auto size = std::make_shared<std::string>();
    auto panels = std::make_shared<bool>(false);
    cmd->add_option("FILE", *file, "trace file")->required();
    cmd->add_option("-o,--output", *out, "image file: .bmp .jpg .jp2 .j2k .pcx .png .ppm .pgm .ras .tga .tif")
        ->required();
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
    cmd->add_option("--size", *size, "image size WxH (default 1920x1080 landscape, 1080x1400 portrait)");
    cmd->callback([=] {
        ApplyProfileViewDefaults();
        CMyQuarnDoc doc;
        LoadResult r = doc.Load(*file);
        if (!r.ok()) throw Failure(*file + ": " + r.message);
        if (!difference->empty() || !overlays->empty()) {
            auto open = [](const std::string& path) {
                auto other = std::make_unique<CMyQuarnDoc>();
                const LoadResult lr = other->Load(path);
                if (!lr.ok()) throw Failure(path + ": " + lr.message);
                return other;
            };
            std::string refusal;
            if (!difference->empty()) {
                const auto ref = open(*difference);
                CMyQuarnDoc diff;
                if (!DifferenceDocument(doc, *ref, diff, &refusal)) throw Failure(refusal);
                doc = diff;
            }
            std::vector<std::unique_ptr<CMyQuarnDoc>> others;
            std::vector<const CMyQuarnDoc*> list;
            for (const std::string& path : *overlays) {
                others.push_back(open(path));
                list.push_back(others.back().get());
            }
            if (!list.empty()) {
                CMyQuarnDoc compared;
                if (!ComparisonDocument(doc, list, compared, &refusal)) throw Failure(refusal);
                doc = compared;
            }
        }
        if (*panels || *noPanels)
            doc.m_bShowLevelPanel = doc.m_bShowStatusPanel = doc.m_bShowTracePanel =
                doc.m_bShowInstrumentPanel = doc.m_bShowEdevPanel = doc.m_bShowGpsPanel = *panels ? 1 : 0;
        if (*portrait) doc.m_nOrientation = 0;
        if (*landscape) doc.m_nOrientation = 1;
        doc.UpdatePageSize();
        int w = doc.m_nOrientation ? 1920 : 1080;
        int h = doc.m_nOrientation ? 1080 : 1400;
        if (!size->empty()) {
            if (std::sscanf(size->c_str(), "%dx%d", &w, &h) != 2 || w < 16 || h < 16 || w > 20000 ||
                h > 20000)
                throw Failure("--size wants WxH, each from 16 to 20000");
        }
        EnsureGuiApplication();
        const QImage image = RenderPageImage(doc, w, h);
        std::string error;
        if (!SaveImage(ToBitmap24(image), *out, &error)) throw Failure(error);
    });
}

}  // namespace fl::cli
