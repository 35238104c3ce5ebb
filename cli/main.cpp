// fieldlink-cli: batch and scripted work with trace files and the instrument.
// Exit status: 0 success, 1 failure (message on stderr), 2 usage error.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <thread>

#include "CliInstrumentCommands.h"
#include "CliSupport.h"
#include "CliSurveyCommands.h"
#include "EditorCommands.h"
#include "MarkersCommand.h"
#include "RenderCommand.h"
#include "TraceCommands.h"

namespace {

// --timeout bounds the whole command against a hung instrument: it is found before parsing, since the
// command runs while its arguments are parsed.
void StartWatchdog(int argc, char** argv) {
    double seconds = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) seconds = std::atof(argv[i + 1]);
        if (std::strncmp(argv[i], "--timeout=", 10) == 0) seconds = std::atof(argv[i] + 10);
    }
    if (seconds <= 0) return;
    std::thread([seconds] {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        std::cerr << "fieldlink-cli: no result within " << seconds << " s (--timeout), giving up\n";
        std::cerr.flush();
        _exit(1);
    }).detach();
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"fieldlink-cli: trace files in and out, reports and instrument exchanges", "fieldlink-cli"};
    app.set_version_flag("--version", std::string("fieldlink-cli ") + FIELDLINK_VERSION);
    app.require_subcommand(1);
    app.fallthrough();  // --timeout before or after the command
    double timeout = 0;
    app.add_option("--timeout", timeout, "give up after this many seconds (exit status 1)")
        ->check(CLI::PositiveNumber);
    StartWatchdog(argc, argv);
    fl::cli::AddTraceCommands(app);
    fl::cli::AddInstrumentCommands(app);
    fl::cli::AddRenderCommand(app);
    fl::cli::AddMarkersCommand(app);
    fl::cli::AddEditorCommands(app);
    fl::cli::AddSurveyCommands(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    } catch (const fl::cli::Failure& e) {
        std::cerr << "fieldlink-cli: " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "fieldlink-cli: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
