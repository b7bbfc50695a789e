#pragma once

#include "content/CInlineResources.h"
#include "content/CLoadOwner.h"
#include "content/LoadTypes.h"
#include "document/CHistory.h"
#include "platform/CMessageTarget.h"
#include "platform/CSemLock.h"

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>

class CDocumentFrame;
class CDocumentView;
class CMimeDynamicLoad;
class CMimeObject;

// How Navigate reads its URL: a reload takes it whole and keeps the fragment
// of the page shown; any other request splits off its own fragment.
enum class NavigateAs { NewRequest, Reload };

// One page request: Navigate({.url = address}), or with a method, extra
// header lines and a body for a form or a request taken from the history.
struct NavigateRequest {
    std::string url{};
    Method method = Method::Get;
    std::string headers{};
    std::string postData{};
    NavigateAs as = NavigateAs::NewRequest;
};

// The document of one browser pane. It turns a navigation request into a
// load, follows the load's notifications, and when an object that can be
// shown arrives makes it the pane's document and tells the view. It also keeps
// the table of inline resources that layout asks for by URL. The first
// document of the process is the top-level one: it speaks for the main
// window, and stops every load of the process when it navigates.
//
// UI thread only, except the inline-resource operations, which layout threads
// call too.
class CTarnwickDoc final : public CMessageTarget, public CInlineResources {
public:
    // Posted to itself by a request for an inline resource from another thread.
    static constexpr uint32_t InlineRequestMessage = WM_USER + 100;
    // The URLs of Back and Forward, compared exactly before anything else.
    static constexpr std::string_view BackwardUrl = "navigation:backward";
    static constexpr std::string_view ForwardUrl = "navigation:forward";
    // Asked before a page that answered a form is posted again (the two
    // blanks are the program's own).
    static constexpr std::string_view RepostQuestion =
        "The current document is the result of  posting a form. Do you wish to repost the form?";

    // frame is the main window for the top-level document; it may be null.
    // history is the process's list, which only the top-level document
    // records into and takes Back and Forward from; it may be null.
    explicit CTarnwickDoc(CDocumentFrame* frame = nullptr, CHistory* history = nullptr);
    ~CTarnwickDoc() override;

    static CTarnwickDoc* TopLevel();
    bool IsTopLevel() const { return m_isTopLevel; }

    void SetView(CDocumentView* view) { m_view = view; }

    void Navigate(const NavigateRequest& request);
    // Fetches the page shown again, from the network, with its pictures; a
    // posted page only when the user agrees. A frame's document reloads the
    // top-level one.
    void Reload();
    void OnLoadNotify(uint32_t flags, CDynamicLoad* load);
    void StopAll();
    // The Reload command's rule: a page is shown.
    [[nodiscard]] bool CanReload() const { return m_shownLoad != nullptr; }

    // Any thread. Starts the load of an inline resource once per URL.
    void RequestInline(const std::string& url, uint32_t requiredCaps) override;
    // Any thread. True once the size is known (32 x 32 for a failed resource).
    bool GetInlineImageSize(const std::string& url, int32_t& width, int32_t& height) override;
    // Any thread. True once settled: the image object, or null for a failure.
    bool GetInlineObject(const std::string& url, CMimeObject*& object) override;

    void DeleteContents();
    void UpdateTitle();

    CMimeObject* ContentObject() const { return m_contentObject; }
    CMimeDynamicLoad* MainLoad() const { return m_mainLoad; }
    CMimeDynamicLoad* ShownLoad() const { return m_shownLoad; }
    const std::string& Fragment() const { return m_fragment; }
    NavigationKind LastNavigationKind() const { return m_navigationKind; }
    // Nothing of this pane is still on its way.
    bool Idle();

    void OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

private:
    class COwner final : public CLoadOwner {
    public:
        explicit COwner(CTarnwickDoc& document) : m_document(document) {}
        void OnLoadNotify(uint32_t flags, CDynamicLoad* load) override {
            m_document.OnLoadNotify(flags, load);
        }

    private:
        CTarnwickDoc& m_document;
    };

    struct InlineRequest {
        std::string url;
        uint32_t requiredCaps;
    };

    void StopLoading();
    void ShowDocument(CMimeObject* object);
    void FinishMainLoad(CMimeDynamicLoad* load);
    void ShowError(const std::string& text);
    // Takes the request from the history entry next to the current one;
    // false at that end of the list.
    bool TakeFromHistory(NavigationKind kind, NavigateRequest& request, std::string& fragment);
    // The main load was refused with a challenge: true when the user logged
    // in and the request has been made again; false leaves the load to end
    // as a failure, with the error text it carries.
    bool AnswerChallenge(CMimeDynamicLoad* load);
    bool InspectInline(const std::string& url, int32_t* width, int32_t* height,
                       CMimeObject** object);
    void UpdateHistory(const std::string& url);
    // headers with the remembered credential's line when url matches it.
    static std::string CredentialHeaderFor(const std::string& url, std::string headers = {});

    CDocumentFrame* m_frame;
    CHistory* m_history;
    CDocumentView* m_view = nullptr;
    const bool m_isTopLevel;

    NavigationKind m_navigationKind = NavigationKind::NewRequest;
    Method m_pendingMethod = Method::Get;
    std::string m_pendingHeaders;
    std::string m_pendingPostData;
    std::string m_pendingUrl;
    std::string m_pendingFragment;

    CMimeDynamicLoad* m_mainLoad = nullptr;  // owned by m_loadOwner
    CMimeDynamicLoad* m_shownLoad = nullptr; // owned by m_loadOwner
    CMimeObject* m_contentObject = nullptr;  // kept alive by m_shownLoad
    std::string m_fragment;

    CSemLock m_inlineLock;
    // URL -> its load, or null for a resource that was refused. The loads
    // are owned by m_loadOwner.
    std::map<std::string, CMimeDynamicLoad*> m_inline GUARDED_BY(m_inlineLock);

    // Requests from other threads waiting for the UI thread.
    CSemLock m_requestsLock ACQUIRED_AFTER(m_inlineLock);
    std::deque<InlineRequest> m_requests GUARDED_BY(m_requestsLock);
    std::set<std::string> m_waitingUrls GUARDED_BY(m_requestsLock); // the URLs in m_requests

    // Last, so that its loads go first when the document is destroyed.
    COwner m_loadOwner{*this};
};
