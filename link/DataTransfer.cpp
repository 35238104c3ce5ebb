#include "DataTransfer.h"

#include <sys/stat.h>
#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>

#include "Archive.h"
#include "FileIo.h"
#include "ProgramFolder.h"
#include "ReplyCheck.h"
#include "SettingsText.h"
#include "Text.h"
#include "UploadLoop.h"

namespace fl {

namespace fs = std::filesystem;

const std::vector<FileKind>& FileKinds() {
    using S = ConnectionSettings;
    static const std::vector<FileKind> kinds = {
        {0, "Traces", "TRAC", ".QTR", &S::folderTraces, false, "trace"},
        {1, "Settings", "STAT", ".QST", &S::folderSettings, false, "settings"},
        {2, "Limits", "LIM", ".QLM", &S::folderLimits, true, "limits"},
        {3, "Channel Systems", "CHAN", ".QSY", &S::folderSystems, false, "channels"},
        {4, "External Devices", "EDEV", ".QED", &S::folderExtDev, true, "edev"},
        {5, "DTF Cable Types", "CTYP", ".QCT", &S::folderCableTypes, false, "cabletypes"},
        {6, "EMF Antenna Factors", "AFAC", ".QAF", &S::folderAntennaFactors, true, "antenna"},
        {7, "EMF Cable Factors", "CFAC", ".QCF", &S::folderCableFactors, true, "cablefactors"},
    };
    return kinds;
}

const FileKind* FindKind(const std::string& name) {
    // By its name in singular or plural, its instrument keyword or its extension, in any case.
    std::string n = ToUpperAscii(name);
    if (!n.empty() && n[0] != '.' && n.size() > 1 && n.back() == 'S' && n != "SETTINGS") n.pop_back();
    for (const auto& k : FileKinds()) {
        std::string cli = ToUpperAscii(k.cliName);
        if (cli.size() > 1 && cli.back() == 'S' && cli != "SETTINGS") cli.pop_back();
        const std::string ext = ToUpperAscii(k.extension);
        if (n == cli || n == k.keyword || n == ext || "." + n == ext || (n == "SETTING" && k.tab == 1))
            return &k;
    }
    return nullptr;
}

std::string KindNames() {
    std::string names;
    for (const auto& k : FileKinds())
        names +=
            std::string(names.empty() ? "" : ", ") + k.cliName + " (" + k.keyword + ", " + k.extension + ")";
    return names;
}

std::vector<const FileKind*> KindsForModel(const std::string& model) {
    const bool all = model == "Quarn2" || model == "Quarn2B" || model == "Quarn3";
    std::vector<const FileKind*> out;
    for (const auto& k : FileKinds())
        if (k.tab <= 4 || all) out.push_back(&k);
    return out;
}

std::vector<InstrumentEntry> ParseInstrumentListing(const std::string& reply) {
    const std::string text = CleanReply(reply);
    std::vector<InstrumentEntry> entries;
    if (text == "0" || text == "ERR" || text == "ok" || text == "-9999" || text.empty()) return entries;
    size_t start = 0;
    while (start <= text.size()) {
        size_t c = text.find(',', start);
        std::string e = text.substr(start, c == std::string::npos ? std::string::npos : c - start);
        // Entries after the first follow a comma and a blank; the blank is no part of the name.
        e.erase(0, std::min(e.find_first_not_of(' '), e.size()));
        InstrumentEntry row;
        const size_t b1 = e.find(' ');
        const size_t b2 = b1 == std::string::npos ? std::string::npos : e.find(' ', b1 + 1);
        if (b2 != std::string::npos) {
            row = {e.substr(0, b1), e.substr(b1 + 1, b2 - b1 - 1), e.substr(b2 + 1)};
        } else {
            row.name = b1 == std::string::npos ? e : e.substr(0, b1);  // a short entry shows what it has
            if (b1 != std::string::npos) row.date = e.substr(b1 + 1);
        }
        if (!row.name.empty()) entries.push_back(row);
        if (c == std::string::npos) break;
        start = c + 1;
    }
    return entries;
}

std::vector<PcEntry> ListPcFolder(const std::string& folder, const FileKind& kind) {
    std::vector<PcEntry> folders, files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) {
        const std::string name = e.path().filename().string();
        if (e.is_directory(ec)) {
            folders.push_back({name, true, {}, {}});
        } else if (EndsWithNoCase(name, kind.extension)) {
            struct stat st {};
            PcEntry row{name, false, {}, {}};
            if (::stat(e.path().c_str(), &st) == 0) {
                std::tm tm{};
                localtime_r(&st.st_atime, &tm);
                row.date = Format("%02d.%02d.%04d", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900);
                row.time = Format("%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
            }
            files.push_back(row);
        }
    }
    auto byName = [](const PcEntry& a, const PcEntry& b) { return a.name < b.name; };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    folders.insert(folders.end(), files.begin(), files.end());
    return folders;
}

std::string InstrumentNameFor(const std::string& pcFileName, bool underscores) {
    // PC names are UTF-8, the instrument's Windows-1252: a name the code page cannot hold, or one with a
    // character that would end the quoted name, makes no instrument name (the caller says so).
    const std::optional<std::string> converted = Utf8ToCp1252(fs::path(pcFileName).filename().string());
    if (!converted) return {};
    std::string n = converted->substr(0, converted->find('.'));
    if (std::any_of(n.begin(), n.end(),
                    [](char c) { return c == '"' || static_cast<unsigned char>(c) < 0x20; }))
        return {};
    if (n.size() > 11) n.resize(11);
    n = ToUpperCp1252(n);  // ü -> Ü as the instrument's own names have it
    if (underscores) ReplaceAll(n, ' ', '_');
    return n;
}

std::string PcNameFor(const std::string& name, const FileKind& kind) {
    // A name from the instrument must stay inside the chosen folder.
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        name.find('\\') != std::string::npos)
        return {};
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return {};
    // The instrument's Windows-1252 name becomes a UTF-8 file name on the PC.
    return Cp1252ToUtf8(name) + kind.extension;
}

