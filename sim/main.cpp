// quarn-sim: a Quarn instrument simulator on TCP and a pseudo-terminal, for tests and the demo mode.
#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <iostream>

#include "NmeaSource.h"
#include "SimServer.h"

namespace {
fl::sim::SimServer* g_server = nullptr;
void OnSignal(int) {
    if (g_server) g_server->RequestStop();
}
}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"quarn-sim: simulated Quarn instrument", "quarn-sim"};
    app.set_version_flag("--version", std::string("quarn-sim ") + FIELDLINK_VERSION);
    std::string tcp, pty, fault = "none";
    int baud = 0;
    std::string gpsPty, gpsFault = "none";
    int gpsInterval = 1000;
    fl::sim::SimOptions opt;
    app.add_option("--tcp", tcp, "[HOST:]PORT to listen on (loopback by default)");
    app.add_option("--pty", pty, "create a pseudo-terminal and link its slave here");
    app.add_option("--model", opt.model, "Quarn, Quarn1, Quarn2, Quarn2B or Quarn3")->capture_default_str();
    app.add_option("--firmware", opt.firmware, "firmware version")->capture_default_str();
    app.add_option("--store", opt.storeFolder, "folder that keeps the trace store");
    app.add_option("--screen", opt.activeSample, "sample shown on the simulated screen")
        ->capture_default_str();
    app.add_option("--baud", baud, "pace serial bytes like a line of this speed");
    app.add_option(
        "--fault", fault,
        "error, minus9999, silence, silence-all, drop, garbage, garbage-noeol, endless, noend, slow "
        "or crawl");
    app.add_option("--fault-from", opt.faultFrom,
                   "the fault hits from the n-th data, file or screen command on (0: its own rule)")
        ->capture_default_str();
    app.add_option("--drop-after", opt.dropAfterLines, "upload lines before the drop fault")
        ->capture_default_str();
    app.add_option("--fault-on", opt.faultOn, "only commands that start with this text count for the fault");
    app.add_option("--gps-pty", gpsPty, "a simulated GPS receiver on a second pseudo-terminal linked here");
    app.add_option("--gps-fault", gpsFault, "none, bad-checksum or truncated");
    app.add_option("--gps-interval", gpsInterval, "milliseconds between NMEA bursts")->capture_default_str();
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    }
    if (tcp.empty() && pty.empty() && gpsPty.empty()) {
        std::cerr << "quarn-sim: give --tcp, --pty and/or --gps-pty\n";
        return 2;
    }
    opt.fault = fl::sim::ParseFault(fault);
    try {
        fl::sim::SimServer server(opt);
        server.SetBaud(baud);
        if (!tcp.empty()) {
            std::string host = "127.0.0.1";
            std::string port = tcp;
            if (auto c = tcp.rfind(':'); c != std::string::npos) {
                host = tcp.substr(0, c);
                port = tcp.substr(c + 1);
            }
            int bound = server.ListenTcp(host, std::stoi(port));
            std::printf("quarn-sim: %s on TCP %s:%d\n", opt.model.c_str(), host.c_str(), bound);
        }
        if (!pty.empty())
            std::printf("quarn-sim: %s on %s -> %s\n", opt.model.c_str(), pty.c_str(),
                        server.OpenPty(pty).c_str());
        fl::sim::NmeaSource gps;
        if (!gpsPty.empty()) {
            gps.SetFault(gpsFault == "bad-checksum" ? fl::sim::NmeaFault::BadChecksum
                         : gpsFault == "truncated"  ? fl::sim::NmeaFault::Truncated
                                                    : fl::sim::NmeaFault::None);
            std::printf("quarn-sim: GPS receiver on %s -> %s\n", gpsPty.c_str(),
                        gps.Start(gpsPty, gpsInterval).c_str());
        }
        std::fflush(stdout);
        g_server = &server;
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
        server.Run();
        g_server = nullptr;
    } catch (const std::exception& e) {
        std::cerr << "quarn-sim: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
