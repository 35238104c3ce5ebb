#include "PortException.h"

#include <cstring>

#include "Text.h"

namespace fl {

std::string CPortException::GetErrorMessage(size_t bufferSize) const {
    std::string msg = m_nError ? Format("%s ERROR #%d", m_strText.c_str(), m_nError)
                               : Format("%s ERROR", m_strText.c_str());
    if (bufferSize == 0) return {};
    if (msg.size() > bufferSize - 1) msg.resize(bufferSize - 1);
    return msg;
}

std::string CPortException::UserMessage() const {
    std::string msg = GetErrorMessage(100);
    if (!m_strDetail.empty())
        msg += "\n" + m_strDetail + ".";
    else if (m_nError > 0)
        msg += "\n" + std::string(std::strerror(m_nError)) + ".";
    return msg;
}

}  // namespace fl
