#include "controls/CControlItem.h"

#include "app/CAppSettings.h"
#include "controls/CControlInstaller.h"
#include "controls/CControlSite.h"
#include "controls/CDispatchDriver.h"
#include "controls/CFileReadRequest.h"
#include "controls/CObjectPropertyFile.h"
#include "controls/CPropertyFileReader.h"
#include "document/CTarnwickDoc.h"
#include "platform/com/ComHost.h"
#include "platform/com/ComStorage.h"
#include "platform/ui/CUiBackend.h"
#include "platform/ui/CViewWindow.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

constexpr int32_t kPixelsPerInch = 96;
constexpr int32_t kHimetricPerInch = 2540;

// Pixels to HIMETRIC units and back, rounded to the nearest, so that a size
// given to a control comes back as the same number of pixels.
int32_t HimetricFromPixels(int32_t pixels) {
    return static_cast<int32_t>((int64_t{pixels} * kHimetricPerInch + kPixelsPerInch / 2) /
                                kPixelsPerInch);
}
int32_t PixelsFromHimetric(int32_t himetric) {
    return static_cast<int32_t>((int64_t{himetric} * kPixelsPerInch + kHimetricPerInch / 2) /
                                kHimetricPerInch);
}

RECT ToRect(const CRect& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// The wait cursor while a control is made; the arrow again afterwards.
class CWaitCursor {
public:
    explicit CWaitCursor(CViewWindow* window) : m_window(window) {
        if (m_window)
            m_window->SetCursor(ViewCursor::Wait);
    }
    ~CWaitCursor() {
        if (m_window)
            m_window->SetCursor(ViewCursor::Arrow);
    }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    CViewWindow* m_window;
};

// Where files that controls ask for are kept: the control directory.
std::string ControlDirectory() {
    CAppSettings* settings = GetSettings();
    if (!settings)
        return {};
    return settings->Snapshot().controlDirectory;
}

} // namespace

CControlItem::CControlItem(CTarnwickDoc& document, const CRect& windowRect, CPoint scroll)
    : m_document(document), m_rect(windowRect), m_layoutScroll(scroll) {
    // Reference-counted objects: their last Release deletes them.
    m_site = ComPtr<CControlSite>::Adopt(new CControlSite(*this));
    m_eventSink = ComPtr<CEventSink>::Adopt(new CEventSink(*this));
}

CControlItem::~CControlItem() {
    CControlInstaller::Instance().Forget(*this);
    Release();
    m_reads.clear();
    m_timers.clear();
    m_site->Detach();
    m_eventSink->Detach();
}

void CControlItem::AttachPropertyFile(CObjectPropertyFile& file) {
    m_description = file.GetDescription();
    m_fileAddress = file.Url();
    m_fileBytes = file.GetLockBytes();
}

void CControlItem::CreateControl() {
    if (m_created || m_failed)
        return;
    CRegistry* registry = ComRegistry();
    ControlClassResult found = registry ? FindControlClass(*registry, m_description.classId,
                                                           m_description.productVersion, m_registry)
                                        : ControlClassResult::NotFound;
    if (found == ControlClassResult::VersionDiffers)
        (void)CoRegisterServer(m_registry.serverPath, true);
    if (found != ControlClassResult::Found) {
        // A control whose code was just installed and still cannot be found
        // (its library is of another version than the page asks for) is
        // not fetched over and over.
        if (m_description.filenameUrl.empty() || m_installed)
            m_failed = true;
        else if (!CControlInstaller::Instance().IsWaiting(*this))
            CControlInstaller::Instance().Install(*this, &m_document);
        return;
    }
    CWaitCursor wait(m_window);
    FinishCreate(CreateFromPropertyFile());
    if (!m_object) {
        m_failed = true;
        Release();
        return;
    }
    ApplyExtent();
    Activate();
    if (Autostart()) {
        CallMethod("Start");
        m_started = true;
    }
    m_created = true;
}

void CControlItem::CreateInstalledControl() {
    m_installed = true;
    m_failed = false;
    CreateControl();
}

