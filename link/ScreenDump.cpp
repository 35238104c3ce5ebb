#include "ScreenDump.h"

#include <algorithm>
#include <cctype>

#include "ReplyCheck.h"
#include "Text.h"

namespace fl {

namespace {
bool AllHex(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}
}  // namespace

bool ColourReplyForm(const std::string& c) {
    return c.size() >= 6 && AllHex(std::string_view(c).substr(0, 6));
}

bool LineReplyForm(const std::string& c) {
    return c.size() >= 6 && AllHex(c);
}

bool ParseColourReply(const std::string& c, std::array<uint8_t, 3>& rgb) {
    if (c.size() < 6) return false;
    for (int i = 0; i < 3; ++i)
        rgb[static_cast<size_t>(i)] =
            static_cast<uint8_t>(HexPrefixValue(std::string_view(c).substr(2 * i, 2)));
    return true;
}

void DecodeScreenLine(const std::string& c, uint8_t* line) {
    size_t pos = 0;
    int x = 0;
    while (c.size() - pos > 3 && x <= kScreenWidth - 1) {
        const int count = HexPrefixValue(std::string_view(c).substr(pos, 2));
        const int index = HexPrefixValue(std::string_view(c).substr(pos + 2, 2));
        pos += 4;
        for (int k = 0; k < count && x < kScreenWidth; ++k)
            line[x++] = static_cast<uint8_t>(index);
    }
}

void ScreenDump::Open() {
    m_channel.Port().m_bPaced = true;
    m_channel.Port().SetTimeouts(0, 0, 1000, 0, 0);
    std::string ignored;
    m_channel.Transact("SYST:SCR:REM OFF", ignored);
}

void ScreenDump::Close() {
    m_channel.Port().m_bPaced = false;
    if (m_channel.Lost()) return;  // nothing to give back or reopen: the program is disconnected
    // After an abort the port is still interrupted and may hold the rest of a cut reply: clear both, or
    // the instrument would never get its screen back.
    m_channel.Port().ClearInterrupt();
    m_channel.Port().Drain(50);
    std::string ignored;
    m_channel.Transact("SYST:SCR:REM ON", ignored);
    m_channel.Port().m_bPaced = false;
    m_channel.Port().SetTimeouts(25, 2, 1000, 0, 1000);
    ReopenLink();
}

void ScreenDump::Abort() {
    m_bAbort = true;
    m_channel.Port().Interrupt();
}

void ScreenDump::ReopenLink() {
    m_channel.Port().ClearInterrupt();
    if (m_channel.Lost()) return;  // a link that went away is not quietly brought back
    const int kind = m_channel.Settings().linkKind;
    m_channel.ClosePort();
    if (kind == 1 && m_channel.Settings().ipAddress == "0.0.0.0") {
        m_channel.Prompts().Message("No valid IP Address");
        return;
    }
    if (m_channel.OpenLink(kind))
        (kind == 1 ? m_channel.State().lanConnected : m_channel.State().serialConnected) = true;
}

bool ScreenDump::Exchange(const std::string& command, std::string& cleaned) {
    std::string reply;
    if (!m_channel.Transact(command, reply)) return false;
    cleaned = JudgeReply(reply) == ReplyForm::Unreadable ? std::string() : CleanReply(reply);
    return true;
}

// Reads `count` items, one exchange each; a reply shorter than 6 characters is retried, more than 5 short
// replies in a row fail the read.
ScreenDump::Result ScreenDump::ReadItems(int count, const char* command, int phase, const char* status,
                                         const std::function<bool(const std::string&)>& form,
                                         const std::function<void(int, const std::string&)>& take,
                                         const Progress& progress) {
    int retries = 0;
    std::string cleaned;
    for (int i = 0; i < count;) {
        if (m_bAbort || !Exchange(Format(command, i), cleaned))
            return m_bAbort ? Result::Aborted : Result::Failed;
        // A reply that is not the expected hex form (noise, a cut line) is retried like a short one: the
        // picture is never drawn from it.
        if (cleaned.size() < 6 || !form(cleaned)) {
            if (++retries > 5) {
                m_channel.Prompts().Message(kTransferFailedText, PromptIcon::Error);
                return Result::Failed;
            }
        } else {
            take(i, cleaned);
            retries = 0;
            ++i;
        }
        if (progress) progress(phase, i, Format(status, 100 * i / count));
    }
    return Result::Ok;
}

ScreenDump::Result ScreenDump::ReadScreen(const Progress& progress) {
    m_bAbort = false;
    std::string colours;
    Result r = ReadItems(
        256, "SYST:SCR:COL? %d", 0, "Reading Color Table...   %d%%", ColourReplyForm,
        [&](int, const std::string& c) { colours += c.substr(0, 6); }, progress);
    if (r != Result::Ok) return r;
    for (int j = 0; j < 256; ++j)
        ParseColourReply(colours.substr(static_cast<size_t>(6 * j), 6), m_colours[static_cast<size_t>(j)]);
    return ReadItems(
        kScreenHeight, "SYST:SCR:LIN? %d", 1, "Reading Screen...   %d%%", LineReplyForm,
        [&](int n, const std::string& c) {
            DecodeScreenLine(c, m_screen.data() + static_cast<size_t>(n) * kScreenWidth);
        },
        progress);
}

Bitmap24 ScreenDump::Picture() const {
    Bitmap24 b(kScreenWidth, kScreenHeight);
    for (size_t i = 0; i < m_screen.size(); ++i) {
        const auto& c = m_colours[m_screen[i]];
        b.rgb[3 * i] = c[0];
        b.rgb[3 * i + 1] = c[1];
        b.rgb[3 * i + 2] = c[2];
    }
    return b;
}

}  // namespace fl
