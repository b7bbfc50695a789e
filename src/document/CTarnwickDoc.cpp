#include "document/CTarnwickDoc.h"

#include "content/CMimeDynamicLoad.h"
#include "content/CMimeObject.h"
#include "content/CScheduler.h"
#include "document/CDocumentView.h"
#include "document/RememberedCredential.h"
#include "platform/CMessageQueue.h"
#include "platform/StringIds.h"
#include "platform/TextUtil.h"
#include "platform/UiThread.h"
#include "platform/ui/CUiBackend.h"

#include "app/CAppSettings.h"

namespace {

CTarnwickDoc* g_topLevel = nullptr;

// The size a failed or refused inline resource keeps: the broken-image sign.
constexpr int32_t BrokenSize = 32;

constexpr uint32_t Showable = Caps::Document | Caps::InlineImage;

// The "Temp Storage" directory, which controls see as their user directory.
std::string TempDirectory() {
    CAppSettings* settings = GetSettings();
    if (!settings)
        return {};
    return settings->Snapshot().tempDirectory;
}

} // namespace

CTarnwickDoc::CTarnwickDoc(CDocumentFrame* frame, CHistory* history)
    : m_frame(frame), m_history(history), m_isTopLevel(g_topLevel == nullptr),
      m_ambients(TempDirectory()) {
    if (m_isTopLevel)
        g_topLevel = this;
}

CTarnwickDoc::~CTarnwickDoc() {
    ReleaseItems();
    if (m_isTopLevel)
        g_topLevel = nullptr;
}

CTarnwickDoc* CTarnwickDoc::TopLevel() {
    return g_topLevel;
}

bool CTarnwickDoc::Idle() {
    return m_mainLoad == nullptr && !Scheduler().AnyActive();
}

bool CTarnwickDoc::AllLoadsEnded() const {
    for (const auto& load : m_loadOwner.Loads()) {
        Status result = load->Result();
        if (result != Status::Failed && result != Status::Complete)
            return false;
    }
    return true;
}

void CTarnwickDoc::AddItem(std::unique_ptr<CDocumentItem> item) {
    m_items.push_back(std::move(item));
}

void CTarnwickDoc::ReleaseItems() {
    // Each item is taken out first: stopping a control may call back into
    // the page.
    std::vector<std::unique_ptr<CDocumentItem>> items;
    items.swap(m_items);
    for (const auto& item : items)
        item->OnClearPage();
}

void CTarnwickDoc::Navigate(const NavigateRequest& request) {
    // Mail leaves the page in place: sending it is not a new page.
    if (!StartsWithNoCase(request.url, "mailto:"))
        DeleteContents();

    NavigateRequest chosen;
    std::string fragment;
    bool fromHistory = false;
    if (request.url == BackwardUrl || request.url == ForwardUrl) {
        NavigationKind kind =
            request.url == BackwardUrl ? NavigationKind::Back : NavigationKind::Forward;
        if (!TakeFromHistory(kind, chosen, fragment))
            return;
        m_navigationKind = kind;
        // A posted page comes back only from the object table: posting again
        // is for the user to ask for.
        fromHistory = chosen.method == Method::Post;
    } else if (request.as == NavigateAs::Reload) {
        chosen = request;
        fragment = m_fragment;
        m_navigationKind = NavigationKind::Reload;
    } else {
        size_t hash = request.url.find('#');
        chosen = request;
        chosen.url = request.url.substr(0, hash);
        fragment = hash == std::string::npos ? "" : request.url.substr(hash + 1);
        m_navigationKind = NavigationKind::NewRequest;
    }

    StopLoading();
    m_pendingHeaders = CredentialHeaderFor(chosen.url, std::move(chosen.headers));
    if (m_frame)
        m_frame->StartAnimation();
    m_pendingMethod = chosen.method;
    m_pendingPostData = chosen.postData;
    m_pendingUrl = chosen.url;
    m_pendingFragment = fragment;

    m_mainLoad = m_loadOwner.NewLoad<CMimeDynamicLoad>(chosen.url, chosen.method, m_pendingHeaders,
                                                       chosen.postData, fromHistory, 0);
    Scheduler().Start(m_mainLoad);
    if (m_mainLoad && m_mainLoad->GetObject())
        UpdateTitle();
}

