// The Connect dialog without widgets: its values, the connection check, OK, and the profile list with
// Store and Delete. The GUI binds controls to these members.
#pragma once

#include <string>
#include <vector>

#include "CommandChannel.h"

namespace fl {

struct ComEntry {
    std::string name;    // "COM3"
    std::string device;  // the device path shown beside it
};

// Tries COM1 to COM12 at 57600 8-N-1 through the port map; lists every port that opens.
std::vector<ComEntry> ProbeComPorts();

class ConnectDialogLogic {
  public:
    ConnectDialogLogic(CommandChannel& channel, std::string profileFolder = {})
        : m_channel(channel), m_strFolder(std::move(profileFolder)) {}

    // Takes the current settings, lists the profiles and probes the COM ports.
    void Open(std::vector<ComEntry> comPorts = ProbeComPorts());
    // An integer from 1024 to 65535.
    bool TcpPortValid() const;
    // Reads the profile and shows its values.
    void SelectProfile(const std::string& name);
    // Connects with the dialog's values; the status text shows the identity or is emptied.
    bool CheckConnection();
    // Closes the port, checks the connection and, when it passes, copies the values into the settings.
    bool Ok();
    // "No valid filename" for a bad name; otherwise writes the profile and lists the profiles again.
    bool Store();
    void Delete();
    // After the dialog closes: when connected, the settings become the default profile.
    void AfterClose();

    int linkKind = 0;
    std::string profile;
    std::vector<std::string> profiles;
    std::vector<ComEntry> comPorts;
    int comIndex = 0;
    std::string baudRate;
    std::string ipAddress;
    std::string tcpPort;
    std::string status;
    static const std::vector<std::string>& BaudRates();

  private:
    ConnectionSettings DialogValues() const;
    void Show(const ConnectionSettings& s);

    CommandChannel& m_channel;
    std::string m_strFolder;
};

}  // namespace fl