std::string FilterInstrumentName(const std::string& text) {
    static const std::string forbidden =
        "\"*!\xA7$%&/()=?{[]}+~'#,.;:\xFC\xDC\xE4\xC4\xF6\xD6@\xDF\xB4`^\xB0\x80\xB5|";
    std::string out;
    for (char c : text)
        if (forbidden.find(c) == std::string::npos && static_cast<unsigned char>(c) >= 0x20) out.push_back(c);
    if (out.size() > 11) out.resize(11);
    return out;
}

namespace {
// A name inside the command's double quotes: quotes and control characters could end it early.
std::string QuoteSafe(const std::string& name) {
    std::string n = name;
    std::erase_if(n, [](char c) { return c == '"' || static_cast<unsigned char>(c) < 0x20; });
    return "\"" + n + "\"";
}
}  // namespace

bool ConvertLimitLine(const std::string& in, std::string& out) {
    std::string_view rest = in;
    std::string f[4];
    out.clear();
    for (int i = 0; i < 4; ++i) {
        const size_t c = rest.find(',');
        if (c == std::string_view::npos) {
            if (i == 0) out = in;  // no comma at all: unchanged
            return i == 0;
        }
        f[i] = std::string(rest.substr(0, c));
        rest = rest.substr(c + 1);
        if (i == 2) f[i] = Format("%.1f", 8.0 - LeadingReal(f[i]));
        out += f[i] + ",";
    }
    out += Format("%.1f", 8.0 - LeadingReal(rest));
    return true;
}

