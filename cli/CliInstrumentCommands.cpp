#include "CliInstrumentCommands.h"

#include <atomic>
#include <csignal>
#include <deque>
#include <filesystem>
#include <iostream>
#include <mutex>

#include "AsciiExport.h"
#include "CMyQuarnDoc.h"
#include "CliSupport.h"
#include "CommandChannel.h"
#include "DataTransfer.h"
#include "GpsReceiver.h"
#include "GpsText.h"
#include "ImageCodec.h"
#include "LiveTrace.h"
#include "ProgramFolder.h"
#include "ScreenDump.h"
#include "Text.h"
#include "TraceRetrieval.h"

namespace fl::cli {

namespace {

struct ConnectionOptions {
    std::string tcp;
    std::string serial;
    int baud = 57600;
};

// The connection options given before the command name (fieldlink-cli --tcp HOST list): each command
// takes them when it has none of its own.
ConnectionOptions g_before;

void AddConnectionOptions(CLI::App* cmd, ConnectionOptions& o) {
    auto* tcp = cmd->add_option("--tcp", o.tcp, "instrument address HOST[:PORT] (port 49200 by default)");
    auto* serial = cmd->add_option("--serial", o.serial, "serial port COM<n> or a device path");
    cmd->add_option("--baud", o.baud, "serial speed")->capture_default_str();
    tcp->excludes(serial);
}

// A connected instrument for one command; disconnects (with "SYST:COMM:LOC") when it goes.
class Session {
  public:
    explicit Session(const ConnectionOptions& own) : channel(port, settings, state, prompts) {
        const ConnectionOptions& o = own.tcp.empty() && own.serial.empty() ? g_before : own;
        if (o.tcp.empty() == o.serial.empty())
            throw Failure("give --tcp HOST[:PORT] or --serial COM<n>|DEVICE");
        settings.baudRate = std::to_string(o.baud);
        if (!o.tcp.empty()) {
            settings.linkKind = 1;
            settings.ipAddress = o.tcp;
            if (auto c = o.tcp.rfind(':'); c != std::string::npos) {
                settings.ipAddress = o.tcp.substr(0, c);
                settings.tcpPort = LeadingInt(o.tcp.substr(c + 1));
            }
        } else if (o.serial.rfind("COM", 0) == 0) {
            settings.comPort = LeadingInt(o.serial.substr(3));
        } else {
            settings.serialDevice = o.serial;
        }
        // As the Connect command: the unset address (or none at all) is no instrument to try.
        if (settings.linkKind == 1 && (settings.ipAddress == "0.0.0.0" || settings.ipAddress.empty()))
            throw Failure("No valid IP Address");
        prompts.deferred = true;  // errors are said once, by the command's own failure
        if (!channel.ConnectInstrument(settings.linkKind))
            throw Failure(prompts.messages.empty() ? "cannot connect" : Last());
    }
    ~Session() { channel.Disconnect(); }
    std::string Last() { return prompts.TakeLast(); }

    CPort port;
    ConnectionSettings settings;
    ConnectionState state;
    StderrPrompts prompts;
    CommandChannel channel;
};

// Documents made by an upload are saved at once as .qtm files.
class SavingSink : public ITraceSink {
  public:
    explicit SavingSink(std::string folder) : m_folder(std::move(folder)) {}
    // The file a trace of that name goes to.
    std::string PathFor(std::string name) const {
        for (char& c : name)
            if (c == '/' || c == ':' || c == ' ') c = '_';
        return (std::filesystem::path(m_folder) / (name + ".qtm")).string();
    }
    // Refuses, before anything is fetched, a name whose file is there and may not be replaced.
    void CheckFree(const std::string& name) const {
        const std::string path = PathFor(name);
        std::error_code ec;
        if (!overwrite && std::filesystem::exists(std::filesystem::symlink_status(path, ec)))
            throw Failure(path + " already exists, not fetched (give --overwrite to replace it)");
    }
    void NewDocument(const ParseRecord& parsed) override {
        doc = std::make_unique<CMyQuarnDoc>();
        doc->OnNewDocument(parsed);
        const std::string name = fileName.empty() ? doc->m_strTraceName : fileName;
        const std::string path = PathFor(name);
        CheckFree(name);
        std::string error;
        if (!doc->WriteTo(path, &error, overwrite)) throw Failure(error);
        saved.push_back(path);
    }
    void ReloadActive(const ParseRecord& parsed) override {
        if (!doc) doc = std::make_unique<CMyQuarnDoc>();
        doc->TakeOver(parsed);
    }
    std::string fileName;
    bool overwrite = false;
    std::unique_ptr<CMyQuarnDoc> doc;
    std::vector<std::string> saved;

