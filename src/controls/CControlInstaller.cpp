#include "controls/CControlInstaller.h"

#include "app/CAppSettings.h"
#include "content/CFileDownloadLoad.h"
#include "content/CScheduler.h"
#include "controls/CControlItem.h"
#include "controls/CFileReadRequest.h"
#include "controls/ControlClassLookup.h"
#include "controls/InstallLog.h"
#include "platform/lz/LzFile.h"
#include "platform/ui/CUiBackend.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

// One class's download and the items that wait for it.
class CControlInstaller::CDownload final : public CLoadOwner {
public:
    CDownload(CControlInstaller& installer, std::string classId, std::string localPath)
        : m_installer(installer), m_classId(std::move(classId)), m_localPath(std::move(localPath)),
          m_partPath(UnfinishedPathFor(m_localPath)) {}
    ~CDownload() override {
        // Cancelled (every waiting item left) or ended: the load stops first,
        // so nothing writes the unfinished file after it is gone.
        DeleteAllLoads();
        std::error_code ignored;
        std::filesystem::remove(m_partPath, ignored);
    }

    void Start(const std::string& address) {
        auto* load = NewLoad<CFileDownloadLoad>(address, PartPath(), "", Method::Get, "", "");
        Scheduler().Start(load);
    }

    void OnLoadNotify(uint32_t flags, CDynamicLoad* load) override {
        if (!(flags & Notify::Finished))
            return;
        bool success = load->Result() == Status::Complete;
        DeleteLoad(load);
        // Deletes this download.
        m_installer.Finished(m_classId, success);
    }

    // The file is fetched beside its final name and moved there whole, so a
    // library of the same name that is still loaded is never written over.
    [[nodiscard]] const std::string& PartPath() const { return m_partPath; }
    [[nodiscard]] const std::string& LocalPath() const { return m_localPath; }

    std::vector<CControlItem*> items;

private:
    CControlInstaller& m_installer;
    const std::string m_classId;
    const std::string m_localPath;
    const std::string m_partPath;
};

namespace {

CAppSettings::Values Settings() {
    CAppSettings* settings = GetSettings();
    return settings ? settings->Snapshot() : CAppSettings::Values{};
}

} // namespace

CControlInstaller& CControlInstaller::Instance() {
    static CControlInstaller installer;
    return installer;
}

void CControlInstaller::Install(CControlItem& item, const void* page) {
    const CControlDescription& description = item.Description();
    const std::string& classId = description.classIdText;
    // Without this a second embed of a declined control would ask again.
    if (m_declined.contains({page, classId})) {
        item.MarkFailed();
        return;
    }
    if (auto found = m_waiting.find(classId); found != m_waiting.end()) {
        // One download serves every control of the class.
        found->second->items.push_back(&item);
        return;
    }
    const CAppSettings::Values settings = Settings();
    std::string address = ResolveReadAddress(item.FileAddress(), description.filenameUrl);
    std::optional<std::string> local = address.empty() || settings.controlDirectory.empty()
                                           ? std::nullopt
                                           : LocalPathFor(settings.controlDirectory, address);
    if (!local) {
        item.MarkFailed();
        return;
    }
    auto download = std::make_unique<CDownload>(*this, classId, *local);
    download->items.push_back(&item);
    CDownload* started = download.get();
    m_waiting.emplace(classId, std::move(download));

    CUiBackend* ui = CurrentUi();
    ControlDownloadQuestion question{
        .companyName = description.companyName,
        .fileDescription = description.fileDescription,
        .productVersion = description.productVersion,
        .productName = description.productName,
        .legalCopyright = description.legalCopyright,
        .legalTrademarks = description.legalTrademarks,
        .httpSite = address,
    };
    // The question runs the toolkit: items may join the entry meanwhile, or
    // all leave it, which ends the download before it starts.
    const bool agreed = ui && ui->AskDownloadControl(question);
    auto still = m_waiting.find(classId);
    if (still == m_waiting.end() || still->second.get() != started)
        return;
    if (!agreed) {
        m_declined.emplace(page, classId);
        Fail(classId);
        return;
    }
    std::error_code ignored;
    std::filesystem::create_directories(settings.tempDirectory, ignored);
    (void)AppendInstallLog(settings.tempDirectory, description);
    std::filesystem::create_directories(settings.controlDirectory, ignored);
    started->Start(address);
}

void CControlInstaller::Forget(CControlItem& item) {
    for (auto entry = m_waiting.begin(); entry != m_waiting.end(); ++entry) {
        auto& items = entry->second->items;
        if (std::erase(items, &item) == 0)
            continue;
        // Nobody wants the file any more: the download is cancelled.
        if (items.empty())
            m_waiting.erase(entry);
        return;
    }
}

void CControlInstaller::ForgetPage(const void* page) {
    std::erase_if(m_declined, [&](const auto& declined) { return declined.first == page; });
}

bool CControlInstaller::IsWaiting(const CControlItem& item) const {
    return std::any_of(m_waiting.begin(), m_waiting.end(), [&](const auto& entry) {
        const auto& items = entry.second->items;
        return std::find(items.begin(), items.end(), &item) != items.end();
    });
}

void CControlInstaller::Fail(const std::string& classId) {
    auto found = m_waiting.find(classId);
    if (found == m_waiting.end())
        return;
    std::unique_ptr<CDownload> download = std::move(found->second);
    m_waiting.erase(found);
    for (CControlItem* item : download->items)
        item->MarkFailed();
}

void CControlInstaller::Finished(const std::string& classId, bool success) {
    auto found = m_waiting.find(classId);
    if (found == m_waiting.end())
        return;
    std::unique_ptr<CDownload> download = std::move(found->second);
    m_waiting.erase(found);
    const CControlDescription& description = download->items.front()->Description();
    namespace fs = std::filesystem;
    std::error_code error;
    std::string path = download->LocalPath();
    if (success && description.compressed) {
        path = OcxNameFor(path);
        success = ExpandLzFile(download->PartPath(), path);
        fs::remove(download->PartPath(), error);
    } else if (success) {
        fs::rename(download->PartPath(), path, error);
        success = !error;
    } else {
        fs::remove(download->PartPath(), error);
    }
    success = success && RegisterServer({}, false, path);
    for (CControlItem* item : download->items) {
        if (success)
            item->CreateInstalledControl();
        else
            item->MarkFailed();
    }
}