bool DuplicateRule::Decide(std::string& target, const std::vector<std::string>& names) {
    if (m_mode == 2) return true;
    const std::string upper = ToUpperAscii(target);
    const bool exists = std::any_of(names.begin(), names.end(),
                                    [&](const std::string& n) { return ToUpperAscii(n) == upper; });
    if (m_mode == -1) return !exists;
    if (m_mode == 0 || m_mode == 1) {
        m_mode = 1;
        if (!exists) return true;
        switch (ask ? ask(target) : DuplicateAnswer::No) {
            case DuplicateAnswer::Yes:
                m_mode = 1;
                break;
            case DuplicateAnswer::No:
                m_mode = 0;
                break;
            case DuplicateAnswer::YesToAll:
                m_mode = 2;
                break;
            case DuplicateAnswer::NoToAll:
                m_mode = -1;
                break;
            case DuplicateAnswer::Rename:
                if (rename && rename(target))
                    m_mode = 1;
                else
                    m_mode = 0;
                break;
            case DuplicateAnswer::Cancel:
                m_mode = -999;
                break;
        }
        return m_mode == 1 || m_mode == 2;
    }
    return false;  // cancelled: this and every further file is skipped
}

bool DataTransfer::Step(const std::string& title, int position, int range) {
    if (progress) progress(title, position, range);
    return !cancel;
}

std::string DataTransfer::TmpFile() const {
    return (fs::path(programFolder.empty() ? ProgramFolder() : programFolder) / kSettingsTextFile).string();
}

bool DataTransfer::ListInstrument(const FileKind& kind, std::vector<InstrumentEntry>& entries) {
    std::string reply;
    entries.clear();
    const std::string cmd = kind.tab == 0 ? std::string("MMEM:LOAD:FIL? EXT")
                                          : std::string("MMEM:LOAD:FIL:") + kind.keyword + "? EXT";
    if (!m_channel.Transact(cmd, reply)) return false;
    // An empty line is an empty listing; silence or noise is no listing at all.
    if (const ReplyForm form = JudgeReply(reply); form != ReplyForm::Line) {
        m_channel.Prompts().Message(form == ReplyForm::Silent ? kNoAnswerText : kUnreadableText,
                                    PromptIcon::Error);
        if (form == ReplyForm::Unreadable) m_channel.Resynchronise();
        return false;
    }
    entries = ParseInstrumentListing(reply);
    return true;
}

bool DataTransfer::Sendable(const std::string& name) {
    // The command quotes the name: a quote or a control character in it would change what the instrument
    // reads (a delete of "A\"B" would delete "AB"), so such a name is refused, not repaired.
    if (std::none_of(name.begin(), name.end(),
                     [](char c) { return c == '"' || static_cast<unsigned char>(c) < 0x20; }))
        return true;
    m_channel.Prompts().Message(name + ": a name with a double quote or a control character cannot be sent.",
                                PromptIcon::Error);
    return false;
}

bool DataTransfer::Upload(const FileKind& kind, const std::string& name, const std::string& pcPath) {
    if (!Sendable(name)) return false;
    const std::string title = "Receiving " + name + "...";
    Step(title, 0, 60);
    std::vector<std::string> lines;
    const UploadStatus status =
        UploadLines(m_channel, std::string("MMEM:UPL? ") + kind.keyword + "," + QuoteSafe(name),
                    [&](const std::string& received, int) {
                        if (!Step(title, std::min<int>(static_cast<int>(lines.size()), 60), 60)) return false;
                        std::string line = received;
                        if (kind.tab == 2)
                            ConvertLimitLine(received, line);  // an upload keeps the shortened line
                        lines.push_back(line);
                        return true;
                    });
    if (status != UploadStatus::Complete) return false;
    Step(title, 60, 60);
    // Everything arrived: now the PC file is written in one piece, so a failure leaves none behind.
    std::string bytes;
    if (kind.tab == 0) {
        ArchiveWriter w;
        w.Byte('a');
        for (const auto& l : lines)
            w.String(l.substr(0, 3999));
        bytes = w.Take();
    } else {
        if (kind.headerLine) bytes += "\r\n";
        for (const auto& l : lines)
            bytes += l + "\r\n";
    }
    if (!WriteWholeFileAtomically(pcPath, bytes)) {
        m_channel.Prompts().Message(kCantSaveText, PromptIcon::Error);
        return false;
    }
    return true;
}

