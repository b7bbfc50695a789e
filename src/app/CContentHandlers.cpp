#include "app/CContentHandlers.h"

#include "content/LocalSchemes.h"

CContentHandlers::CContentHandlers() {
    // Tried in the order http, about, file, ftp, mailto; http and mailto join
    // with the network subsystems.
    m_protocols.push_back(RegisterFtpProtocol());
    m_protocols.push_back(RegisterFileProtocol());
    m_protocols.push_back(RegisterAboutProtocol());

    // Tried in the order HTML, JPEG, GIF, ftp notice, object property file,
    // mail, and last anything at all; the parsers and decoders join with
    // their own subsystems.
    m_types.push_back(RegisterSaveToFileType());
    m_types.push_back(RegisterLaunchFtpType());
}
