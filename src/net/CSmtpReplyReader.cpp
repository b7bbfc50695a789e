#include "net/CSmtpReplyReader.h"

CSmtpReplyReader::Outcome CSmtpReplyReader::Feed(std::string_view input, size_t& consumed) {
    if (m_complete) {
        m_line.clear();
        m_sawCr = m_sawLf = m_complete = false;
    }
    consumed = 0;
    while (consumed < input.size()) {
        const char byte = input[consumed++];
        if (byte == '\n') {
            m_sawLf = true;
        } else if (byte == '\r') {
            m_sawCr = true;
        } else {
            if (m_line.size() == MaxLineBytes) {
                m_complete = true;
                return Outcome::TooLong;
            }
            m_sawCr = m_sawLf = false;
            m_line += byte;
        }
        if (m_sawCr && m_sawLf) {
            m_complete = true;
            return Outcome::Line;
        }
    }
    return Outcome::NeedMore;
}

bool ReplyIs(std::string_view line, char digit) {
    return !line.empty() && line.front() == digit;
}

bool ReplyContinues(std::string_view line) {
    constexpr size_t CodeLength = 3;
    if (line.size() <= CodeLength || line[CodeLength] != '-')
        return false;
    for (size_t i = 0; i < CodeLength; ++i)
        if (line[i] < '0' || line[i] > '9')
            return false;
    return true;
}