bool CTarnwickDoc::TakeFromHistory(NavigationKind kind, NavigateRequest& request,
                                   std::string& fragment) {
    if (!m_isTopLevel || !m_history)
        return false;
    const HistoryEntry* entry =
        kind == NavigationKind::Back ? m_history->Previous() : m_history->Next();
    if (!entry)
        return false;
    request = {.url = entry->url,
               .method = entry->method,
               .headers = entry->headers,
               .postData = entry->postData};
    fragment = entry->fragment;
    return true;
}

void CTarnwickDoc::Reload() {
    if (!m_isTopLevel) {
        if (CTarnwickDoc* top = TopLevel())
            top->Reload();
        return;
    }
    const HistoryEntry* current = m_history ? m_history->Current() : nullptr;
    if (!m_shownLoad || !current)
        return;
    HistoryEntry entry = *current;
    if (entry.method == Method::Post) {
        CUiBackend* ui = CurrentUi();
        if (!ui || ui->MessageBox(RepostQuestion, MessageBoxButtons::YesNo,
                                  MessageBoxIcon::Question) != MessageBoxResult::Yes)
            return;
    }
    Scheduler().CancelAll();
    if (CMimeDynamicLoad* load = std::exchange(m_mainLoad, nullptr))
        m_loadOwner.DeleteLoad(load);
    m_contentObject = nullptr;
    m_shownLoad = nullptr;
    // The page and its pictures go when their loads do, instead of waiting
    // in the object table to be handed back by the request below.
    for (const auto& load : m_loadOwner.Loads())
        load->DisableCaching();
    DeleteContents();
    Navigate({.url = entry.url,
              .method = entry.method,
              .headers = entry.headers,
              .postData = entry.postData,
              .as = NavigateAs::Reload});
}

void CTarnwickDoc::StopLoading() {
    if (m_mainLoad) {
        if (m_isTopLevel)
            Scheduler().CancelAll();
        else
            Scheduler().Cancel(m_mainLoad);
        CMimeDynamicLoad* old = std::exchange(m_mainLoad, nullptr);
        m_loadOwner.DeleteLoad(old);
    } else if (m_isTopLevel) {
        Scheduler().CancelAll();
    } else {
        m_loadOwner.CancelAllLoads();
    }
}

void CTarnwickDoc::StopAll() {
    Scheduler().CancelAll();
}

void CTarnwickDoc::OnLoadNotify(uint32_t flags, CDynamicLoad* load) {
    if (!m_mainLoad || load != m_mainLoad) {
        if (load == m_shownLoad && (flags & Notify::Finished))
            ReportShownFailure();
        if (m_view)
            m_view->OnInlineLoadNotify(flags, load);
        if (m_mainLoad)
            return;
    } else {
        auto* mainLoad = m_mainLoad;
        if (flags & Notify::Redirected) {
            if (std::string fragment = mainLoad->Fragment(); !fragment.empty())
                m_pendingFragment = fragment;
        }
        if (flags & Notify::AuthRequested) {
            if (AnswerChallenge(mainLoad))
                return;
        } else if (flags & (Notify::Data | Notify::Attached)) {
            CMimeObject* object = mainLoad->GetObject();
            if (object && (object->GetCaps() & Showable)) {
                ShowDocument(object);
                // A page may arrive and end in one notification.
                if (flags & Notify::Finished)
                    ReportShownFailure();
                return;
            }
        }
        if (flags & Notify::Finished)
            FinishMainLoad(mainLoad);
    }
    if (m_frame && !Scheduler().AnyActive())
        m_frame->StopAnimation();
}

