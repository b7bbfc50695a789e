#pragma once

#include "content/CLoadWorker.h"
#include "content/CRegistryTables.h"
#include "net/CNullSocket.h"
#include "net/CSmtpReplyReader.h"

#include <cstdint>
#include <string>
#include <string_view>

// Sends the mail of a POST to a "mailto:" address (from the "Send Mail"
// dialog or a form) to the SMTP server of the settings, on a thread of its
// own: HELO, MAIL FROM, RCPT TO, DATA, the message, QUIT. Progress goes to
// the status bar; a failure becomes the load's error text. Success is seen
// only in the status bar: the load always ends with result 2, since the
// content object of a POST says it failed.
class CMailPostWorker final : public CThreadedWorker {
public:
    using CThreadedWorker::CThreadedWorker;
    ~CMailPostWorker() override;

    void Join() override;

protected:
    void InterruptBlockingCall() override;

private:
    void Run() override;
    [[nodiscard]] bool Connect(uint16_t port);
    // Throws away what the server sent since the last reply line read, sends
    // line, and reads the reply's first line.
    [[nodiscard]] bool Command(std::string_view line, char expected);
    [[nodiscard]] bool SendMessage(const std::string& data);
    // Reads a whole reply, whose first line must begin with expected.
    [[nodiscard]] bool Expect(char expected);
    // The first line of a reply; its continuation lines are read and dropped.
    [[nodiscard]] SocketResult ReadReply(std::string& first, std::string& reason);
    // Failed with reason also when the server hangs up or its line runs on
    // past the bound.
    [[nodiscard]] SocketResult ReadReplyLine(std::string& line, std::string& reason);
    void DrainInput();
    void Fail(SocketResult result);
    void ShowStatus(std::string text);

    CNullSocket m_socket;
    // The rest is the thread's own while it runs.
    std::string m_server;
    CSmtpReplyReader m_reader;
    // Bytes received after the last line read: the rest of a multi-line
    // reply, until the next command throws them away.
    std::string m_pending;
};

// The "mailto:" row of the protocol table: a GET announces the type whose
// object shows the "Send Mail" dialog; any other method sends.
[[nodiscard]] ProtocolRegistration RegisterMailtoProtocol();
