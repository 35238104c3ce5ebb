// Instrument files of every kind, both ways: the kinds and their commands, listings on both sides, the
// target names, the duplicate rule, and the block protocols of one upload or download.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "CommandChannel.h"

namespace fl {

struct FileKind {
    int tab;
    const char* title;
    const char* keyword;    // TRAC, STAT, LIM, ...
    const char* extension;  // ".QTR", ".QST", ...
    std::string ConnectionSettings::*folder;
    bool headerLine;      // the PC file carries an extra empty first line
    const char* cliName;  // trace, settings, limits, ...
};

const std::vector<FileKind>& FileKinds();
// A kind by its name (singular or plural), its instrument keyword or its extension, case-insensitively.
const FileKind* FindKind(const std::string& nameOrKeyword);
// "trace (TRAC, .QTR), settings (STAT, .QST), ..." for messages.
std::string KindNames();
// Tabs 0 to 4, and 5 to 7 for "Quarn2", "Quarn2B" and "Quarn3".
std::vector<const FileKind*> KindsForModel(const std::string& model);

struct InstrumentEntry {
    std::string name, date, time;
};
// "0", "ERR", "ok", "-9999" and "" are empty listings; else entries "name date time" separated by commas.
std::vector<InstrumentEntry> ParseInstrumentListing(const std::string& reply);

struct PcEntry {
    std::string name;
    bool folder = false;
    std::string date, time;  // empty for folders
};
// Subfolders first, then the files of the kind's extension (compared case-insensitively).
std::vector<PcEntry> ListPcFolder(const std::string& folder, const FileKind& kind);

// PC file name -> instrument name: up to the first dot, 11 characters, upper case; blanks become
// underscores when `underscores` is set. Characters that would break the command's quoting are dropped.
std::string InstrumentNameFor(const std::string& pcFileName, bool underscores);
// Instrument name -> PC file name (name + extension), or empty when the name could leave the folder.
std::string PcNameFor(const std::string& instrumentName, const FileKind& kind);
// The "Filename" window's rule for names sent to the instrument: forbidden characters and length.
std::string FilterInstrumentName(const std::string& text);

// a,b,c,d,e -> a,b,8-c,d,8-e ("%.1f"); false when a comma is missing (the shortened line is in `out`).
bool ConvertLimitLine(const std::string& in, std::string& out);

enum class DuplicateAnswer { Yes, No, YesToAll, NoToAll, Rename, Cancel };

// The answer mode of one copy batch: 1 at the start, 2 yes to all, -1 no to all, 0 no, -999 cancelled.
class DuplicateRule {
  public:
    std::function<DuplicateAnswer(const std::string& name)> ask;
    std::function<bool(std::string& name)> rename;  // the "Filename" window; false when cancelled
    // Decides whether to transfer to `target` (which a rename may change), given the names on the target
    // side.
    bool Decide(std::string& target, const std::vector<std::string>& targetNames);
    bool Cancelled() const { return m_mode == -999; }
    int Mode() const { return m_mode; }

  private:
    int m_mode = 1;
};

inline constexpr const char* kCantSaveText =
    "Can't save file!  \nMake sure the selected directory exists.   ";

class DataTransfer {
  public:
    explicit DataTransfer(CommandChannel& channel) : m_channel(channel) {}

    bool ListInstrument(const FileKind& kind, std::vector<InstrumentEntry>& entries);
    // Instrument -> PC. A failure leaves no partial PC file.
    bool Upload(const FileKind& kind, const std::string& instrumentName, const std::string& pcPath);
    // PC -> instrument.
    bool Download(const FileKind& kind, const std::string& pcPath, const std::string& instrumentName);
    void DeleteOnInstrument(const FileKind& kind, const std::vector<std::string>& names);

    // One copy batch in one direction, the duplicate rule asked for every name already on the target side.
    // It ends at the first failed file or a cancel; names that cannot be stored are skipped.
    struct BatchResult {
        std::vector<std::string> copied;    // PC paths (to the PC) or instrument names (to the instrument)
        std::vector<std::string> skipped;   // names that could not be stored on the target side
        std::vector<std::string> declined;  // targets already there that the duplicate rule kept
        std::vector<std::string> replaced;  // targets that were there and were overwritten
        std::string failed;                 // the file whose transfer failed, empty when none did
        bool cancelled = false;
    };
    // Instrument names -> files in `folder`; `present` are the names already in that folder.
    BatchResult CopyToPc(const FileKind& kind, const std::vector<std::string>& names,
                         const std::string& folder, std::vector<std::string> present, DuplicateRule& rule);
    // PC files -> the instrument; `present` are the instrument's names of that kind.
    BatchResult CopyToInstrument(const FileKind& kind, const std::vector<std::string>& pcPaths,
                                 std::vector<std::string> present, DuplicateRule& rule);

    std::atomic<bool> cancel{false};
    std::function<void(const std::string& title, int position, int range)> progress;
    std::string programFolder;  // where "~tmpfile.txt" goes; the data folder when empty

  private:
    bool Step(const std::string& title, int position, int range);
    bool Sendable(const std::string& name);
    std::string TmpFile() const;
    CommandChannel& m_channel;
};

}  // namespace fl
