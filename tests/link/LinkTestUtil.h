// Shared pieces of the link tests: prompts that record, and a simulator with a connected channel.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "CommandChannel.h"
#include "Prompts.h"
#include "SimServer.h"

namespace fl::test {

class RecordingPrompts : public IPrompts {
  public:
    void Message(const std::string& text, PromptIcon) override { messages.push_back(text); }
    bool YesNo(const std::string& text) override {
        messages.push_back(text);
        return answerYes;
    }
    void SetStatus(int pane, const std::string& text) override { status[pane] = text; }
    std::vector<std::string> messages;
    std::string status[4];
    bool answerYes = false;
};

// A simulator and a channel connected to it: on loopback TCP, or on a pseudo-terminal as a serial line.
struct SimLink {
    explicit SimLink(sim::SimOptions options = {}, bool connect = true, bool serial = false)
        : server(std::make_unique<sim::SimServer>(options)), channel(port, settings, state, prompts) {
        if (serial) {
            settings.serialDevice = server->OpenPty();
            settings.linkKind = 0;
        } else {
            tcpPort = server->ListenTcp();
            settings.linkKind = 1;
            settings.ipAddress = "127.0.0.1";
            settings.tcpPort = tcpPort;
        }
        server->Start();
        if (connect) connected = channel.ConnectInstrument(settings.linkKind);
    }
    ~SimLink() {
        server->Stop();
        s_strConnectedModel.clear();
    }

    std::unique_ptr<sim::SimServer> server;
    CPort port;
    ConnectionSettings settings;
    ConnectionState state;
    RecordingPrompts prompts;
    CommandChannel channel;
    int tcpPort = 0;
    bool connected = false;
};

}  // namespace fl::test
