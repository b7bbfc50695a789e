#include "content/LocalSchemes.h"

#include "content/CAboutWorker.h"
#include "content/CDynamicLoad.h"
#include "content/CFileWorker.h"
#include "content/CLaunchFtpObject.h"
#include "content/CSaveToFileObject.h"
#include "content/CTypeOnlyWorker.h"

namespace {

constexpr const char* LaunchFtpType = "internal/launch-ftp";

template <class Worker>
ProtocolRegistration RegisterThreaded(const char* prefix, const char* name) {
    return ProtocolTable().Register({PrefixMatcher(prefix),
                                     [](CDynamicLoad& load) -> std::unique_ptr<CLoadWorker> {
                                         return std::make_unique<Worker>(load, load.Url());
                                     },
                                     name});
}

} // namespace

ProtocolRegistration RegisterFileProtocol() {
    return RegisterThreaded<CFileWorker>("file:", "File");
}

ProtocolRegistration RegisterAboutProtocol() {
    return RegisterThreaded<CAboutWorker>("about:", "About");
}

ProtocolRegistration RegisterFtpProtocol() {
    return ProtocolTable().Register({PrefixMatcher("ftp:"),
                                     [](CDynamicLoad& load) -> std::unique_ptr<CLoadWorker> {
                                         return std::make_unique<CTypeOnlyWorker>(load, load.Url(),
                                                                                  LaunchFtpType);
                                     },
                                     "FTP"});
}

ContentTypeRegistration RegisterLaunchFtpType() {
    return ContentTypeTable().Register(
        {ExactMatcher(LaunchFtpType),
         [](const std::string& url, const std::string& type) -> std::unique_ptr<CMimeObject> {
             return std::make_unique<CLaunchFtpObject>(url, type);
         },
         Caps::Action, LaunchFtpType});
}

ContentTypeRegistration RegisterSaveToFileType() {
    return ContentTypeTable().Register(
        {// Any type at all, but every specific row outscores it.
         [](std::string_view) { return 1; },
         [](const std::string& url, const std::string& type) -> std::unique_ptr<CMimeObject> {
             return std::make_unique<CSaveToFileObject>(url, type);
         },
         Caps::Action, "*/*"});
}
