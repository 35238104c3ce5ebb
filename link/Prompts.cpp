#include "Prompts.h"

#include <cstdio>

namespace fl {

namespace {
// Messages carry their own blanks and line breaks; the terminal gets one line per message.
std::string OneLine(const std::string& text) {
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    for (char& c : s)
        if (c == '\n') c = ' ';
    return s;
}
}  // namespace

StderrPrompts::~StderrPrompts() {
    if (!deferred) return;
    for (size_t i = 0; i < messages.size(); ++i)
        if (i != m_taken) std::fprintf(stderr, "%s\n", OneLine(messages[i]).c_str());
}

void StderrPrompts::Message(const std::string& text, PromptIcon) {
    messages.push_back(text);
    if (!deferred) std::fprintf(stderr, "%s\n", OneLine(text).c_str());
}

std::string StderrPrompts::TakeLast() {
    if (messages.empty()) return {};
    m_taken = messages.size() - 1;
    std::string m = messages.back();
    while (!m.empty() && (m.back() == '\n' || m.back() == ' '))
        m.pop_back();
    return m;
}

bool StderrPrompts::YesNo(const std::string& text) {
    messages.push_back(text);
    std::fprintf(stderr, "%s %s\n", OneLine(text).c_str(), m_bYes ? "yes" : "no");
    return m_bYes;
}

}  // namespace fl