HRESULT CControlItem::CreateFromPropertyFile() {
    if (!m_fileBytes)
        return E_UNEXPECTED;
    ComPtr<IStorage> root;
    ComPtr<IStorage> section;
    HRESULT hr = StgOpenStorageOnILockBytes(
        m_fileBytes.Get(), STGM_TRANSACTED | STGM_SHARE_EXCLUSIVE | STGM_READWRITE, root.Receive());
    if (SUCCEEDED(hr))
        hr = root->OpenStorage(kObjectPropertySection, STGM_SHARE_EXCLUSIVE | STGM_READWRITE,
                               section.Receive());
    if (FAILED(hr))
        return hr;
    ComPtr<IUnknown> unknown;
    hr = OleLoad(section.Get(), IID_IUnknown, static_cast<IOleClientSite*>(m_site.Get()),
                 unknown.ReceiveVoid());
    if (FAILED(hr))
        return hr;
    m_object = unknown.As<IOleObject>(IID_IOleObject);
    if (!m_object)
        return E_OUTOFMEMORY;
    m_viewObject = unknown.As<IViewObject>(IID_IViewObject);
    m_inPlaceObject = unknown.As<IOleInPlaceObject>(IID_IOleInPlaceObject);
    m_state = ItemState::Loaded;
    return S_OK;
}

void CControlItem::FinishCreate(HRESULT result) {
    if (FAILED(result) || !m_object) {
        m_object.Reset();
        m_viewObject.Reset();
        m_inPlaceObject.Reset();
        m_state = ItemState::Empty;
        return;
    }
    ReadEventInterface();
    ReadMemberTable();
    AdviseSinks();
}

void CControlItem::ReadEventInterface() {
    auto provider = m_object.As<IProvideClassInfo>(IID_IProvideClassInfo);
    ComPtr<ITypeInfo> classInfo;
    if (!provider || FAILED(provider->GetClassInfo(classInfo.Receive())) || !classInfo)
        return;
    TYPEATTR* classAttr = nullptr;
    if (FAILED(classInfo->GetTypeAttr(&classAttr)) || !classAttr)
        return;
    const UINT implemented = classAttr->cImplTypes;
    classInfo->ReleaseTypeAttr(classAttr);
    constexpr INT kDefaultSource = IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE;
    for (UINT i = 0; i < implemented; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> events;
        if (FAILED(classInfo->GetImplTypeFlags(i, &flags)) ||
            (flags & kDefaultSource) != kDefaultSource ||
            FAILED(classInfo->GetRefTypeOfImplType(i, &ref)) ||
            FAILED(classInfo->GetRefTypeInfo(ref, events.Receive())) || !events)
            continue;
        TYPEATTR* attr = nullptr;
        if (FAILED(events->GetTypeAttr(&attr)) || !attr)
            return;
        m_eventIid = attr->guid;
        const UINT functions = attr->cFuncs;
        events->ReleaseTypeAttr(attr);
        for (UINT f = 0; f < functions; ++f) {
            FUNCDESC* desc = nullptr;
            if (FAILED(events->GetFuncDesc(f, &desc)) || !desc)
                continue;
            CEventEntry entry{desc->memid, static_cast<uint16_t>(desc->cParams), {}};
            events->ReleaseFuncDesc(desc);
            // The event's name, then its parameters' names.
            std::vector<BSTR> names(entry.paramCount + 1u, nullptr);
            UINT count = 0;
            if (SUCCEEDED(events->GetNames(entry.id, names.data(), static_cast<UINT>(names.size()),
                                           &count))) {
                for (UINT n = 0; n < count && n < names.size(); ++n)
                    entry.names.push_back(CBstr::Adopt(names[n]).Str());
            }
            m_events.push_back(std::move(entry));
        }
        return;
    }
}

