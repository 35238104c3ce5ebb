#include "EditorCommands.h"

#include <cmath>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "CMyQuarnDoc.h"
#include "CliSupport.h"
#include "EditorGraphImage.h"
#include "EmfLimitModel.h"
#include "FactorTable.h"
#include "FileIo.h"
#include "FormFiles.h"
#include "ImageCodec.h"
#include "LimitModel.h"
#include "PageImage.h"
#include "RenderCommand.h"
#include "Text.h"

namespace fl::cli {

namespace {

enum class EditorKind { Limits, EmfLimits, ChannelSystem, CableType, Factor };

EditorKind KindOf(const std::string& path) {
    const std::string ext = ToUpperAscii(std::filesystem::path(path).extension().string());
    if (ext == ".QLM") return EditorKind::Limits;
    if (ext == ".QEL") return EditorKind::EmfLimits;
    if (ext == ".QSY") return EditorKind::ChannelSystem;
    if (ext == ".QCT") return EditorKind::CableType;
    if (ext == ".QAF" || ext == ".QCF" || ext == ".QED") return EditorKind::Factor;
    throw Failure(path + ": no editor for this kind of file (.qlm .qel .qsy .qct .qaf .qcf .qed are edited)");
}

FactorMode FactorModeOf(const std::string& path) {
    const std::string ext = ToUpperAscii(std::filesystem::path(path).extension().string());
    return ext == ".QAF"   ? FactorMode::Antenna
           : ext == ".QCF" ? FactorMode::Cable
                           : FactorMode::ExternalDevice;
}

std::string ReadEditorFile(const std::string& path) {
    std::string bytes, error;
    if (!ReadWholeFile(path, bytes, 1 << 20, &error)) throw Failure(path + ": File not found");
    return bytes;
}

// Editor titles hold instrument text; the path is UTF-8.
std::string NameOf(const std::string& path) {
    return PathTextToCp1252(std::filesystem::path(path).filename().string());
}

FactorModel OpenFactor(const std::string& path) {
    FactorModel m(FactorModeOf(path));
    m.Opened(ReadFactorText(ReadEditorFile(path)), NameOf(path));
    return m;
}

LimitModel OpenLimits(const std::string& path) {
    LimitModel m;
    m.Opened(ReadLimitText(ReadEditorFile(path)), NameOf(path));
    return m;
}

EmfLimitModel OpenEmf(const std::string& path) {
    EmfLimitModel m;
    m.Opened(ReadEmfLimitText(ReadEditorFile(path), m.Settings()), NameOf(path));
    return m;
}

nlohmann::json Show(const std::string& path) {
    nlohmann::json j;
    const EditorKind kind = KindOf(path);
    if (kind == EditorKind::ChannelSystem) {
        const ChannelSystem s = ReadChannelSystemText(ReadEditorFile(path));
        j = {{"kind", "channel system"},      {"title", Cp1252ToUtf8("Channel System - " + NameOf(path))},
             {"name", Cp1252ToUtf8(s.name)},  {"first channel", s.first},
             {"last channel", s.last},        {"channel width", s.width},
             {"channel spacing", s.spacing},  {"first channel center", s.firstCenter},
             {"system level", s.systemLevel}, {"maximum frequency", Cp1252ToUtf8(s.maxFreq)}};
        return j;
    }
    if (kind == EditorKind::CableType) {
        const CableType c = ReadCableTypeText(ReadEditorFile(path));
        double v = 0;
        VelocityFromDielectric(c.dielectric, v);
        j = {{"kind", "cable type"},
             {"title", Cp1252ToUtf8("DTF Cable Type - " + NameOf(path))},
             {"description", Cp1252ToUtf8(c.description)},
             {"dielectric", c.dielectric},
             {"velocity factor", Format("%.2f", v)},
             {"attenuation", c.attenuation},
             {"length unit", c.feet ? "ft" : "m"},
             {"cut-off frequency", c.cutoff}};
        return j;
    }
    if (kind == EditorKind::Factor) {
        const FactorModel m = OpenFactor(path);
        j["kind"] = TextsFor(m.mode).title;
        j["title"] = Cp1252ToUtf8(m.title);
        j["comment"] = Cp1252ToUtf8(m.table.comment);
        j["maximum frequency"] = m.table.range == 1 ? "7.5 GHz" : "4 GHz";
        j["rows"] = nlohmann::json::array();
        for (const FactorEntry& e : m.table.entries)
            j["rows"].push_back({{"frequency", Cp1252ToUtf8(e.frequency)}, {"level", Cp1252ToUtf8(e.level)}});
        return j;
    }
    if (kind == EditorKind::Limits) {
        const LimitModel m = OpenLimits(path);
        j["kind"] = "limits";
        j["title"] = Cp1252ToUtf8(m.title);
        j["comment"] = Cp1252ToUtf8(m.set.comment);
        j["rows"] = nlohmann::json::array();
        for (const LimitLine& r : m.set.rows)
            j["rows"].push_back({{"x1", Cp1252ToUtf8(r.x1)},
                                 {"y1", Cp1252ToUtf8(r.y1)},
                                 {"x2", Cp1252ToUtf8(r.x2)},
                                 {"y2", Cp1252ToUtf8(r.y2)},
                                 {"type", LimitTypeText(r.lower)}});
        return j;
    }
    const EmfLimitModel m = OpenEmf(path);
    j["kind"] = "emf limits";
    j["title"] = Cp1252ToUtf8(m.title);
    j["comment"] = Cp1252ToUtf8(m.set.comment);
    j["rows"] = nlohmann::json::array();
    for (const EmfLimitLine& r : m.set.rows)
        j["rows"].push_back({{"F_Start [Hz]", Cp1252ToUtf8(r.text[0])},
                             {"L_Start", Cp1252ToUtf8(r.text[1])},
                             {"F_Stop [Hz]", Cp1252ToUtf8(r.text[2])},
                             {"L_Stop", Cp1252ToUtf8(r.text[3])},
                             {"Type", LimitTypeText(r.lower)}});
    const EmfSettings& s = m.Settings();
    static const char* const kScales[] = {"20", "15", "10", "5", "3", "1"};
    j["settings"] = {{"level unit", Cp1252ToUtf8(EmfUnitNames()[static_cast<size_t>(s.unit)])},
                     {"scale", kScales[s.scale]},
                     {"maximum frequency", s.range == 1 ? "7.5 GHz" : "4 GHz"},
                     {"reference level", Cp1252ToUtf8(m.LevelText(s.reference))},
                     {"parameter line", m.set.hasParameters}};
    return j;
}

}  // namespace

void AddEditorCommands(CLI::App& app) {
    {
        auto* cmd = app.add_subcommand("show", "Print what an editor shows after opening its file, as JSON");
        auto file = std::make_shared<std::string>();
        cmd->add_option("FILE", *file, "editor file (.qlm .qel .qsy .qct .qaf .qcf .qed)")->required();
        cmd->callback([file] { std::cout << Show(*file).dump(2) << "\n"; });
    }
    {
        auto* cmd = app.add_subcommand("resave", "Open an editor file and save it as the editor's Save does");
        auto file = std::make_shared<std::string>();
        auto out = std::make_shared<std::string>();
        cmd->add_option("FILE", *file, "editor file (.qlm .qel .qsy .qct .qaf .qcf .qed)")->required();
        cmd->add_option("-o,--output", *out, "the file to write (its name is upper-cased)")->required();
        cmd->callback([file, out] {
            const std::string target = UpperCaseFileName(*out);
            std::string text;
            // Save's own checks first: what the editor would refuse to save is refused here too.
            auto refuse = [&](const std::string& problem) {
                if (!problem.empty()) throw Failure(*file + ": " + Cp1252ToUtf8(problem));
            };
            switch (KindOf(*file)) {
                case EditorKind::Limits: {
                    const LimitModel m = OpenLimits(*file);
                    refuse(m.set.rows.empty() ? kLimitsEmptyText : "");
                    text = LimitFileText(m.set);
                    break;
                }
                case EditorKind::EmfLimits: {
                    const EmfLimitModel m = OpenEmf(*file);
                    refuse(m.set.rows.empty() ? kLimitsEmptyText : "");
                    text = EmfLimitFileText(m.set);
                    break;
                }
                case EditorKind::ChannelSystem: {
                    const ChannelSystem s = ReadChannelSystemText(ReadEditorFile(*file));
                    for (int n : {s.first, s.last})
                        refuse(n < 0 || n > 100000 ? "Please enter an integer between 0 and 100000." : "");
                    refuse(CheckChannelSystem(s));
                    // The name is the file chosen to save to, up to its first full stop.
                    text = ChannelSystemText(s, NameBeforeFirstDot(NameOf(*out)));
                    break;
                }
                case EditorKind::CableType: {
                    const CableType c = ReadCableTypeText(ReadEditorFile(*file));
                    double velocity = 1;
                    if (VelocityFromDielectric(c.dielectric, velocity))
                        velocity = std::round(velocity * 100) / 100;  // as the form shows it
                    refuse(CheckCableType(c, velocity));
                    text = CableTypeText(c);
                    break;
                }
                case EditorKind::Factor: {
                    const FactorModel m = OpenFactor(*file);
                    refuse(m.table.entries.empty() ? TextsFor(m.mode).emptyText : "");
                    std::time_t now = std::time(nullptr);
                    std::tm local{};
                    localtime_r(&now, &local);
                    text = FactorFileText(m.table, local);
                    break;
                }
            }
            std::string error;
            if (!WriteWholeFileAtomically(target, text, &error)) throw Failure(error);
            std::cout << target << "\n";
        });
    }
    {
        auto* cmd = app.add_subcommand("plot", "Draw editors' graphs as images");
        auto files = std::make_shared<std::vector<std::string>>();
        auto out = std::make_shared<std::string>();
        auto overlay = std::make_shared<std::string>();
        auto format = std::make_shared<std::string>("png");
        cmd->add_option("FILE", *files, "editor files (.qlm .qel .qaf .qcf .qed)")->required();
        cmd->add_option("-o,--output", *out,
                        "image file (.bmp .jpg .png ...), or a folder for several inputs")
            ->required();
        cmd->add_option("--format", *format, "the images' format in an output folder (default png)");
        cmd->add_option("--overlay", *overlay, "a trace file drawn behind the segments");
        cmd->callback([files, out, overlay, format] {
            for (const std::string& file : *files) {
                const std::string target = OutputPathFor(file, *out, files->size(), "." + *format);
                std::vector<std::array<PixelPoint, 2>> rows;
                int current = 0;
                const EditorKind kind = KindOf(file);
                if (kind == EditorKind::ChannelSystem || kind == EditorKind::CableType)
                    throw Failure(file + ": this editor has no graph");
                if (kind == EditorKind::Factor) {
                    FactorModel m = OpenFactor(file);
                    const double S = m.HalfRange();
                    EnsureGuiApplication();
                    QImage area(kGraphWidth, kGraphHeight, QImage::Format_RGB32);
                    static const QColor kCurve[] = {{219, 219, 0}, {128, 0, 128}, {0, 128, 0}};
                    DrawFactorGraph(area, m.Points(S), m.current, kCurve[static_cast<int>(m.mode)]);
                    std::string error;
                    if (!SaveImage(ToBitmap24(area), target, &error)) throw Failure(error);
                    continue;
                }
                if (kind == EditorKind::Limits) {
                    const LimitModel m = OpenLimits(file);
                    for (const LimitLine& r : m.set.rows)
                        rows.push_back({LimitPixel(LeadingReal(r.x1), LeadingReal(r.y1)),
                                        LimitPixel(LeadingReal(r.x2), LeadingReal(r.y2))});
                    current = m.current;
                } else {
                    const EmfLimitModel m = OpenEmf(file);
                    for (const EmfLimitLine& r : m.set.rows)
                        rows.push_back(
                            {EmfPixel(r.value[0], r.value[1], m.MaxHz(), m.Settings().reference, m.Scale()),
                             EmfPixel(r.value[2], r.value[3], m.MaxHz(), m.Settings().reference, m.Scale())});
                    current = m.current;
                }
                std::vector<std::array<PixelPoint, 2>> lines;
                if (!overlay->empty()) {
                    CMyQuarnDoc doc;
                    const LoadResult r = doc.Load(*overlay);
                    if (!r.ok()) throw Failure(*overlay + ": " + r.message);
                    lines = OverlayLines(OverlayFrom(doc));
                }
                EnsureGuiApplication();
                QImage area(kGraphWidth, kGraphHeight, QImage::Format_RGB32);
                DrawEditorGraph(area, rows, current, lines);
                std::string error;
                if (!SaveImage(ToBitmap24(area), target, &error)) throw Failure(error);
            }
        });
    }
}

}  // namespace fl::cli
