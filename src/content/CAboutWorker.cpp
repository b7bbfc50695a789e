#include "content/CAboutWorker.h"

#include "content/CDynamicLoad.h"
#include "content/FileNames.h"
#include "platform/CResources.h"
#include "platform/StringIds.h"
#include "platform/TextUtil.h"

namespace {

// The about: documents live in this folder of the embedded resources.
constexpr std::string_view AboutFolder = "about/";

} // namespace

CAboutWorker::~CAboutWorker() = default;

void CAboutWorker::Run() {
    std::string url = m_load.Url();
    std::optional<std::span<const unsigned char>> resource;
    std::string name;
    if (StartsWithNoCase(url, "about:")) {
        name = url.substr(6);
        if (EqualsNoCase(name, "logo"))
            name = "VESTRIAL.GIF";
        // A name is a single entry: no path into other resource folders.
        if (!name.empty() && name.find('/') == std::string::npos)
            resource = FindResource(std::string(AboutFolder) + name);
    }
    if (!resource) {
        m_load.SetError(StringId::InvalidAboutName, {url});
        return Finish(Status::Failed);
    }
    HeaderMap headers{{"content-type", ContentTypeForName(name)},
                      {"content-length", FormatText("%ld", {static_cast<long>(resource->size())})}};
    Status status = DeliverHeaders(headers);
    if (EndsTransfer(status))
        return Finish(status);
    status = DeliverData(reinterpret_cast<const char*>(resource->data()), resource->size());
    // Everything has been delivered.
    if (status == Status::Continue)
        status = Status::Complete;
    SignalNotify();
    Finish(status);
}
