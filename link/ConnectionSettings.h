// The connection settings and the profile files (31 text lines) that store them.
#pragma once

#include <string>
#include <vector>

#include "DocEnvironment.h"

namespace fl {

struct ConnectionSettings {
    std::string profileName;
    int linkKind = 0;  // 0 serial, 1 LAN
    int comPort = 1;
    std::string ipAddress = "0.0.0.0";
    int tcpPort = 49200;
    std::string baudRate = "57600";
    std::string folderTraces, folderSettings, folderLimits, folderSystems, folderExtDev, folderCableTypes;
    // The view defaults of a first start: every table and panel but GPS shown, landscape.
    int showMarkersA = 1, showMarkersB = 1, showLevel = 1, showStatus = 1, showTrace = 1, showInstrument = 1;
    int viewMode = 1;  // 1 landscape, 0 portrait
    int reserved = 0;
    int showGrid = 1, showExtDev = 1;
    std::string folderAntennaFactors, folderCableFactors, folderExport;
    int showGps = 0;
    int gpsPositionFormat = 0, gpsAltitudeUnit = 0, gpsSpeedUnit = 0, gpsComPort = 1;
    std::string markerDescriptions;  // recent marker descriptions, ';'-separated, at most 10
    // A serial device path given directly (command line); not part of the profile.
    std::string serialDevice;
};

// The process-wide settings.
extern ConnectionSettings s_settings;

// The profile file of a name: name + ".dat" in the data folder (or in `folder` when given).
std::string ProfilePath(const std::string& name, const std::string& folder = {});

// Reads the profile `name` into `s`: the baud rate first becomes "57600"; a short file leaves the rest as
// it was; a missing file changes nothing else. Empty folders then fall back to the data folder's
// subfolders (or the data folder), an empty export folder to the documents folder. Returns false when
// the file does not exist.
bool ReadProfile(const std::string& name, ConnectionSettings& s, const std::string& folder = {});
// Writes all 31 lines (CR LF) to the profile file of s.profileName. Returns false when it cannot.
bool WriteProfile(const ConnectionSettings& s, const std::string& folder = {});

// The profile's view defaults (lines 13 to 22 and 26) and GPS formats as the documents' program-wide
// defaults, and back.
void ViewDefaultsFromProfile(const ConnectionSettings& s, DocEnvironment& env);
void ViewDefaultsToProfile(const DocEnvironment& env, ConnectionSettings& s);

// Profile names in the folder: every "*.dat" cut at its first dot, without "default" and "unins000".
std::vector<std::string> ListProfiles(const std::string& folder = {});
// A name that Store accepts: non-empty, not a single blank, without a dot (and without a path separator).
bool IsValidProfileName(const std::string& name);

// The user's documents folder ($XDG_DOCUMENTS_DIR, else ~/Documents if it exists, else ~).
std::string DocumentsFolder();
// The default PC folder of one kind of file: <documents>/Fieldlink/<kind>.
std::string UserFilesFolder(const std::string& kind);
// Makes `folder` when it is one of those defaults and not there yet (dialogs call it as they offer one).
void MakeUserFilesFolder(const std::string& folder);

}  // namespace fl