void CControlItem::ReadMemberTable() {
    auto dispatch = m_object.As<IDispatch>(IID_IDispatch);
    UINT count = 0;
    ComPtr<ITypeInfo> info;
    if (!dispatch || FAILED(dispatch->GetTypeInfoCount(&count)) || count != 1 ||
        FAILED(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Receive())) || !info)
        return;
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr)) || !attr)
        return;
    const UINT variables = attr->cVars;
    const UINT functions = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    auto firstName = [&info](MEMBERID id) {
        BSTR name = nullptr;
        UINT got = 0;
        if (FAILED(info->GetNames(id, &name, 1, &got)) || got == 0)
            return std::string();
        return CBstr::Adopt(name).Str();
    };
    for (UINT i = 0; i < variables; ++i) {
        VARDESC* desc = nullptr;
        if (FAILED(info->GetVarDesc(i, &desc)) || !desc)
            continue;
        MEMBERID id = desc->memid;
        bool dispatchKind = desc->varkind == VAR_DISPATCH;
        info->ReleaseVarDesc(desc);
        if (std::string name = firstName(id); dispatchKind && !name.empty())
            m_properties.push_back({id, std::move(name)});
    }
    for (UINT i = 0; i < functions; ++i) {
        FUNCDESC* desc = nullptr;
        if (FAILED(info->GetFuncDesc(i, &desc)) || !desc)
            continue;
        MEMBERID id = desc->memid;
        bool dispatchKind = desc->funckind == FUNC_DISPATCH;
        info->ReleaseFuncDesc(desc);
        if (std::string name = firstName(id); dispatchKind && !name.empty())
            m_methods.push_back({id, std::move(name)});
    }
}

void CControlItem::AdviseSinks() {
    auto container = m_object.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
    if (container && m_eventIid != GUID_NULL &&
        SUCCEEDED(container->FindConnectionPoint(m_eventIid, m_eventPoint.Receive())) &&
        m_eventPoint &&
        FAILED(m_eventPoint->Advise(static_cast<IDispatch*>(m_eventSink.Get()), &m_eventCookie)))
        m_eventPoint.Reset();
    if (container &&
        SUCCEEDED(
            container->FindConnectionPoint(IID_IPropertyNotifySink, m_notifyPoint.Receive())) &&
        m_notifyPoint &&
        FAILED(m_notifyPoint->Advise(static_cast<IPropertyNotifySink*>(m_site.Get()),
                                     &m_notifyCookie)))
        m_notifyPoint.Reset();
    if (FAILED(m_object->Advise(static_cast<IAdviseSink*>(m_site.Get()), &m_adviseConnection)))
        m_adviseConnection = 0;
}

void CControlItem::ApplyExtent() {
    SetExtent(m_rect.Width(), m_rect.Height());
    std::optional<SIZEL> extent = ReadExtent();
    if (!extent)
        return;
    int32_t width = PixelsFromHimetric(extent->cx);
    int32_t height = PixelsFromHimetric(extent->cy);
    if (width != m_rect.Width() || height != m_rect.Height())
        m_rect = {m_rect.left, m_rect.top, m_rect.left + width, m_rect.top + height};
}

void CControlItem::SetExtent(int32_t width, int32_t height) {
    if (!m_object)
        return;
    SIZEL size{HimetricFromPixels(width), HimetricFromPixels(height)};
    (void)m_object->SetExtent(DVASPECT_CONTENT, &size);
}

std::optional<SIZEL> CControlItem::ReadExtent() const {
    SIZEL size{0, 0};
    if (!m_object || FAILED(m_object->GetExtent(DVASPECT_CONTENT, &size)))
        return std::nullopt;
    return size;
}

void CControlItem::Activate() {
    CRect position = GetItemPosition();
    RECT rect = ToRect(position);
    (void)m_object->DoVerb(OLEIVERB_SHOW, static_cast<IOleClientSite*>(m_site.Get()), &rect);
}

CRect CControlItem::GetItemPosition() {
    if (m_rect.IsEmpty())
        SizeFromExtent();
    return m_rect;
}

