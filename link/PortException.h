// The one exception type of the program: a transport failure with a short text and the system error code.
#pragma once

#include <cerrno>
#include <exception>
#include <string>

namespace fl {

class CPortException : public std::exception {
  public:
    // The error code is the system's last error, captured now unless given.
    explicit CPortException(std::string text, int error = errno)
        : m_strText(std::move(text)), m_nError(error) {
        m_strMessage = GetErrorMessage(1024);
    }
    // With the explanation of a library that has error texts of its own (the host name resolver).
    CPortException(std::string text, int error, std::string detail) : CPortException(std::move(text), error) {
        m_strDetail = std::move(detail);
    }

    // "%s ERROR #%d" with a non-zero code, "%s ERROR" without; cut to bufferSize - 1 characters.
    std::string GetErrorMessage(size_t bufferSize = 100) const;
    // What the user is shown: the message above, and the system's explanation of the code on a second
    // line, since "Connect ERROR #111" alone says nothing to someone in the field.
    std::string UserMessage() const;
    const char* what() const noexcept override { return m_strMessage.c_str(); }
    const std::string& Text() const { return m_strText; }
    int ErrorCode() const { return m_nError; }

  private:
    std::string m_strText;
    int m_nError;
    std::string m_strMessage;
    std::string m_strDetail;
};

}  // namespace fl
