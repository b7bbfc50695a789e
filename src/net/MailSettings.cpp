#include "net/MailSettings.h"

#include "app/CAppSettings.h"

MailSettings ReadMailSettings() {
    MailSettings mail;
    if (CAppSettings* settings = GetSettings()) {
        // The preferences may be changing them on the UI thread right now.
        CSemLockGuard guard(settings->m_lock);
        mail.userName = settings->m_userName;
        mail.userEmail = settings->m_userEmail;
        mail.smtpServer = settings->m_smtpServer;
        mail.smtpServerPort = settings->m_smtpServerPort;
    }
    return mail;
}
