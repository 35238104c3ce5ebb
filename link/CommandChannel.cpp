#include "CommandChannel.h"

#include <chrono>
#include <ctime>
#include <thread>

#include "ReplyCheck.h"
#include "Text.h"

namespace fl {

namespace {
constexpr const char* kNotFound = "Can't connect! Instrument not found.";
constexpr const char* kUpdate = "Can't connect! Update your Quarn1 SW-Version up to 2.20 or higher";
constexpr const char* kUnexpected = "Unexpected exception";

// Everything after the first comma, or nothing when there is none.
bool DropThroughComma(std::string& s) {
    size_t c = s.find(',');
    if (c == std::string::npos) return false;
    s.erase(0, c + 1);
    return true;
}
}  // namespace

std::string CleanReply(const std::string& reply) {
    std::string out;
    out.reserve(reply.size());
    for (char c : reply)
        if (c != '\r' && c != '\n' && c != '"') out.push_back(c);
    return out;
}

bool IsFailureReply(const std::string& cleaned) {
    return cleaned == "ERR" || cleaned == "-9999";
}

IdentityCheck CheckIdentity(const std::string& reply) {
    IdentityCheck id;
    id.isQuarn = reply.find("Quarn") != std::string::npos;
    // The model: after the first comma and the character that follows it, up to the next comma.
    size_t c1 = reply.find(',');
    if (c1 != std::string::npos && c1 + 2 <= reply.size()) {
        size_t c2 = reply.find(',', c1 + 2);
        if (c2 != std::string::npos) id.model = reply.substr(c1 + 2, c2 - (c1 + 2));
    }
    if (!id.isQuarn) return id;
    std::string v;
    for (char c : reply)
        if (c != ' ') v.push_back(c);
    v = CleanReply(v);
    if (!DropThroughComma(v) || !DropThroughComma(v) || !DropThroughComma(v)) return id;
    for (size_t i : {0u, 2u, 3u})
        if (i < v.size()) id.firmwareCode.push_back(v[i]);
    id.firmwareOk = !v.empty() && (v[0] >= '3' || (v[0] == '2' && v.size() > 2 && v[2] >= '2'));
    return id;
}

bool CommandChannel::Transact(const std::string& command, std::string& reply) {
    reply.clear();
    if (m_bLost) return false;  // said once already
    if (HoldsNoNumber(command)) {
        m_prompts.Message(kNoNumberText + command, PromptIcon::Error);
        return false;
    }
    if (onExchange) onExchange(command);
    try {
        m_port.Send(command);
        m_port.Receive(reply);
        // The last bytes came with the end of the stream: this reply stands, the next exchange has no link.
        if (m_port.LinkLost()) LinkLost("The instrument closed the connection.");
        return true;
    } catch (const CPortException& e) {
        if (m_port.LinkLost())
            LinkLost(e.UserMessage());
        else if (!m_port.Interrupted())  // a worker being stopped is no failure to tell the user about
            m_prompts.Message(e.UserMessage(), PromptIcon::Error);
    } catch (const std::exception&) {
        m_prompts.Message(kUnexpected, PromptIcon::Error);
    }
    return false;
}

bool CommandChannel::SendOnly(const std::string& command) {
    if (m_bLost) return false;
    if (HoldsNoNumber(command)) {
        m_prompts.Message(kNoNumberText + command, PromptIcon::Error);
        return false;
    }
    try {
        m_port.Send(command);
        return true;
    } catch (const CPortException& e) {
        if (m_port.LinkLost())
            LinkLost(e.UserMessage());
        else
            m_prompts.Message(e.UserMessage(), PromptIcon::Error);
    } catch (const std::exception&) {
        m_prompts.Message(kUnexpected, PromptIcon::Error);
    }
    return false;
}

void CommandChannel::Resynchronise() {
    if (m_bLost || !m_port.IsOpen()) return;
    try {
        m_port.Drain(100);
        std::string ignored;
        m_port.Send("IDN?");
        m_port.Receive(ignored);
        m_port.Drain(50);
    } catch (const CPortException& e) {
        if (m_port.LinkLost()) LinkLost(e.UserMessage());
    }
}

void CommandChannel::LinkLost(const std::string& cause) {
    if (m_bLost) return;
    m_bLost = true;
    try {
        m_port.Close();
    } catch (const std::exception&) {
    }
    m_state.serialConnected = false;
    m_state.lanConnected = false;
    // The window shows the disconnected state behind the message, not after it was read.
    m_prompts.SetStatus(1, PaneText());
    if (onLinkLost) onLinkLost();
    m_prompts.Message(kLinkLostText + cause, PromptIcon::Error);
}

void CommandChannel::ClosePort() {
    try {
        m_port.Close();
    } catch (const CPortException&) {
        m_prompts.Message("Can't close port", PromptIcon::Error);
    } catch (const std::exception&) {
        m_prompts.Message(kUnexpected, PromptIcon::Error);
    }
    m_state.serialConnected = false;
    m_state.lanConnected = false;
}

bool CommandChannel::OpenLink(int linkKind) {
    try {
        if (linkKind == 1) {
            if (m_state.lanConnected) return true;
            m_prompts.WaitCursor(true);
            m_port.OpenTcp(m_settings.ipAddress, m_settings.tcpPort);
            m_prompts.WaitCursor(false);
            m_bLost = false;
            m_state.lanConnected = true;
        } else {
            m_prompts.WaitCursor(true);
            if (m_settings.serialDevice.empty())
                m_port.OpenSerial(m_settings.comPort, LeadingInt(m_settings.baudRate), 8, 0, 0);
            else
                m_port.OpenSerialDevice(m_settings.serialDevice, LeadingInt(m_settings.baudRate), 8, 0, 0);
            m_port.SetTimeouts(25, 2, 1000, 0, 1000);
            m_prompts.WaitCursor(false);
            m_bLost = false;
        }
        return true;
    } catch (const CPortException& e) {
        m_prompts.WaitCursor(false);
        m_prompts.Message(e.UserMessage(), PromptIcon::Error);
    } catch (const std::exception&) {
        m_prompts.WaitCursor(false);
        m_prompts.Message(kUnexpected, PromptIcon::Error);
    }
    (linkKind == 1 ? m_state.lanConnected : m_state.serialConnected) = false;
    return false;
}

bool CommandChannel::IdentifyInstrument() {
    std::string reply;
    m_strIdentity.clear();
    if (!Transact("*IDN?", reply)) {
        // The transport said why (a LAN time-out); the user still learns that no instrument answered.
        m_prompts.Message(kNotFound);
        return false;
    }
    const IdentityCheck id = CheckIdentity(reply);
    if (!id.isQuarn) {
        m_prompts.Message(kNotFound);
        return false;
    }
    if (!id.firmwareOk) {
        ClosePort();
        m_prompts.Message(kUpdate);
        return false;
    }
    m_state.firmwareCode = id.firmwareCode;
    s_strConnectedModel = id.model;
    m_strIdentity = reply;
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    std::string ignored;
    Transact("SYST:COMM:ECH ON", ignored);
    Transact("SYST:COMM:ETH:TERM CRLF", ignored);
    Transact(Format("SYST:TIME %d,%d,%d", tm.tm_hour, tm.tm_min, tm.tm_sec), ignored);
    Transact(Format("SYST:DATE %d,%d,%d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday), ignored);
    return true;
}

bool CommandChannel::ConnectInstrument(int linkKind) {
    if (IsConnected()) {
        ClosePort();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    m_settings.linkKind = linkKind;
    bool ok = OpenLink(linkKind) && IdentifyInstrument();
    (linkKind == 1 ? m_state.lanConnected : m_state.serialConnected) = ok;
    if (!ok) ClosePort();
    return ok;
}

void CommandChannel::Disconnect() {
    if (IsConnected()) {
        SendOnly("SYST:COMM:LOC");
        ClosePort();
    }
    m_prompts.SetStatus(0, "Ready");
    m_prompts.SetStatus(1, PaneText());
}

void CommandChannel::ConnectCommand() {
    if (IsConnected()) {
        Disconnect();
        return;
    }
    m_prompts.SetStatus(0, "Trying to connect ...");
    if (m_settings.linkKind == 1 && m_settings.ipAddress == "0.0.0.0") {
        m_prompts.Message("No valid IP Address");
    } else {
        ConnectInstrument(m_settings.linkKind);
    }
    m_prompts.SetStatus(0, "Ready");
    m_prompts.SetStatus(1, PaneText());
}

std::string CommandChannel::PaneText() const {
    if (m_state.serialConnected)
        return Format("COM%d  %s 8-N-1", m_settings.comPort, m_settings.baudRate.c_str());
    if (m_state.lanConnected) return "IP: " + m_settings.ipAddress;
    return "NOT CONNECTED";
}

bool CommandChannel::ScreenDumpAllowed() const {
    return !(s_strConnectedModel == "Quarn1" && m_state.firmwareCode <= "221");
}

ToolbarKind CommandChannel::Toolbar() const {
    if (!IsConnected()) return ToolbarKind::NoInstrument;
    return ScreenDumpAllowed() ? ToolbarKind::Instrument : ToolbarKind::InstrumentWithoutScreenDump;
}

InstrumentMenuState CommandChannel::MenuState() const {
    InstrumentMenuState m;
    if (!IsConnected()) return m;
    m.getTrace = m.dataTransfer = m.displayTrace = m.liveTrace = true;
    m.screenDump = ScreenDumpAllowed();
    return m;
}

}  // namespace fl
