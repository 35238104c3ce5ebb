#include "MarkersCommand.h"

#include <iostream>
#include <memory>
#include <optional>

#include "CMyQuarnDoc.h"
#include "CliSupport.h"
#include "MarkerEdit.h"
#include "PanelText.h"
#include "Text.h"

namespace fl::cli {

void AddMarkersCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand(
        "markers", "Place, search and sort the markers of a trace file and save it as a modified trace");
    auto file = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    auto trace = std::make_shared<std::string>("A");
    auto marker = std::make_shared<int>(1);
    auto maxPeak = std::make_shared<bool>(false);
    auto nextPeak = std::make_shared<bool>(false);
    auto labelAll = std::make_shared<bool>(false);
    auto threshold = std::make_shared<std::optional<int>>();
    auto sort = std::make_shared<std::string>();
    auto move = std::make_shared<std::optional<int>>();
    auto at = std::make_shared<std::optional<int>>();
    auto list = std::make_shared<bool>(false);
    cmd->add_option("FILE", *file, "trace file (.qtr or .qtm)")->required();
    cmd->add_option("-o,--output", *out, "the modified trace (.qtm) to write");
    cmd->add_option("--trace", *trace, "the trace whose markers are worked: A or B")
        ->check(CLI::IsMember({"A", "B"}));
    cmd->add_option("--marker", *marker, "the marker the searches and moves act on (1 to 10, default 1)")
        ->check(CLI::Range(1, 10));
    auto* mp = cmd->add_flag("--max-peak", *maxPeak, "put the marker on the highest point");
    auto* np = cmd->add_flag("--next-peak", *nextPeak, "move the marker to the next lower peak");
    auto* lp = cmd->add_flag("--label-all-peaks", *labelAll,
                             "markers 1.. on the highest peaks, down to the threshold");
    mp->excludes(np)->excludes(lp);
    np->excludes(lp);
    cmd->add_option("--threshold", *threshold, "set the marker threshold, a whole number of dBm")
        ->check(CLI::Range(-200, 50));
    cmd->add_option("--sort", *sort, "sort the normal markers: level (highest first) or x (smallest first)")
        ->check(CLI::IsMember({"level", "x"}));
    cmd->add_option("--at", *at, "put the marker on display point 0..500 (switching it on)")
        ->check(CLI::Range(0, 500));
    cmd->add_option("--move", *move,
                    "move the marker by this many points, as the arrow keys do (-1, +1, -10, +10)");
    cmd->add_flag("--list", *list, "print the marker table lines of the trace");
    cmd->callback([=] {
        if (out->empty() && !*list)
            throw CLI::ValidationError("--output", "needed unless only --list is asked for");
        CMyQuarnDoc doc;
        const LoadResult r = doc.Load(*file);
        if (!r.ok()) throw Failure(*file + ": " + r.message);
        const char t = (*trace)[0];
        if (!TraceOffered(doc, t)) throw Failure(*file + ": trace " + *trace + " is OFF in this file");
        int selected = *marker;
        auto& state = t == 'B' ? doc.m_arrUserStateB : doc.m_arrUserStateA;
        if (*threshold) {
            doc.m_bThresholdSet = 1;
            doc.m_dMarkerThreshold = **threshold;
        }
        if (*at) {
            if (state[static_cast<size_t>(selected)] == MARKER_OFF)
                state[static_cast<size_t>(selected)] = NORMal;
            PlaceMarker(doc, t, selected, **at);
        }
        if (*maxPeak) MaxPeak(doc, t, selected);
        if (*nextPeak) NextPeak(doc, t, selected);
        if (*labelAll) LabelAllPeaks(doc, t, &selected);
        if (*move) {
            if (state[static_cast<size_t>(selected)] == MARKER_OFF)
                throw Failure("marker " + std::to_string(selected) + " is off: nothing to move");
            PlaceMarker(doc, t, selected, MarkerPoint(doc, t, selected) + **move);
        }
        if (!sort->empty())
            SortMarkers(doc, t, *sort == "level" ? MarkerSort::Level : MarkerSort::Position, &selected);
        if (*list)
            for (const auto& line : MarkerLines(doc, t))
                std::cout << Cp1252ToUtf8(line) << "\n";
        if (!out->empty()) {
            std::string error;
            if (!doc.WriteTo(*out, &error)) throw Failure(error);
        }
    });
}

}  // namespace fl::cli
