#include "app/CContentHandlers.h"

#include "content/CHttpWorker.h"
#include "content/LocalSchemes.h"
#include "controls/CObjectPropertyFile.h"
#include "html/CHtmlObject.h"
#include "images/CGifMimeObject.h"
#include "images/CJpegMimeObject.h"
#include "images/CPngMimeObject.h"
#include "net/CMailPostObject.h"
#include "net/CMailPostWorker.h"

CContentHandlers::CContentHandlers() {
    // Tried in the order http, https, about, file, ftp, mailto.
    m_protocols.push_back(RegisterMailtoProtocol());
    m_protocols.push_back(RegisterFtpProtocol());
    m_protocols.push_back(RegisterFileProtocol());
    m_protocols.push_back(RegisterAboutProtocol());
    m_protocols.push_back(RegisterHttpsProtocol());
    m_protocols.push_back(RegisterHttpProtocol());

    // Tried in the order HTML, JPEG, GIF, PNG, ftp notice, object property
    // file, mail, and last anything at all.
    m_types.push_back(RegisterSaveToFileType());
    m_types.push_back(RegisterMailPostType());
    m_types.push_back(RegisterObjectPropertyFileType());
    m_types.push_back(RegisterLaunchFtpType());
    m_types.push_back(RegisterPngType());
    m_types.push_back(RegisterGifType());
    m_types.push_back(RegisterJpegType());
    m_types.push_back(RegisterHtmlType());
}