bool CTarnwickDoc::AnswerChallenge(CMimeDynamicLoad* load) {
    if (!IsBasicChallenge(load->Challenge())) {
        load->SetError(StringId::UnsupportedAuthScheme);
        return false;
    }
    CUiBackend* ui = CurrentUi();
    std::optional<LoginAnswer> login = ui ? ui->AskLogin() : std::nullopt;
    if (!login)
        return false;
    RememberCredential(m_pendingUrl, login->user, login->password);
    m_loadOwner.DeleteLoad(std::exchange(m_mainLoad, nullptr));
    // The pending request is copied: Navigate replaces it.
    Navigate({.url = m_pendingUrl,
              .method = m_pendingMethod,
              .headers = m_pendingHeaders,
              .postData = m_pendingPostData});
    return true;
}

void CTarnwickDoc::ShowDocument(CMimeObject* object) {
    if (m_isTopLevel)
        UpdateHistory(m_mainLoad->Url());
    if (m_frame && !Scheduler().AnyActive())
        m_frame->StopAnimation();
    DeleteContents();
    m_shownLoad = m_mainLoad;
    m_contentObject = object;
    m_fragment = m_pendingFragment;
    m_mainLoad = nullptr;
    m_pendingUrl.clear();
    m_pendingHeaders.clear();
    m_pendingPostData.clear();
    m_pendingFragment.clear();
    UpdateTitle();
    if (m_view)
        PostMessage(m_view->Handle(), CDocumentView::NewDocumentMessage, 0, 0);
}

void CTarnwickDoc::FinishMainLoad(CMimeDynamicLoad* load) {
    m_mainLoad = nullptr;
    CMimeObject* object = load->GetObject();
    if (object && (object->GetCaps() & Caps::Action) && load->Result() == Status::Complete)
        object->Execute();
    else
        ShowError(load->ErrorText());
    m_loadOwner.DeleteLoad(load);
}

void CTarnwickDoc::ReportShownFailure() {
    // A page stopped by the user ends failed too, but without a text.
    if (!m_frame || !m_shownLoad || m_shownLoad->Result() != Status::Failed)
        return;
    if (std::string text = m_shownLoad->ErrorText(); !text.empty())
        m_frame->ShowLoadFailure(text);
}

void CTarnwickDoc::ShowError(const std::string& text) {
    if (text.empty())
        return;
    if (CUiBackend* ui = CurrentUi())
        ui->MessageBox(text, MessageBoxButtons::Ok, MessageBoxIcon::Warning);
}

void CTarnwickDoc::RequestInline(const std::string& url, uint32_t requiredCaps) {
    {
        CSemLockGuard guard(m_inlineLock);
        if (m_inline.contains(url))
            return;
    }
    if (!IsUiThread()) {
        {
            // Layout asks again on every pass until the UI thread has
            // started the load; one waiting request is enough.
            CSemLockGuard lock(m_requestsLock);
            if (!m_waitingUrls.insert(url).second)
                return;
            m_requests.push_back({url, requiredCaps});
        }
        PostMessage(Handle(), InlineRequestMessage, requiredCaps, 0);
        return;
    }
    CMimeDynamicLoad* load = nullptr;
    if (m_contentObject && m_contentObject->GetStatus() != Status::Failed &&
        !IsLocalFileFromNetworkPage(url)) {
        load = m_loadOwner.NewLoad<CMimeDynamicLoad>(url, Method::Get, CredentialHeaderFor(url), "",
                                                     false, requiredCaps);
        Scheduler().Start(load);
    }
    {
        CSemLockGuard guard(m_inlineLock);
        m_inline.emplace(url, load);
    }
    // A refused entry has no load to notify anyone, and the layout thread may
    // already be asleep waiting for it (a picture shown as the page that
    // failed meanwhile).
    if (!load && m_view)
        m_view->OnInlineRefused();
}

bool CTarnwickDoc::IsLocalFileFromNetworkPage(const std::string& url) const {
    // A page from a server may not read the files of this computer, not
    // even as a picture.
    const std::string& page = m_contentObject->Url();
    return StartsWithNoCase(url, "file:") &&
           (StartsWithNoCase(page, "http:") || StartsWithNoCase(page, "https:"));
}

