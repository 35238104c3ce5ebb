// Reading the instrument's screen: a 256-entry colour table and 480 run-length lines of 640 pixels,
// fetched one exchange at a time, with the retry rule and a prompt abort.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "CommandChannel.h"
#include "ImageCodec.h"

namespace fl {

inline constexpr int kScreenWidth = 640;
inline constexpr int kScreenHeight = 480;
inline constexpr const char* kTransferFailedText = "Data transfer failed   ";
inline constexpr const char* kScreenAbortedText = "Read Screen aborted   ";

// The first 6 characters of a cleaned colour reply as red, green, blue; false for a short reply.
bool ParseColourReply(const std::string& cleaned, std::array<uint8_t, 3>& rgb);
// The reply forms: a colour reply starts with 6 hex digits, a line reply is hex digits only.
bool ColourReplyForm(const std::string& cleaned);
bool LineReplyForm(const std::string& cleaned);
// Fills a line from a cleaned run-length reply (count, colour index; two hex digits each); pixels the
// runs do not reach keep their values, and nothing beyond pixel 639 is written.
void DecodeScreenLine(const std::string& cleaned, uint8_t* line);

class ScreenDump {
  public:
    explicit ScreenDump(CommandChannel& channel) : m_channel(channel) {}

    // Paced mode and one-second reads on the port, remote screen off on the instrument.
    void Open();
    // Restores the port (paced off, the instrument's time-outs), remote screen on, and reopens the link.
    void Close();

    enum class Result { Ok, Failed, Aborted };
    // progress(phase, position, statusText): phase 0 the colour table (0..255), 1 the lines (0..479).
    using Progress = std::function<void(int, int, const std::string&)>;
    Result ReadScreen(const Progress& progress = {});
    // From another thread: ends ReadScreen at once, even inside an exchange.
    void Abort();
    // After an abort or a finished read: close and reopen the link without the identity check.
    void ReopenLink();

    Bitmap24 Picture() const;
    const std::vector<std::array<uint8_t, 3>>& Colours() const { return m_colours; }
    const std::vector<uint8_t>& Indices() const { return m_screen; }

  private:
    bool Exchange(const std::string& command, std::string& cleaned);
    Result ReadItems(int count, const char* command, int phase, const char* status,
                     const std::function<bool(const std::string&)>& form,
                     const std::function<void(int, const std::string&)>& take, const Progress& progress);

    CommandChannel& m_channel;
    std::vector<std::array<uint8_t, 3>> m_colours = std::vector<std::array<uint8_t, 3>>(256, {0, 0, 0});
    std::vector<uint8_t> m_screen = std::vector<uint8_t>(kScreenWidth * kScreenHeight, 0);
    std::atomic<bool> m_bAbort{false};
};

}  // namespace fl