void CControlItem::SizeFromExtent() {
    std::optional<SIZEL> extent = ReadExtent();
    if (!extent || (extent->cx == m_extentCache.cx && extent->cy == m_extentCache.cy))
        return;
    if (m_extentCache.cx == 0 && m_extentCache.cy == 0) {
        // HIMETRIC to pixels as the site has always done it: at 100 pixels
        // per inch.
        m_rect.right = m_rect.left + extent->cx * 10 / 254;
        m_rect.bottom = m_rect.top + extent->cy * 10 / 254;
    } else if (m_state != ItemState::Active && m_state != ItemState::UIActive) {
        if (m_extentCache.cx)
            m_rect.right = m_rect.left + static_cast<int32_t>(int64_t{m_rect.Width()} * extent->cx /
                                                              m_extentCache.cx);
        if (m_extentCache.cy)
            m_rect.bottom = m_rect.top + static_cast<int32_t>(int64_t{m_rect.Height()} *
                                                              extent->cy / m_extentCache.cy);
    }
    m_extentCache = *extent;
    (void)InvalidateControl(nullptr);
}

DISPID CControlItem::MemberId(const std::string& name) const {
    for (const auto* table : {&m_properties, &m_methods})
        for (const CMember& member : *table)
            if (member.name == name)
                return member.id;
    return DISPID_UNKNOWN;
}

bool CControlItem::Autostart() {
    DISPID id = MemberId("Autostart");
    auto dispatch = m_object.As<IDispatch>(IID_IDispatch);
    if (id == DISPID_UNKNOWN || !dispatch)
        return true;
    CVariant answer;
    // A control that cannot answer counts as one without the property.
    if (FAILED(InvokeHelper(dispatch.Get(), id, DISPATCH_PROPERTYGET, {}, VT_BOOL, &answer)))
        return true;
    return answer.Get()->boolVal != VARIANT_FALSE;
}

void CControlItem::CallMethod(const std::string& name, const std::vector<CVariant>& arguments) {
    DISPID id = MemberId(name);
    if (id == DISPID_UNKNOWN || !m_object)
        return;
    // Held for the call: the control may release the item's references
    // while it runs.
    auto dispatch = m_object.As<IDispatch>(IID_IDispatch);
    if (dispatch)
        (void)InvokeHelper(dispatch.Get(), id, DISPATCH_METHOD, arguments, VT_EMPTY, nullptr);
}

void CControlItem::Stop() {
    CallMethod("Stop");
    m_started = false;
}

void CControlItem::NotifyReadFile(const std::string& address, bool success) {
    CallMethod("OnReadFileNotify",
               {CVariant::String(""), CVariant::String(address), CVariant::Bool(success)});
    std::erase_if(m_reads, [](const std::unique_ptr<CFileReadRequest>& request) {
        return request->GetState() == CFileReadRequest::State::Done;
    });
}

size_t CControlItem::PendingReads() const {
    return m_reads.size();
}

IDispatch* CControlItem::EventSink() const {
    return m_eventSink.Get();
}

ComPtr<IDispatch> CControlItem::Dispatch() const {
    return m_object.As<IDispatch>(IID_IDispatch);
}

HRESULT CControlItem::OnEvent(DISPID id, const DISPPARAMS* params) {
    m_eventId = id;
    m_eventParams.clear();
    const UINT count = params && params->rgvarg ? params->cArgs : 0;
    for (UINT i = 0; i < count; ++i) {
        CVariant copy;
        (void)VariantCopy(copy.Get(), &params->rgvarg[i]);
        m_eventParams.push_back(std::move(copy));
    }
    const CEventEntry* event = nullptr;
    for (const CEventEntry& entry : m_events)
        if (entry.id == id)
            event = &entry;
    if (!event || event->names.empty() || event->names[0] != "ReadFile" || m_eventParams.empty())
        return S_OK;
    // Stored last argument first: entry 0 is the address, entry 1 the file
    // name.
    if (m_eventParams[0].Type() != VT_BSTR) {
        NotifyReadFile("", false);
        return S_OK;
    }
    std::string address = m_eventParams[0].Text();
    std::string fileName = m_eventParams.size() > 1 ? m_eventParams[1].Text() : std::string();
    ReadFile(address, fileName);
    return S_OK;
}