bool DataTransfer::Download(const FileKind& kind, const std::string& pcPath, const std::string& name) {
    std::string reply;
    const std::string quoted = QuoteSafe(name);
    IPrompts& prompts = m_channel.Prompts();
    if (CleanReply(quoted).empty()) {
        prompts.Message(pcPath + ": no instrument file name can be made from it.", PromptIcon::Error);
        return false;
    }
    // Every step must be accepted: silence, noise, "ERR" or "-9999" mean the file was not stored, whatever
    // came before.
    bool unreadable = false;
    auto accepted = [&](const char* step) {
        const ReplyForm form = JudgeReply(reply);
        const std::string r = CleanReply(reply);
        if (form == ReplyForm::Line && !IsFailureReply(r)) return true;
        unreadable = form == ReplyForm::Unreadable;
        prompts.Message(name +
                            (form == ReplyForm::Silent       ? ": the instrument did not answer ("
                             : form == ReplyForm::Unreadable ? ": the instrument's answer could not be read ("
                                                             : ": the instrument refused the file (") +
                            step + "). The file was not stored.",
                        PromptIcon::Error);
        return false;
    };
    // The whole file is read and checked before the first command, so a file the format cannot carry
    // leaves the instrument untouched.
    std::vector<std::string> lines;
    std::string title = "Sending " + name + "...";
    if (kind.tab == 0) {
        // The instrument text of the trace; a file that cannot be converted fails instead of sending stale
        // text.
        std::string error;
        if (!WriteSettingsText(pcPath, &error, TmpFile())) {
            prompts.Message(pcPath + ": " + error, PromptIcon::Error);
            return false;
        }
        std::ifstream in(TmpFile(), std::ios::binary);
        for (std::string l; std::getline(in, l);)
            lines.push_back(l.substr(0, 3999));
        in.close();
        std::error_code ec;
        fs::remove(TmpFile(), ec);
        title = "Sending " + PathTextToCp1252(fs::path(pcPath).filename().string()) + "...";
    } else {
        std::ifstream in(pcPath, std::ios::binary);
        if (!in) {
            prompts.Message("Cannot read " + PathTextToCp1252(pcPath), PromptIcon::Error);
            return false;
        }
        for (std::string l; std::getline(in, l);) {
            if (!l.empty() && l.back() == '\r') l.pop_back();
            lines.push_back(l.substr(0, 1000));
        }
        if (kind.headerLine && !lines.empty()) lines.erase(lines.begin());
    }
    for (auto& line : lines) {
        // A quote inside a line would end the quoted text early: the file is refused, not altered.
        if (line.find('"') != std::string::npos) {
            prompts.Message(pcPath + ": a line holds a double quote, which cannot be sent.",
                            PromptIcon::Error);
            return false;
        }
        if (kind.tab == 2) {
            std::string converted;
            if (!ConvertLimitLine(line, converted)) {
                prompts.Message(pcPath + ": the limit line \"" + line + "\" has fewer than five fields.",
                                PromptIcon::Error);
                return false;
            }
            line = converted;
        }
    }
    // After a failed step the instrument is left as the language allows: "MMEM:DOWN CLOSE" would store the
    // part sent so far, so after noise the link is only brought back in step ("IDN?").
    auto fail = [&] {
        if (unreadable) m_channel.Resynchronise();
        return false;
    };
    if (!m_channel.Transact(std::string("MMEM:DOWN ") + kind.keyword + "," + quoted, reply)) return fail();
    if (!accepted("MMEM:DOWN")) return fail();
    int sent = 0, total = 0;
    for (const auto& l : lines)
        total += static_cast<int>(l.size());
    for (const auto& line : lines) {
        if (!Step(title, sent, total)) return fail();  // cancelled: no CLOSE is sent
        sent += static_cast<int>(line.size());
        if (!m_channel.Transact("MMEM:DOWN NEXT,\"" + line + "\"", reply) || !accepted("MMEM:DOWN NEXT"))
            return fail();
    }
    if (!m_channel.Transact("MMEM:DOWN CLOSE", reply) || !accepted("MMEM:DOWN CLOSE")) return fail();
    return true;
}