void CTarnwickDoc::OnMessage(uint32_t message, uintptr_t, intptr_t) {
    if (message != InlineRequestMessage)
        return;
    InlineRequest request;
    {
        CSemLockGuard lock(m_requestsLock);
        if (m_requests.empty())
            return;
        request = std::move(m_requests.front());
        m_requests.pop_front();
    }
    RequestInline(request.url, request.requiredCaps);
    CSemLockGuard lock(m_requestsLock);
    m_waitingUrls.erase(request.url);
}

bool CTarnwickDoc::InspectInline(const std::string& url, int32_t* width, int32_t* height,
                                 CMimeObject** object) {
    // Held throughout, so that the UI thread cannot delete the load or its
    // object while another thread looks at them.
    CSemLockGuard guard(m_inlineLock);
    auto it = m_inline.find(url);
    if (it == m_inline.end())
        return false;
    CMimeDynamicLoad* load = it->second;
    // A refused resource has its broken-image size at once, but no object
    // ever settles for it.
    if (!load) {
        if (!width)
            return false;
        *width = *height = BrokenSize;
        return true;
    }
    CMimeObject* found = load->GetObject();
    bool failed = load->Result() == Status::Failed;
    bool settled;
    if (!found || !(found->GetCaps() & Caps::InlineImage)) {
        settled = !found ? failed : true;
        found = nullptr;
    } else {
        // The status first: an object that has its picture by the end says
        // so before its status says it ended, so one seen ended with no
        // picture never had one. Read the other way round, a picture that
        // came between the two reads was taken for none, and the place kept
        // the broken-image size for good.
        const Status objectStatus = found->GetStatus();
        if (found->HasImage()) {
            settled = true;
        } else {
            // The load may have attached to an object another load still
            // feeds (the picture shown as the page): it ended at once, and
            // the object ending without a picture is what settles it.
            settled = failed || objectStatus == Status::Failed || objectStatus == Status::Complete;
            found = nullptr;
        }
    }
    if (object)
        *object = found;
    if (width && settled) {
        *width = *height = BrokenSize;
        if (found)
            found->GetImageSize(*width, *height);
    }
    return settled;
}

bool CTarnwickDoc::GetInlineImageSize(const std::string& url, int32_t& width, int32_t& height) {
    return InspectInline(url, &width, &height, nullptr);
}

bool CTarnwickDoc::GetInlineObject(const std::string& url, CMimeObject*& object) {
    object = nullptr;
    return InspectInline(url, nullptr, nullptr, &object);
}

void CTarnwickDoc::DeleteContents() {
    if (m_view)
        m_view->ResetView();
    {
        CSemLockGuard guard(m_inlineLock);
        m_inline.clear();
    }
    m_contentObject = nullptr;
    m_shownLoad = nullptr;
    m_loadOwner.DeleteAllLoads(m_mainLoad);
    ReleaseItems();
}

void CTarnwickDoc::UpdateTitle() {
    if (!m_isTopLevel || !m_frame)
        return;
    if (!m_contentObject) {
        m_frame->SetTitle("Untitled");
        m_frame->SetLocation("");
        return;
    }
    std::string title = m_contentObject->GetTitle();
    std::string url = m_contentObject->Url();
    if (!m_fragment.empty())
        url += "#" + m_fragment;
    m_frame->SetTitle(title.empty() ? url : title);
    m_frame->SetLocation(url);
}

void CTarnwickDoc::UpdateHistory(const std::string& url) {
    if (m_history)
        m_history->Record(m_navigationKind, {.url = url,
                                             .method = m_pendingMethod,
                                             .headers = m_pendingHeaders,
                                             .postData = m_pendingPostData,
                                             .fragment = m_pendingFragment});
}

std::string CTarnwickDoc::CredentialHeaderFor(const std::string& url, std::string headers) {
    std::string line = AuthorizationHeaderFor(url);
    return line.empty() ? headers : WithAuthorizationLine(headers, line);
}