void CControlItem::ReadFile(const std::string& address, const std::string& fileName) {
    (void)fileName; // the local name comes from the address
    std::string resolved = ResolveReadAddress(m_fileAddress, address);
    std::string directory = ControlDirectory();
    if (resolved.empty() || directory.empty())
        return;
    std::error_code ignored;
    std::filesystem::create_directories(directory, ignored);
    std::optional<std::string> local = LocalPathFor(directory, resolved);
    if (!local) {
        // A name that would not stay a file of the control directory is
        // never fetched.
        NotifyReadFile(address, false);
        return;
    }
    const std::string& path = *local;
    if (IsOwnTarget(resolved, path)) {
        // The file is already where the control looks for it.
        NotifyReadFile(address, std::filesystem::is_regular_file(path, ignored));
        return;
    }
    if (AlreadyFetched(path, resolved)) {
        NotifyReadFile(address, true);
        return;
    }
    auto request = std::make_unique<CFileReadRequest>(*this, resolved, address);
    CFileReadRequest* started = request.get();
    m_reads.push_back(std::move(request));
    started->Start(path);
}

HRESULT CControlItem::OnPropertyNotification(DISPID id, bool requestEdit) {
    const char* kind = requestEdit ? "Edit Request" : "Change Notify";
    std::string name;
    for (const auto* table : {&m_properties, &m_methods})
        for (const CMember& member : *table)
            if (member.id == id && name.empty())
                name = member.name;
    char text[512];
    if (!name.empty())
        std::snprintf(text, sizeof text, "%s: %s", kind, name.c_str());
    else
        std::snprintf(text, sizeof text, "%s: Unknown DISPID = %d", kind, static_cast<int>(id));
    ShowNotice(text);
    return S_OK;
}

void CControlItem::ShowNotice(const std::string& text) {
    // In the status bar, not in a message box: a control that changes a
    // property every second would otherwise make the page unusable.
    if (m_window)
        m_window->SetStatusText(text);
    if (CUiBackend* ui = CurrentUi())
        ui->Notice(text);
}

HRESULT CControlItem::GetAmbient(DISPID id, VARIANT* result) const {
    return m_document.Ambients().GetValue(id, result);
}

DISPID CControlItem::AmbientIdOf(const char* name) const {
    return m_document.Ambients().IdOf(name);
}

void CControlItem::OnChange(Change change) {
    // A control without a size of its own may have one now.
    if (change == Change::Content)
        (void)GetItemPosition();
    (void)InvalidateControl(nullptr);
}

HRESULT CControlItem::OnInPlaceActivate() {
    m_state = ItemState::Active;
    return S_OK;
}

HRESULT CControlItem::OnInPlaceDeactivate() {
    m_state = m_object ? ItemState::Loaded : ItemState::Empty;
    m_capture = false;
    return S_OK;
}

CRect CControlItem::DocumentRect() const {
    return m_rect.Offset(m_layoutScroll.x, m_layoutScroll.y);
}

CRect CControlItem::WindowRect() const {
    CRect document = DocumentRect();
    CPoint scroll = m_window ? m_window->ScrollPosition() : CPoint{};
    return document.Offset(-scroll.x, -scroll.y);
}

HRESULT CControlItem::InvalidateControl(const RECT* rect) {
    if (!m_window)
        return S_OK;
    CRect window = WindowRect();
    CRect part = rect ? CRect{rect->left, rect->top, rect->right, rect->bottom}.Offset(window.left,
                                                                                       window.top)
                      : window;
    m_window->Invalidate(part.Intersect(window));
    return S_OK;
}

HRESULT CControlItem::SetTimer(UINT id, UINT milliseconds) {
    // The timer goes with the item, so its callback never outlives it.
    m_timers[id] = CTimer(milliseconds, [this, id] { (void)SendMessage(WM_TIMER, id, 0); });
    return S_OK;
}

HRESULT CControlItem::KillTimer(UINT id) {
    return m_timers.erase(id) ? S_OK : E_INVALIDARG;
}

