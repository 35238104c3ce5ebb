#include "ConnectDialogLogic.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "PortMap.h"
#include "Text.h"

namespace fl {

std::vector<ComEntry> ProbeComPorts() {
    std::vector<ComEntry> list;
    for (int n = 1; n <= 12; ++n) {
        // Only whether the device opens: no line settings and no flush, so the port the instrument is
        // connected on keeps its speed and its data.
        const std::string device = ComDevicePath(n);
        if (device.empty()) continue;
        const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0 && errno != EBUSY) continue;
        if (fd >= 0) ::close(fd);
        list.push_back({Format("COM%d", n), device});
    }
    return list;
}

const std::vector<std::string>& ConnectDialogLogic::BaudRates() {
    static const std::vector<std::string> rates = {"57600", "38400", "19200", "9600", "4800", "2400"};
    return rates;
}

void ConnectDialogLogic::Show(const ConnectionSettings& s) {
    linkKind = s.linkKind;
    ipAddress = s.ipAddress.empty() ? "0.0.0.0" : s.ipAddress;
    tcpPort = std::to_string(s.tcpPort == 0 ? 49200 : s.tcpPort);
    baudRate = s.baudRate.empty() ? "57600" : s.baudRate;
    comIndex = 0;
    const std::string wanted = Format("COM%d", s.comPort);
    for (size_t i = 0; i < comPorts.size(); ++i)
        if (comPorts[i].name == wanted) comIndex = static_cast<int>(i);
}

void ConnectDialogLogic::Open(std::vector<ComEntry> ports) {
    comPorts = std::move(ports);
    profiles = ListProfiles(m_strFolder);
    profile =
        m_channel.Settings().profileName == "default" ? std::string() : m_channel.Settings().profileName;
    Show(m_channel.Settings());
}

bool ConnectDialogLogic::TcpPortValid() const {
    if (tcpPort.empty() || tcpPort.find_first_not_of("0123456789") != std::string::npos) return false;
    const int p = LeadingInt(tcpPort);
    return p >= 1024 && p <= 65535;
}

void ConnectDialogLogic::SelectProfile(const std::string& name) {
    ConnectionSettings s = m_channel.Settings();
    ReadProfile(name, s, m_strFolder);
    profile = name;
    Show(s);
}

ConnectionSettings ConnectDialogLogic::DialogValues() const {
    ConnectionSettings s = m_channel.Settings();
    s.linkKind = linkKind;
    s.ipAddress = ipAddress;
    s.tcpPort = LeadingInt(tcpPort);
    s.baudRate = baudRate;
    if (comIndex >= 0 && static_cast<size_t>(comIndex) < comPorts.size())
        s.comPort = LeadingInt(comPorts[static_cast<size_t>(comIndex)].name.substr(3));
    if (!profile.empty()) s.profileName = profile;
    return s;
}

bool ConnectDialogLogic::CheckConnection() {
    status = "Trying to connect ...";
    ConnectionSettings& settings = m_channel.Settings();
    const ConnectionSettings saved = settings;
    const ConnectionSettings values = DialogValues();
    if (linkKind == 1 && values.ipAddress == "0.0.0.0") {
        m_channel.Prompts().Message("No valid IP Address");
        status.clear();
        return false;
    }
    if (m_channel.IsConnected()) {
        m_channel.ClosePort();
        if (linkKind == 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // The exchange runs with the dialog's values; the settings take them only on OK.
    settings.linkKind = linkKind;
    settings.ipAddress = values.ipAddress;
    settings.tcpPort = values.tcpPort;
    settings.comPort = values.comPort;
    settings.baudRate = values.baudRate;
    const bool opened = m_channel.OpenLink(linkKind);
    const bool ok = opened && m_channel.IdentifyInstrument();
    if (!ok && opened) m_channel.ClosePort();
    settings = saved;
    settings.linkKind = linkKind;
    (linkKind == 1 ? m_channel.State().lanConnected : m_channel.State().serialConnected) = ok;
    // The identity without its double quotes, or an empty status (a blank when the serial port did not open).
    status = ok ? CleanReply(m_channel.LastIdentity()) : (!opened && linkKind == 0) ? " " : "";
    return ok;
}

bool ConnectDialogLogic::Ok() {
    if (m_channel.IsConnected()) m_channel.ClosePort();
    if (!CheckConnection()) return false;
    m_channel.Settings() = DialogValues();
    return true;
}

bool ConnectDialogLogic::Store() {
    if (!IsValidProfileName(profile)) {
        m_channel.Prompts().Message("No valid filename", PromptIcon::Error);
        return false;
    }
    ConnectionSettings values = DialogValues();
    values.profileName = profile;
    m_channel.Settings() = values;
    const bool written = WriteProfile(values, m_strFolder);
    profiles = ListProfiles(m_strFolder);
    return written;
}

void ConnectDialogLogic::Delete() {
    if (IsValidProfileName(profile)) {
        std::error_code ec;
        std::filesystem::remove(ProfilePath(profile, m_strFolder), ec);
    }
    profile.clear();
    profiles = ListProfiles(m_strFolder);
}

void ConnectDialogLogic::AfterClose() {
    if (!m_channel.IsConnected()) return;
    m_channel.Settings().profileName = "default";
    WriteProfile(m_channel.Settings(), m_strFolder);
}

}  // namespace fl
