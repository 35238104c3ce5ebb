// fieldlink-cli: batch and scripted work with trace files and the instrument.
// Exit status: 0 success, 1 failure (message on stderr), 2 usage error.
#include <CLI/CLI.hpp>
#include <iostream>

#include "CliSupport.h"
#include "InstrumentCommands.h"
#include "RenderCommand.h"
#include "TraceCommands.h"

int main(int argc, char** argv) {
    CLI::App app{"fieldlink-cli: trace files in and out, reports and instrument exchanges", "fieldlink-cli"};
    app.require_subcommand(1);
    fl::cli::AddTraceCommands(app);
    fl::cli::AddInstrumentCommands(app);
    fl::cli::AddRenderCommand(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
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
