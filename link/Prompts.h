// How the core talks to the user: messages, questions, status texts, wait cursor and progress. The GUI
// implements it with dialogs, the CLI with stderr and flags, the tests with scripted answers.
#pragma once

#include <string>
#include <vector>

namespace fl {

enum class PromptIcon { None, Information, Warning, Error, Question };

class IPrompts {
  public:
    virtual ~IPrompts() = default;
    virtual void Message(const std::string& text, PromptIcon icon = PromptIcon::None) = 0;
    // Yes/No with a question icon; true for Yes.
    virtual bool YesNo(const std::string& text) = 0;
    virtual void SetStatus(int /*pane*/, const std::string& /*text*/) {}
    virtual void WaitCursor(bool /*on*/) {}
    virtual void ProgressBegin(const std::string& /*title*/, int /*range*/) {}
    virtual void ProgressStep(int /*position*/) {}
    virtual void ProgressEnd() {}
};

// Prompts for programs without a user in front of them: messages go to stderr, questions get a fixed answer.
class StderrPrompts : public IPrompts {
  public:
    explicit StderrPrompts(bool answerYes = false) : m_bYes(answerYes) {}
    // Deferred messages are printed when the prompts go, except the one a caller took to report
    // itself, so every error reaches the terminal once.
    ~StderrPrompts() override;
    void Message(const std::string& text, PromptIcon icon) override;
    bool YesNo(const std::string& text) override;
    // Every message shown, for the caller's own exit status.
    std::vector<std::string> messages;
    bool deferred = false;
    // The last message, trimmed, no longer to be printed by these prompts.
    std::string TakeLast();

  private:
    size_t m_taken = static_cast<size_t>(-1);

    bool m_bYes;
};

}  // namespace fl