HRESULT CControlItem::SetCapture(bool capture) {
    m_capture = capture;
    return S_OK;
}

HRESULT CControlItem::RequestFocus(bool focus) {
    SetFocus(focus);
    return S_OK;
}

void CControlItem::SetFocus(bool focus) {
    if (m_state != ItemState::Active && m_state != ItemState::UIActive)
        return;
    ItemState wanted = focus ? ItemState::UIActive : ItemState::Active;
    if (m_state == wanted)
        return;
    m_state = wanted;
    (void)SendMessage(focus ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0);
    if (!focus && m_inPlaceObject)
        (void)m_inPlaceObject->UIDeactivate();
}

bool CControlItem::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_state != ItemState::Active && m_state != ItemState::UIActive)
        return false;
    // Held for the call: the control may release the item's references
    // while it runs.
    ComPtr<IOleInPlaceObject> object = m_inPlaceObject;
    LRESULT result = 0;
    return object && object->OnWindowMessage(message, wParam, lParam, &result) == S_OK;
}

void CControlItem::MoveTo(const CRect& windowRect, CPoint scroll) {
    CRect before = DocumentRect();
    CRect document = windowRect.Offset(scroll.x, scroll.y);
    // A control keeps the size it has taken (its extent): the layout moves
    // it, the control sizes it.
    if (m_created)
        document = {document.left, document.top, document.left + m_rect.Width(),
                    document.top + m_rect.Height()};
    if (document == before)
        return;
    (void)InvalidateControl(nullptr);
    m_rect = document.Offset(-scroll.x, -scroll.y);
    m_layoutScroll = scroll;
    (void)InvalidateControl(nullptr);
    if (m_inPlaceObject && (m_state == ItemState::Active || m_state == ItemState::UIActive)) {
        RECT position = ToRect(m_rect);
        (void)m_inPlaceObject->SetObjectRects(&position);
    }
}

void CControlItem::Draw(CDeviceContext& dc, const CRect& area) {
    CRect document = DocumentRect();
    if (!m_viewObject || document.IsEmpty() || area.Intersect(document).IsEmpty())
        return;
    IDrawContext* context = CreateDrawContext(dc, document, area, m_fonts);
    if (!context)
        return;
    // Held for the call, as above.
    ComPtr<IViewObject> view = m_viewObject;
    RECT bounds{0, 0, document.Width(), document.Height()};
    (void)view->Draw(DVASPECT_CONTENT, context, &bounds);
    EndDrawContext(context);
}

void CControlItem::OnClearPage() {
    // The files still on their way are no longer wanted.
    m_reads.clear();
    CControlInstaller::Instance().Forget(*this);
    CControlInstaller::Instance().ForgetPage(&m_document);
    if (m_state == ItemState::Active || m_state == ItemState::UIActive) {
        Stop();
        CloseControl();
    }
    Release();
}

void CControlItem::CloseControl() {
    m_timers.clear();
    if (m_object)
        (void)m_object->Close(OLECLOSE_NOSAVE);
    m_state = m_object ? ItemState::Loaded : ItemState::Empty;
}

void CControlItem::Release() {
    // The connections first, so that the control lets go of the sinks.
    if (m_eventPoint) {
        (void)m_eventPoint->Unadvise(m_eventCookie);
        m_eventPoint.Reset();
    }
    if (m_notifyPoint) {
        (void)m_notifyPoint->Unadvise(m_notifyCookie);
        m_notifyPoint.Reset();
    }
    m_events.clear();
    if (m_object) {
        if (m_adviseConnection)
            (void)m_object->Unadvise(m_adviseConnection);
        m_adviseConnection = 0;
        if (m_state == ItemState::Active || m_state == ItemState::UIActive)
            CloseControl();
        (void)m_object->SetClientSite(nullptr);
    }
    m_timers.clear();
    m_inPlaceObject.Reset();
    m_viewObject.Reset();
    m_object.Reset();
    m_properties.clear();
    m_methods.clear();
    m_eventParams.clear();
    m_state = ItemState::Empty;
}
