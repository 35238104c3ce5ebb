#include "ConnectionSettings.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "FileIo.h"
#include "ProgramFolder.h"
#include "Text.h"

namespace fl {

ConnectionSettings s_settings;

namespace fs = std::filesystem;

namespace {

std::string FolderOrData(const std::string& folder) {
    return folder.empty() ? ProgramFolder() : folder;
}

// The 31 lines in file order: text fields and integer fields.
template <class S, class F>
void ForEachLine(S& s, F&& f) {
    f(s.profileName);
    f(s.linkKind);
    f(s.comPort);
    f(s.ipAddress);
    f(s.tcpPort);
    f(s.baudRate);
    f(s.folderTraces);
    f(s.folderSettings);
    f(s.folderLimits);
    f(s.folderSystems);
    f(s.folderExtDev);
    f(s.folderCableTypes);
    f(s.showMarkersA);
    f(s.showMarkersB);
    f(s.showLevel);
    f(s.showStatus);
    f(s.showTrace);
    f(s.showInstrument);
    f(s.viewMode);
    f(s.reserved);
    f(s.showGrid);
    f(s.showExtDev);
    f(s.folderAntennaFactors);
    f(s.folderCableFactors);
    f(s.folderExport);
    f(s.showGps);
    f(s.gpsPositionFormat);
    f(s.gpsAltitudeUnit);
    f(s.gpsSpeedUnit);
    f(s.gpsComPort);
    f(s.markerDescriptions);
}

}  // namespace

std::string ProfilePath(const std::string& name, const std::string& folder) {
    return (fs::path(FolderOrData(folder)) / (name + ".dat")).string();
}

std::string DocumentsFolder() {
    if (const char* d = std::getenv("XDG_DOCUMENTS_DIR"); d && *d) return d;
    const char* home = std::getenv("HOME");
    fs::path h = home && *home ? home : "/tmp";
    // The desktop's own name for it (xdg-user-dir DOCUMENTS): XDG_DOCUMENTS_DIR="$HOME/Dokumente".
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::ifstream dirs((config && *config ? fs::path(config) : h / ".config") / "user-dirs.dirs");
    for (std::string line; std::getline(dirs, line);) {
        if (line.rfind("XDG_DOCUMENTS_DIR=", 0) != 0) continue;
        std::string v = line.substr(18);
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        if (v.rfind("$HOME", 0) == 0) v = h.string() + v.substr(5);
        if (!v.empty() && v != h.string() && v != h.string() + "/") return v;
    }
    std::error_code ec;
    if (fs::is_directory(h / "Documents", ec)) return (h / "Documents").string();
    return h.string();
}

std::string UserFilesFolder(const std::string& kind) {
    return (fs::path(DocumentsFolder()) / "Fieldlink" / kind).string();
}

void MakeUserFilesFolder(const std::string& folder) {
    const std::string root = (fs::path(DocumentsFolder()) / "Fieldlink").string() + "/";
    std::error_code ec;
    if (folder.rfind(root, 0) == 0 && !fs::exists(folder, ec)) fs::create_directories(folder, ec);
}

bool ReadProfile(const std::string& name, ConnectionSettings& s, const std::string& folder) {
    s.baudRate = "57600";
    std::ifstream in(ProfilePath(name, folder), std::ios::binary);
    const bool exists = static_cast<bool>(in);
    if (exists) {
        bool more = true;
        ForEachLine(s, [&](auto& field) {
            if (!more) return;
            std::string line;
            if (!std::getline(in, line)) {
                more = false;
                return;
            }
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.size() > 255) line.resize(255);
            if constexpr (std::is_same_v<std::decay_t<decltype(field)>, int>)
                field = LeadingInt(line);
            else
                field = line;
        });
        if (s.comPort == 0) s.comPort = 1;
        if (s.gpsComPort == 0) s.gpsComPort = 1;
    }
    const std::string data = FolderOrData(folder);
    const std::pair<std::string*, const char*> folders[] = {
        {&s.folderTraces, "Traces"},
        {&s.folderSettings, "Settings"},
        {&s.folderLimits, "Limits"},
        {&s.folderSystems, "Systems"},
        {&s.folderExtDev, "ExtDev"},
        {&s.folderAntennaFactors, "Antenna Factor"},
        {&s.folderCableFactors, "Cable Factor"},
        {&s.folderCableTypes, "Cable Types"},
    };
    for (auto [field, sub] : folders) {
        if (!field->empty()) continue;
        std::error_code ec;
        fs::path p = fs::path(data) / sub;
        // A folder of that kind in the data folder (an earlier installation's) stays; else the kind gets
        // one under the user's documents, where file dialogs are browsed (made when first offered).
        *field = fs::is_directory(p, ec) ? p.string() : UserFilesFolder(sub);
    }
    if (s.folderExport.empty()) s.folderExport = DocumentsFolder();
    return exists;
}

bool WriteProfile(const ConnectionSettings& s, const std::string& folder) {
    std::string text;
    ForEachLine(s, [&](const auto& field) {
        if constexpr (std::is_same_v<std::decay_t<decltype(field)>, int>)
            text += std::to_string(field);
        else
            text += field;
        text += "\r\n";
    });
    return WriteWholeFileAtomically(ProfilePath(s.profileName, folder), text);
}

std::vector<std::string> ListProfiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(FolderOrData(folder), ec)) {
        const std::string file = e.path().filename().string();
        if (!e.is_regular_file() || !EndsWithNoCase(file, ".dat")) continue;
        std::string name = file.substr(0, file.find('.'));
        if (name == "default" || name == "unins000") continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool IsValidProfileName(const std::string& name) {
    return !name.empty() && name != " " && name.find('.') == std::string::npos &&
           name.find('/') == std::string::npos;
}

void ViewDefaultsFromProfile(const ConnectionSettings& s, DocEnvironment& env) {
    DisplayPreferences& p = env.prefs;
    p.showMarkersA = s.showMarkersA;
    p.showMarkersB = s.showMarkersB;
    p.showLevelPanel = s.showLevel;
    p.showStatusPanel = s.showStatus;
    p.showTracePanel = s.showTrace;
    p.showInstrumentPanel = s.showInstrument;
    p.orientation = s.viewMode;
    p.showGrid = s.showGrid;
    p.showEdevPanel = s.showExtDev;
    p.showGpsPanel = s.showGps;
    env.gpsPositionFormat = s.gpsPositionFormat;
    env.gpsAltitudeUnit = s.gpsAltitudeUnit;
    env.gpsSpeedUnit = s.gpsSpeedUnit;
}

void ViewDefaultsToProfile(const DocEnvironment& env, ConnectionSettings& s) {
    const DisplayPreferences& p = env.prefs;
    s.showMarkersA = p.showMarkersA;
    s.showMarkersB = p.showMarkersB;
    s.showLevel = p.showLevelPanel;
    s.showStatus = p.showStatusPanel;
    s.showTrace = p.showTracePanel;
    s.showInstrument = p.showInstrumentPanel;
    s.viewMode = p.orientation;
    s.showGrid = p.showGrid;
    s.showExtDev = p.showEdevPanel;
    s.showGps = p.showGpsPanel;
}

}  // namespace fl
