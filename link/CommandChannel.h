// The program's one connection to the instrument: commands and replies, connecting with the identity and
// firmware checks, disconnecting, and the connection state the window shows.
#pragma once

#include <functional>
#include <string>

#include "ConnectionSettings.h"
#include "Port.h"
#include "Prompts.h"

namespace fl {

struct ConnectionState {
    bool serialConnected = false;
    bool lanConnected = false;
    std::string firmwareCode;  // characters 1, 3 and 4 of the firmware version: "220" for "2.20"
    bool IsConnected() const { return serialConnected || lanConnected; }
};

// What an identity reply says, checked as the connect sequence does.
struct IdentityCheck {
    bool isQuarn = false;     // the reply names the family
    bool firmwareOk = false;  // three commas and a version of 2.20 or later
    std::string firmwareCode;
    std::string model;
};
IdentityCheck CheckIdentity(const std::string& reply);

// Removes carriage returns, line feeds and double quotes.
std::string CleanReply(const std::string& reply);
// "ERR" and "-9999" are the instrument's failure replies.
bool IsFailureReply(const std::string& cleaned);

enum class ToolbarKind { NoInstrument, Instrument, InstrumentWithoutScreenDump };
struct InstrumentMenuState {
    bool getTrace = false, dataTransfer = false, displayTrace = false, screenDump = false, liveTrace = false;
};

class CommandChannel {
  public:
    CommandChannel(CPort& port, ConnectionSettings& settings, ConnectionState& state, IPrompts& prompts)
        : m_port(port), m_settings(settings), m_state(state), m_prompts(prompts) {}

    // One command, one raw reply. Transport failures show their message and return false. After the
    // link was lost every call fails at once without a further message.
    bool Transact(const std::string& command, std::string& reply);
    bool SendOnly(const std::string& command);
    // After a cut or refused exchange: discard what is still arriving, then "IDN?" so the next command
    // and its reply pair up again. Says nothing itself.
    void Resynchronise();
    // The link went away (reset, broken pipe, hang-up, end of stream): the port is closed, the program is
    // disconnected, the user is told once, and `onLinkLost` runs (on the thread that found out).
    void LinkLost(const std::string& cause);
    bool Lost() const { return m_bLost; }
    std::function<void()> onLinkLost;
    // Tests: called with every command before it is sent (to see which thread talks to the instrument).
    std::function<void(const std::string& command)> onExchange;
    bool IsConnected() const { return m_state.IsConnected(); }

    bool ConnectInstrument(int linkKind);
    void Disconnect();
    void ClosePort();
    bool OpenLink(int linkKind);
    bool IdentifyInstrument();
    // The menu's Connect: disconnects when connected, else connects by the settings' link kind.
    void ConnectCommand();

    // Status bar pane 1, the toolbar and the instrument menu for the current state.
    std::string PaneText() const;
    ToolbarKind Toolbar() const;
    InstrumentMenuState MenuState() const;

    const std::string& LastIdentity() const { return m_strIdentity; }
    CPort& Port() { return m_port; }
    IPrompts& Prompts() { return m_prompts; }
    ConnectionSettings& Settings() { return m_settings; }
    ConnectionState& State() { return m_state; }

  private:
    bool ScreenDumpAllowed() const;

    CPort& m_port;
    ConnectionSettings& m_settings;
    ConnectionState& m_state;
    IPrompts& m_prompts;
    std::string m_strIdentity;
    bool m_bLost = false;
};

inline constexpr const char* kLinkLostText = "The connection to the instrument was lost.\n";

}  // namespace fl
