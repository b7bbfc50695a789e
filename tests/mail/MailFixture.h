#pragma once

#include "document/DocumentFixture.h"

#include "net/CMailPostObject.h"
#include "net/CMailPostWorker.h"
#include "net/ScriptedServer.h"

#include <cstdint>
#include <string>
#include <vector>

// The pipeline and a top-level document with the "mailto:" row and the
// mail type, and settings that name a sender and a server.
class MailTest : public DocumentTest {
protected:
    MailTest() {
        m_protocols.push_back(RegisterMailtoProtocol());
        m_types.push_back(RegisterMailPostType());
        SetSender("Ann Example", "ann@example.org");
        SetServer("127.0.0.1", 25);
    }

    void SetSender(const std::string& name, const std::string& email) {
        m_settings.Update([&](CAppSettings::Values& values) {
            values.userName = name;
            values.userEmail = email;
        });
    }
    void SetServer(const std::string& host, int32_t port) {
        m_settings.Update([&](CAppSettings::Values& values) {
            values.smtpServer = host;
            values.smtpServerPort = port;
        });
    }

    // A POST to a "mailto:" address, as the dialog's Send or a form makes
    // it, started and not waited for.
    CMimeDynamicLoad* StartPost(const std::string& url, std::string headers, std::string body) {
        auto* load = m_owner.NewLoad<CMimeDynamicLoad>(url, Method::Post, std::move(headers),
                                                       std::move(body), false, 0);
        Scheduler().Start(load);
        return load;
    }
    CMimeDynamicLoad* Post(const std::string& url, std::string headers, std::string body) {
        CMimeDynamicLoad* load = StartPost(url, std::move(headers), std::move(body));
        RunUntilFinished(m_owner, load);
        return load;
    }

    // What the user types into the "Send Mail" dialog before it comes up,
    // and whether they press Send.
    void QueueDialog(const std::vector<std::pair<std::string, std::string>>& fields, bool send) {
        for (const auto& [name, text] : fields)
            m_ui.Answers().Push(CHeadlessBackend::MailFieldKind, {name, text});
        m_ui.Answers().Push(CHeadlessBackend::QuestionKind, {send ? "ok" : "cancel"});
    }
    // Follows a "mailto:" link and runs until the mail, if any, has gone.
    void FollowLink(const std::string& url) { NavigateAndSettle({.url = url}, false); }

    CRecordingOwner m_owner;
};

// A scripted SMTP server's side of the dialogue: the greeting, then one
// reply per command; the reply after a "3" reply answers the data, read up
// to its end. After the last reply it waits for QUIT, or for the client to
// go when the last reply refused.
CScriptedServer::Script SmtpScript(std::vector<std::string> replies);