  private:
    std::string m_folder;
};

void AddKindOption(CLI::App* cmd, std::string& kind) {
    cmd->add_option("--kind", kind,
                    "trace, settings, limits, channels, edev, cabletypes, antenna or cablefactors")
        ->capture_default_str();
}

const FileKind& KindOf(const std::string& name) {
    const FileKind* k = FindKind(name);
    // A wrong kind is a usage error (exit status 2), and the message lists what is valid.
    if (!k) throw CLI::ValidationError("--kind", "unknown kind \"" + name + "\"; valid: " + KindNames());
    return *k;
}

// Without a user to ask: existing files are replaced with --overwrite, else skipped, and either is said.
DuplicateRule CliDuplicateRule(bool overwrite) {
    DuplicateRule rule;
    // What happened is said after the transfer, from the batch's result.
    rule.ask = [overwrite](const std::string&) {
        return overwrite ? DuplicateAnswer::YesToAll : DuplicateAnswer::NoToAll;
    };
    return rule;
}

// Replacements are said once they happened; files kept because they were already there fail the command.
void ReportDuplicates(const DataTransfer::BatchResult& r) {
    for (const auto& n : r.replaced)
        std::cerr << n << " already existed and was replaced\n";
    if (!r.declined.empty())
        throw Failure(r.declined.front() + " already exists, not copied (give --overwrite to replace it)");
}

std::atomic<bool> g_interrupted{false};
void OnInterrupt(int) {
    g_interrupted = true;
}

}  // namespace

void AddGpsCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("gps", "Print the fixes of a GPS receiver (NMEA on a serial port)");
    auto serial = std::make_shared<std::string>();
    auto count = std::make_shared<int>(5);
    auto baud = std::make_shared<int>(4800);
    cmd->add_option("--serial", *serial, "receiver port COM<n> or a device path")->required();
    cmd->add_option("--count", *count, "fixes to print")->capture_default_str()->check(CLI::Range(1, 100000));
    cmd->add_option("--baud", *baud, "receiver speed")->capture_default_str();
    cmd->callback([serial, count, baud] {
        // One line per epoch, once its RMC and GGA are both in (or the next epoch began without one).
        std::mutex m;
        std::deque<GpsFix> epochs;
        GpsReceiver gps;  // after what its worker writes to, so it stops first
        gps.onEpoch = [&](const GpsFix& f) {
            std::lock_guard lock(m);
            epochs.push_back(f);
        };
        std::string error;
        const bool com = serial->rfind("COM", 0) == 0;
        if (!gps.Start(com ? LeadingInt(serial->substr(3)) : 0, *baud, &error, com ? std::string() : *serial))
            throw Failure(error);
        g_interrupted = false;
        auto previous = std::signal(SIGINT, OnInterrupt);
        int printed = 0;
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10 + 2 * *count);
        while (printed < *count && !g_interrupted && gps.Running() &&
               std::chrono::steady_clock::now() < limit) {
            std::deque<GpsFix> ready;
            {
                std::lock_guard lock(m);
                ready.swap(epochs);
            }
            for (const GpsFix& f : ready) {
                if (printed >= *count) break;
                std::cout << Cp1252ToUtf8(Format("%s %s  %s  %s  %s  %s  sat %02d  HDOP %.1f  %s",
                                                 GpsDateText(f.date).c_str(), GpsTimeText(f.utcTime).c_str(),
                                                 FormatGpsLatitude(f.latitude, f.latHemisphere, 0).c_str(),
                                                 FormatGpsLongitude(f.longitude, f.lonHemisphere, 0).c_str(),
                                                 FormatGpsSpeed(f.speedKnots, 0).c_str(),
                                                 FormatGpsAltitude(f.altitude, 0).c_str(), f.satellites,
                                                 f.hdop, GpsStatusCaption(GpsStatusText(f.status)).c_str()))
                          << "\n"
                          << std::flush;
                ++printed;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        gps.Stop();
        std::signal(SIGINT, previous);
        if (printed < *count && !g_interrupted) throw Failure("the receiver sent no valid fix");
    });
}

void AddScreenDumpCommand(CLI::App& app) {
    auto* cmd = app.add_subcommand("screendump", "Read the instrument's screen into an image file");
    auto o = std::make_shared<ConnectionOptions>();
    auto out = std::make_shared<std::string>();
    AddConnectionOptions(cmd, *o);
    cmd->add_option("-o,--output", *out, "image file: .bmp .jpg .jp2 .j2k .pcx .png .ppm .pgm .ras .tga .tif")
        ->required();
    cmd->callback([o, out] {
        if (ImageFormatFromName(*out) == IMG_NONE || ImageFormatFromName(*out) == IMG_WMF)
            throw Failure(*out + ": unknown image format");
        Session s(*o);
        if (!s.channel.MenuState().screenDump)
            throw Failure("this instrument has no screen dump (Quarn1 up to 2.21)");
        ScreenDump dump(s.channel);
        dump.Open();
        const auto result = dump.ReadScreen([](int phase, int pos, const std::string&) {
            if (phase == 1 && pos % 48 == 0) std::cerr << "." << std::flush;
        });
        std::cerr << "\n";
        dump.Close();
        if (result != ScreenDump::Result::Ok)
            throw Failure(s.Last().empty() ? "the screen could not be read" : s.Last());
        std::string error;
        if (!SaveImage(dump.Picture(), *out, &error)) throw Failure(error);
        std::cout << *out << "\n";
    });
}

void AddInstrumentCommands(CLI::App& app) {
    AddConnectionOptions(&app, g_before);
    AddGpsCommand(app);
    AddScreenDumpCommand(app);
    {
        auto* cmd = app.add_subcommand("identify", "Connect and print the instrument's identity");
        auto o = std::make_shared<ConnectionOptions>();
        AddConnectionOptions(cmd, *o);
        cmd->callback([o] {
            Session s(*o);
            std::cout << CleanReply(s.channel.LastIdentity()) << "\n";
            std::cout << "model " << s_strConnectedModel << ", firmware code " << s.state.firmwareCode << ", "
                      << s.channel.PaneText() << "\n";
        });
    }
    {
        auto* cmd = app.add_subcommand("list", "List the files saved on the instrument");
        auto o = std::make_shared<ConnectionOptions>();
        auto kind = std::make_shared<std::string>("trace");
        AddConnectionOptions(cmd, *o);
        AddKindOption(cmd, *kind);
        cmd->callback([o, kind] {
            const FileKind& k = KindOf(*kind);
            Session s(*o);
            DataTransfer dt(s.channel);
            std::vector<InstrumentEntry> entries;
            if (!dt.ListInstrument(k, entries)) throw Failure(s.Last());
            for (const auto& e : entries)
                std::cout << Cp1252ToUtf8(e.name + "  " + e.date + "  " + e.time) << "\n";
        });
    }
    {
        auto* cmd = app.add_subcommand("get", "Copy instrument files to the PC");
        auto o = std::make_shared<ConnectionOptions>();
        auto kind = std::make_shared<std::string>("trace");
        auto names = std::make_shared<std::vector<std::string>>();
        auto out = std::make_shared<std::string>(".");
        auto overwrite = std::make_shared<bool>(false);
        AddConnectionOptions(cmd, *o);
        AddKindOption(cmd, *kind);
        cmd->add_option("NAME", *names, "instrument file names")->required();
        cmd->add_option("-o,--output", *out, "PC folder")->capture_default_str();
        cmd->add_flag("--overwrite", *overwrite, "replace existing PC files (otherwise they are skipped)");
        cmd->callback([=] {
            const FileKind& k = KindOf(*kind);
            std::error_code ec;
            std::filesystem::create_directories(*out, ec);
            Session s(*o);
            DataTransfer dt(s.channel);
            DuplicateRule rule = CliDuplicateRule(*overwrite);
            std::vector<std::string> present;
            for (const auto& e : ListPcFolder(*out, k))
                present.push_back(e.name);
            const auto r = dt.CopyToPc(k, *names, *out, present, rule);
            for (const auto& path : r.copied)
                std::cout << path << "\n";
            ReportDuplicates(r);
            if (!r.skipped.empty())
                throw Failure(r.skipped.front() + ": not a name that can be stored on the PC");
            if (!r.failed.empty())
                throw Failure(r.failed + ": " +
                              (s.Last().empty() ? "the instrument refused the upload" : s.Last()));
        });
    }
    {
        auto* cmd = app.add_subcommand("put", "Copy PC files to the instrument");
        auto o = std::make_shared<ConnectionOptions>();
        auto kind = std::make_shared<std::string>();
        auto files = std::make_shared<std::vector<std::string>>();
        auto overwrite = std::make_shared<bool>(false);
        AddConnectionOptions(cmd, *o);
        cmd->add_option("--kind", *kind, "file kind; by default from each file's extension");
        cmd->add_option("FILE", *files, "PC files")->required();
        cmd->add_flag("--overwrite", *overwrite,
                      "replace existing instrument files (otherwise they are skipped)");
        cmd->callback([=] {
            Session s(*o);
            DataTransfer dt(s.channel);
            DuplicateRule rule = CliDuplicateRule(*overwrite);
            for (const auto& f : *files) {
                const FileKind* k = kind->empty() ? nullptr : &KindOf(*kind);
                if (!k)
                    for (const auto& candidate : FileKinds())
                        if (EndsWithNoCase(f, candidate.extension) ||
                            (candidate.tab == 0 && EndsWithNoCase(f, ".qtm")))
                            k = &candidate;
                if (!k) throw Failure(f + ": no file kind for this extension; give --kind");
                std::vector<InstrumentEntry> entries;
                if (!dt.ListInstrument(*k, entries)) throw Failure(s.Last());
                std::vector<std::string> present;
                for (const auto& e : entries)
                    present.push_back(e.name);
                const auto r = dt.CopyToInstrument(*k, {f}, present, rule);
                for (const auto& target : r.copied)
                    std::cout << Cp1252ToUtf8(target) << "\n";
                ReportDuplicates(r);
                if (!r.skipped.empty()) throw Failure(f + ": no instrument name can be made from it");
                if (!r.failed.empty()) throw Failure(f + ": " + (s.Last().empty() ? "not sent" : s.Last()));
            }
        });
    }
    {
        auto* cmd = app.add_subcommand("delete", "Delete files on the instrument");
        auto o = std::make_shared<ConnectionOptions>();
        auto kind = std::make_shared<std::string>("trace");
        auto names = std::make_shared<std::vector<std::string>>();
        AddConnectionOptions(cmd, *o);
        AddKindOption(cmd, *kind);
        cmd->add_option("NAME", *names, "instrument file names")->required();
        cmd->callback([=] {
            const FileKind& k = KindOf(*kind);
            Session s(*o);
            DataTransfer dt(s.channel);
            std::vector<InstrumentEntry> entries;
            if (!dt.ListInstrument(k, entries)) throw Failure(s.Last());
            for (const auto& n : *names)
                if (std::none_of(entries.begin(), entries.end(), [&](const InstrumentEntry& e) {
                        return ToUpperAscii(e.name) == ToUpperAscii(n);
                    }))
                    throw Failure(n + ": no such " + k.cliName + " file on the instrument");
            dt.DeleteOnInstrument(k, *names);
        });
    }
    {
        auto* cmd = app.add_subcommand("fetch", "Fetch traces from the instrument into .qtm files");
        auto o = std::make_shared<ConnectionOptions>();
        auto names = std::make_shared<std::vector<std::string>>();
        auto active = std::make_shared<bool>(false);
        auto out = std::make_shared<std::string>(".");
        auto overwrite = std::make_shared<bool>(false);
        AddConnectionOptions(cmd, *o);
        cmd->add_option("NAME", *names, "saved trace names");
        cmd->add_flag("--active", *active, "the trace on the instrument's screen");
        cmd->add_option("-o,--output", *out, "folder for the .qtm files")->capture_default_str();
        cmd->add_flag("--overwrite", *overwrite, "replace existing .qtm files (otherwise the command fails)");
        cmd->callback([o, names, active, out, overwrite] {
            if (names->empty() == !*active)
                throw CLI::ValidationError("fetch", "give trace names or --active");
            std::error_code ec;
            std::filesystem::create_directories(*out, ec);
            SavingSink sink(*out);
            sink.overwrite = *overwrite;
            if (*active) sink.CheckFree("active");
            for (const auto& n : *names)
                sink.CheckFree(n.substr(0, n.find('.')));
            Session s(*o);
            TraceRetrieval r(s.channel, sink);
            if (*active) {
                r.flags.displayMode = true;
                sink.fileName = "active";
                if (!r.DisplayActiveTrace() || sink.saved.empty())
                    throw Failure(s.Last().empty() ? "the instrument's trace could not be fetched"
                                                   : s.Last());
            } else {
                for (const auto& n : *names) {
                    sink.fileName = n.substr(0, n.find('.'));
                    const size_t before = sink.saved.size();
                    if (!r.TraceUpload({n})) throw Failure(s.Last());
                    if (sink.saved.size() == before)
                        throw Failure(n + ": " +
                                      (s.Last().empty() ? "the instrument refused the upload" : s.Last()));
                }
            }
            for (const auto& p : sink.saved)
                std::cout << p << "\n";
        });
    }
    {
        auto* cmd = app.add_subcommand("live", "Follow the instrument's trace with live updates");
        auto o = std::make_shared<ConnectionOptions>();
        auto count = std::make_shared<int>(0);
        auto interval = std::make_shared<int>(0);
        auto save = std::make_shared<std::string>();
        auto type = std::make_shared<std::string>("qtm");
        AddConnectionOptions(cmd, *o);
        cmd->add_option("--count", *count,
                        "number of updates (1 to 999); continuous until Ctrl-C when left out")
            ->check(CLI::Range(1, 999));
        cmd->add_option("--interval", *interval, "seconds between updates (0 to 9999)")
            ->check(CLI::Range(0, 9999));
        cmd->add_option("--save", *save, "save every update into this folder");
        cmd->add_option("--type", *type, "file type of saved updates: qtm or txt")
            ->check(CLI::IsMember({"qtm", "txt"}));
        cmd->callback([o, count, interval, save, type] {
            const int typeIndex = *type == "qtm" ? 0 : 1;
            // Saved updates continue after the highest number already in the folder and never replace a
            // file.
            int first = 1;
            if (!save->empty()) {
                std::error_code ec;
                std::filesystem::create_directories(*save, ec);
                first = FirstFreeLiveNumber(*save, "Trace", typeIndex);
            }
            Session s(*o);
            SavingSink sink(std::filesystem::temp_directory_path().string());
            TraceRetrieval r(s.channel, sink);
            r.flags.displayMode = true;
            r.flags.liveRunning = true;
            r.flags.newWindow = false;  // the live document is kept in memory, not written per fetch
            if (!r.DisplayActiveTrace() || !sink.doc)
                throw Failure(s.Last().empty() ? "no live trace" : s.Last());
            CMyQuarnDoc& doc = *sink.doc;
            doc.SetTitle("Live Trace");
            auto saveUpdate = [&](int number) {
                if (save->empty()) return;
                const std::string path = LiveSavePath(*save, "Trace", typeIndex, first + number - 1);
                std::string error;
                const bool ok = typeIndex == 0 ? doc.WriteTo(path, &error, false)
                                               : WriteAsciiReport(doc, path, true, &error, false);
                if (!ok) throw Failure(error);
                std::cout << path << "\n";
            };
            auto peak = [&] {
                double m = -1e9;
                for (double p : doc.m_arrTraceA)
                    m = std::max(m, p);
                return m;
            };
            std::cout << "update 1: peak " << Format("%.1f", peak()) << "\n";
            saveUpdate(1);
            LiveSettings ls;
            ls.counted = *count > 0;
            ls.count = *count;
            ls.intervalSeconds = *interval;
            if (ls.counted && ls.count <= 1) return;
            std::mutex m;
            std::string failure;
            LiveTraceWorker worker(s.channel, r.flags.measurement);
            g_interrupted = false;
            auto previous = std::signal(SIGINT, OnInterrupt);
            worker.Start(
                ls,
                [&] {
                    std::lock_guard lock(m);
                    return LiveViewOf(doc);
                },
                [&](const LiveUpdate& u) {
                    std::lock_guard lock(m);
                    if (!failure.empty()) return;
                    ApplyLiveUpdate(u, doc);
                    std::cout << "update " << u.number << ": peak " << Format("%.1f", peak()) << "\n";
                    try {
                        saveUpdate(u.number);
                    } catch (const Failure& f) {
                        failure = f.what();
                    }
                },
                {});
            while (worker.Running() && !g_interrupted && [&] {
                std::lock_guard lock(m);
                return failure.empty();
            }())
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (worker.Running()) worker.Stop();
            worker.Join();
            std::signal(SIGINT, previous);
            if (!failure.empty()) throw Failure(failure);
            // A run that ended on a failed exchange or on a reply that was no trace data did not do its work.
            if (worker.Failed()) {
                const std::string why = s.Last();
                throw Failure(!why.empty()                ? why
                              : !worker.Failure().empty() ? worker.Failure()
                                                          : "Live Trace failed");
            }
        });
    }
}

}  // namespace fl::cli
