#include "net/CMailPostWorker.h"

#include "content/CDynamicLoad.h"
#include "content/CTypeOnlyWorker.h"
#include "net/MailMessage.h"
#include "net/MailSettings.h"
#include "platform/CStringTable.h"
#include "platform/LocalHostName.h"
#include "platform/StringIds.h"

#include <utility>

namespace {

constexpr int32_t MaxPort = 65535;
// A reply line is short: one receive of this much usually holds all of it.
constexpr size_t ReplyBlock = 512;

constexpr char Success = '2';
constexpr char GoOn = '3'; // the answer to DATA: send the message

} // namespace

CMailPostWorker::~CMailPostWorker() = default;

void CMailPostWorker::Join() {
    CThreadedWorker::Join();
    m_socket.Close();
}

void CMailPostWorker::InterruptBlockingCall() {
    m_socket.Cancel();
}

void CMailPostWorker::ShowStatus(std::string text) {
    m_load.SetStatusText(std::move(text));
    SignalNotify();
}

void CMailPostWorker::Run() {
    const CDynamicLoad::Request request = m_load.GetRequest();
    const MailSettings settings = ReadMailSettings();
    m_server = settings.smtpServer;
    const MailMessage message = BuildMailMessage(request.headers, request.url, settings.userName,
                                                 settings.userEmail, request.postData);
    // The object of the type carries the load's end: it reports a failure
    // whatever happens, so that nothing else is shown for a sent mail.
    if (DeliverHeaders({{"content-type", std::string(MailPostType)}}) == Status::Failed)
        return Finish(Status::Failed);

    // A port out of range becomes 0, where nothing listens, so the connect
    // fails with the text users know.
    const int32_t port = settings.smtpServerPort;
    const uint16_t connectPort = port >= 0 && port <= MaxPort ? static_cast<uint16_t>(port) : 0;
    ShowStatus(FormatText("Connecting to SMTP server %s, port %d", {m_server, port}));
    if (!Connect(connectPort))
        return;
    ShowStatus(FormatText("SMTP server \"%s\" contacted, waiting for reply.", {m_server}));
    if (!Expect(Success))
        return;
    ShowStatus(FormatText("SMTP server \"%s\" contacted. Sending HELO", {m_server}));
    if (!Command("HELO " + LocalHostName(), Success))
        return;
    ShowStatus(FormatText("SMTP server \"%s\" contacted. Sending MAIL FROM", {m_server}));
    if (!Command("MAIL FROM:" + WithoutLineBreaks(settings.userEmail), Success))
        return;
    ShowStatus(FormatText("SMTP server \"%s\" contacted. Sending RCPT TO", {m_server}));
    if (!Command("RCPT TO:" + message.recipient, Success))
        return;
    ShowStatus(FormatText("SMTP server \"%s\" contacted. Sending body text.", {m_server}));
    if (!Command("DATA", GoOn) || !SendMessage(message.data))
        return;
    ShowStatus(FormatText("Send successful. Connection to SMTP server \"%s\" closed.", {m_server}));
    // The mail is on its way: whatever the server says to QUIT changes
    // nothing.
    DrainInput();
    (void)m_socket.SendLine("QUIT");
    m_socket.Close();
    FinishKeepingResult();
}

bool CMailPostWorker::Connect(uint16_t port) {
    const SocketResult result = m_socket.Connect(m_server, port);
    if (result == SocketResult::Failed)
        m_load.SetError(StringId::SmtpConnectFailed, {m_server, m_socket.GetErrorText()});
    if (result != SocketResult::Done) {
        Fail(result);
        return false;
    }
    (void)m_socket.SetNoDelay();
    return true;
}

void CMailPostWorker::DrainInput() {
    m_pending.clear();
    // A failure here shows again in the command that follows, which says so.
    (void)m_socket.DrainInput();
}

bool CMailPostWorker::Command(std::string_view line, char expected) {
    DrainInput();
    const SocketResult result = m_socket.SendLine(line);
    if (result == SocketResult::Failed)
        m_load.SetError(StringId::SmtpWriteFailed, {m_server, m_socket.GetErrorText()});
    if (result != SocketResult::Done) {
        Fail(result);
        return false;
    }
    return Expect(expected);
}

bool CMailPostWorker::SendMessage(const std::string& data) {
    const SocketResult result = m_socket.Send(data.data(), data.size());
    if (result == SocketResult::Failed)
        m_load.SetError(StringId::SmtpWriteFailed, {m_server, m_socket.GetErrorText()});
    if (result != SocketResult::Done) {
        Fail(result);
        return false;
    }
    return Expect(Success);
}

bool CMailPostWorker::Expect(char expected) {
    std::string line;
    std::string reason;
    const SocketResult result = ReadReply(line, reason);
    if (result == SocketResult::Failed)
        m_load.SetError(StringId::SmtpReadFailed, {m_server, reason});
    if (result != SocketResult::Done) {
        Fail(result);
        return false;
    }
    if (!ReplyIs(line, expected)) {
        m_load.SetError(StringId::SmtpErrorReply, {m_server, line});
        Finish(Status::Failed);
        return false;
    }
    return true;
}

SocketResult CMailPostWorker::ReadReply(std::string& first, std::string& reason) {
    SocketResult result = ReadReplyLine(first, reason);
    // The rest of a multi-line reply is read here, not left for the drain
    // before the next command: lines still on their way when that drain
    // runs would be taken for the next command's reply.
    std::string line = first;
    while (result == SocketResult::Done && ReplyContinues(line))
        result = ReadReplyLine(line, reason);
    return result;
}

SocketResult CMailPostWorker::ReadReplyLine(std::string& line, std::string& reason) {
    char buffer[ReplyBlock];
    for (;;) {
        if (m_pending.empty()) {
            size_t count = 0;
            const SocketResult result = m_socket.Receive(buffer, sizeof buffer, count);
            if (result == SocketResult::Failed)
                reason = m_socket.GetErrorText();
            if (result != SocketResult::Done)
                return result;
            // A server that hangs up in the middle of the dialogue has not
            // taken the mail: the user must hear of it.
            if (count == 0) {
                reason = "The server closed the connection.";
                return SocketResult::Failed;
            }
            m_pending.assign(buffer, count);
        }
        size_t consumed = 0;
        const CSmtpReplyReader::Outcome outcome = m_reader.Feed(m_pending, consumed);
        m_pending.erase(0, consumed);
        if (outcome == CSmtpReplyReader::Outcome::Line) {
            line = m_reader.Line();
            return SocketResult::Done;
        }
        if (outcome == CSmtpReplyReader::Outcome::TooLong) {
            reason = FormatText("A reply line is longer than %lu bytes.",
                                {CSmtpReplyReader::MaxLineBytes});
            return SocketResult::Failed;
        }
    }
}

void CMailPostWorker::Fail(SocketResult result) {
    // A cancel comes only from Abort: the scheduler finishes the load itself.
    if (result == SocketResult::Cancelled && AbortRequested())
        return FinishAborted();
    Finish(Status::Failed);
}

ProtocolRegistration RegisterMailtoProtocol() {
    return ProtocolTable().Register({PrefixMatcher("mailto:"),
                                     [](CDynamicLoad& load) -> std::unique_ptr<CLoadWorker> {
                                         // Following a link only asks for the dialog; the dialog's
                                         // Send (or a form) posts.
                                         if (load.GetMethod() == Method::Get)
                                             return std::make_unique<CTypeOnlyWorker>(
                                                 load, load.Url(), std::string(MailPostType));
                                         return std::make_unique<CMailPostWorker>(load, load.Url());
                                     },
                                     "Mailto"});
}
