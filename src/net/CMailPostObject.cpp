#include "net/CMailPostObject.h"

#include "document/CTarnwickDoc.h"
#include "net/MailMessage.h"
#include "net/MailSettings.h"
#include "platform/CStringTable.h"
#include "platform/StringIds.h"
#include "platform/ui/CUiBackend.h"

namespace {

constexpr size_t SchemeLength = 7; // "mailto:"

} // namespace

Status CMailPostObject::EndOfData() {
    return KeyMethod() == Method::Get ? Status::Complete : Status::Failed;
}

void CMailPostObject::Execute() {
    if (KeyMethod() == Method::Get)
        ComposeMail(Url());
}

void ComposeMail(const std::string& url) {
    CUiBackend* ui = CurrentUi();
    if (!ui)
        return;
    const MailSettings settings = ReadMailSettings();
    if (settings.userName.empty() || settings.userEmail.empty() || settings.smtpServer.empty()) {
        ui->MessageBox(LoadString(StringId::MailSettingsMissing), MessageBoxButtons::Ok,
                       MessageBoxIcon::Warning);
        return;
    }
    // To is the address as the link wrote it, a query included; only a line
    // break, which no address holds, is left out.
    MailFields initial;
    initial.to = WithoutLineBreaks(url.substr(std::min(url.size(), SchemeLength)));
    std::optional<MailFields> typed = ui->AskSendMail(initial);
    CTarnwickDoc* top = CTarnwickDoc::TopLevel();
    if (!typed || !top)
        return;
    top->Navigate({.url = url,
                   .method = Method::Post,
                   .headers = ComposeHeaderText(typed->to, typed->subject, typed->cc),
                   .postData = FormatMailBody(typed->body)});
}

ContentTypeRegistration RegisterMailPostType() {
    return ContentTypeTable().Register(
        {ExactMatcher(std::string(MailPostType)),
         [](const std::string& url, const std::string& type) -> std::unique_ptr<CMimeObject> {
             return std::make_unique<CMailPostObject>(url, type);
         },
         Caps::Action, std::string(MailPostType)});
}