void DataTransfer::DeleteOnInstrument(const FileKind& kind, const std::vector<std::string>& names) {
    std::string reply;
    for (const auto& n : names)
        if (Sendable(n))
            m_channel.Transact(std::string("MMEM:DELETE:") + kind.keyword + " " + QuoteSafe(n), reply);
}

namespace {

// One batch: for each source its target name, the duplicate rule, the copy; `copy` returns the entry to
// report as copied, or nothing when the transfer failed (which ends the batch).
template <class TargetFn, class CopyFn>
DataTransfer::BatchResult RunBatch(const std::vector<std::string>& sources, std::vector<std::string> present,
                                   DuplicateRule& rule, const std::atomic<bool>& cancel, TargetFn targetOf,
                                   CopyFn copy) {
    DataTransfer::BatchResult r;
    for (const std::string& source : sources) {
        std::string target = targetOf(source, present);
        if (target.empty()) {  // a name that cannot be stored on the other side
            r.skipped.push_back(source);
            continue;
        }
        const std::string asked = ToUpperAscii(target);
        const bool existed = std::any_of(present.begin(), present.end(),
                                         [&](const std::string& n) { return ToUpperAscii(n) == asked; });
        if (!rule.Decide(target, present)) {
            if (rule.Cancelled()) {
                r.cancelled = true;
                break;
            }
            r.declined.push_back(target);
            continue;
        }
        const bool overwrites =
            existed && std::any_of(present.begin(), present.end(), [&](const std::string& n) {
                return ToUpperAscii(n) == ToUpperAscii(target);
            });
        std::optional<std::string> copied = copy(source, target);
        if (!copied) {
            r.failed = source;
            r.cancelled = cancel;
            break;
        }
        r.copied.push_back(*copied);
        if (overwrites) r.replaced.push_back(target);
        present.push_back(target);
    }
    return r;
}

}  // namespace

DataTransfer::BatchResult DataTransfer::CopyToPc(const FileKind& kind, const std::vector<std::string>& names,
                                                 const std::string& folder, std::vector<std::string> present,
                                                 DuplicateRule& rule) {
    return RunBatch(
        names, std::move(present), rule, cancel,
        [&](const std::string& name, const std::vector<std::string>&) { return PcNameFor(name, kind); },
        [&](const std::string& name, const std::string& target) -> std::optional<std::string> {
            const std::string path = (std::filesystem::path(folder) / target).string();
            if (!Upload(kind, name, path)) return std::nullopt;
            return path;
        });
}

DataTransfer::BatchResult DataTransfer::CopyToInstrument(const FileKind& kind,
                                                         const std::vector<std::string>& pcPaths,
                                                         std::vector<std::string> present,
                                                         DuplicateRule& rule) {
    return RunBatch(
        pcPaths, std::move(present), rule, cancel,
        [&](const std::string& file, const std::vector<std::string>& names) {
            // While every duplicate is still asked about, blanks become underscores as the instrument's
            // names do.
            return InstrumentNameFor(file, rule.Mode() >= -1 && rule.Mode() <= 1 && !names.empty());
        },
        [&](const std::string& file, const std::string& target) -> std::optional<std::string> {
            if (!Download(kind, file, target)) return std::nullopt;
            return target;
        });
}

}  // namespace fl
