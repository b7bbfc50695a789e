#include "CControlBase.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

// HIMETRIC units (hundredths of a millimetre) at 96 pixels per inch,
// rounded, so that a size survives the way there and back.
int32_t HimetricFromPixels(int32_t pixels) {
    return static_cast<int32_t>((int64_t{pixels} * 2540 + 48) / 96);
}
int32_t PixelsFromHimetric(int32_t himetric) {
    return static_cast<int32_t>((int64_t{himetric} * 96 + 1270) / 2540);
}

template <class T> HRESULT Give(void** object, T* pointer) {
    *object = pointer;
    pointer->AddRef();
    return S_OK;
}

} // namespace

CControlBase::CControlBase(const CControlClass& description)
    : m_class(description), m_extent{HimetricFromPixels(description.naturalSize.cx),
                                     HimetricFromPixels(description.naturalSize.cy)} {}

CControlBase::~CControlBase() = default;

HRESULT CControlBase::Initialise() {
    VSTINTERFACE dispatch{m_class.dispatchIid, m_class.members, m_class.memberCount};
    VSTINTERFACE events{m_class.eventIid, m_class.events, m_class.eventCount};
    HRESULT hr = VstCreateDispatchTypeInfo(&dispatch, m_dispatchInfo.Receive());
    if (SUCCEEDED(hr))
        hr = VstCreateDispatchTypeInfo(&events, m_eventInfo.Receive());
    if (FAILED(hr))
        return hr;
    const VSTIMPLTYPE implemented[] = {
        {m_dispatchInfo.Get(), IMPLTYPEFLAG_FDEFAULT},
        {m_eventInfo.Get(), IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE},
    };
    hr = VstCreateClassTypeInfo(m_class.registration.clsid, implemented, 2, m_classInfo.Receive());
    if (SUCCEEDED(hr))
        hr = VstCreateConnectionPoint(this, m_class.eventIid, m_eventPoint.Receive());
    if (SUCCEEDED(hr))
        hr = VstCreateConnectionPoint(this, IID_IPropertyNotifySink, m_notifyPoint.Receive());
    return hr;
}

HRESULT CControlBase::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleObject)
        return Give(object, static_cast<IOleObject*>(this));
    if (riid == IID_IOleInPlaceObject)
        return Give(object, static_cast<IOleInPlaceObject*>(this));
    if (riid == IID_IViewObject)
        return Give(object, static_cast<IViewObject*>(this));
    if (riid == IID_IPersistStorage)
        return Give(object, static_cast<IPersistStorage*>(this));
    if (riid == IID_IProvideClassInfo)
        return Give(object, static_cast<IProvideClassInfo*>(this));
    if (riid == IID_IConnectionPointContainer)
        return Give(object, static_cast<IConnectionPointContainer*>(this));
    if (riid == IID_IDispatch || riid == m_class.dispatchIid)
        return Give(object, static_cast<IDispatch*>(this));
    return E_NOINTERFACE;
}

ULONG CControlBase::AddRef() {
    return ++m_references;
}

ULONG CControlBase::Release() {
    ULONG left = --m_references;
    // The reference-counting core owns the object: it goes with its last
    // reference.
    if (left == 0)
        delete this;
    return left;
}

HRESULT CControlBase::SetClientSite(IOleClientSite* site) {
    m_site = ComPtr<IOleClientSite>(site);
    return S_OK;
}

HRESULT CControlBase::GetClientSite(IOleClientSite** site) {
    if (!site)
        return E_POINTER;
    *site = ComPtr<IOleClientSite>(m_site).Detach();
    return S_OK;
}

HRESULT CControlBase::Advise(IAdviseSink* sink, DWORD* connection) {
    if (!sink || !connection)
        return E_POINTER;
    m_adviseSink = ComPtr<IAdviseSink>(sink);
    *connection = 1;
    return S_OK;
}

HRESULT CControlBase::Unadvise(DWORD connection) {
    if (connection != 1 || !m_adviseSink)
        return E_INVALIDARG;
    m_adviseSink.Reset();
    return S_OK;
}

HRESULT CControlBase::Close(DWORD) {
    Log("Close");
    OnClose();
    Deactivate();
    if (m_adviseSink) {
        m_adviseSink->OnClose();
        m_adviseSink.Reset();
    }
    // Whatever the site holds of this object goes with the site's references.
    m_site.Reset();
    return S_OK;
}

HRESULT CControlBase::DoVerb(LONG verb, IOleClientSite* site, const RECT* position) {
    if (verb != OLEIVERB_SHOW && verb != OLEIVERB_PRIMARY && verb != OLEIVERB_INPLACEACTIVATE)
        return E_NOTIMPL;
    if (site && site != m_site.Get())
        m_site = ComPtr<IOleClientSite>(site);
    if (!m_site)
        return E_UNEXPECTED;
    if (position)
        m_position = *position;
    if (m_active)
        return S_OK;
    auto inPlace = m_site.As<IOleInPlaceSite>(IID_IOleInPlaceSite);
    if (!inPlace || inPlace->CanInPlaceActivate() != S_OK)
        return E_FAIL;
    m_inPlaceSite = inPlace;
    m_active = true;
    (void)m_inPlaceSite->OnInPlaceActivate();
    Invalidate();
    return S_OK;
}

HRESULT CControlBase::GetUserClassID(CLSID* clsid) {
    if (!clsid)
        return E_POINTER;
    *clsid = m_class.registration.clsid;
    return S_OK;
}

HRESULT CControlBase::SetExtent(DWORD aspect, const SIZEL* size) {
    if (aspect != DVASPECT_CONTENT || !size)
        return E_INVALIDARG;
    // Too small to show anything: keep the size it has.
    if (size->cx <= 0 || size->cy <= 0)
        return S_FALSE;
    m_extent = *size;
    return S_OK;
}

HRESULT CControlBase::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT || !size)
        return E_INVALIDARG;
    *size = m_extent;
    return S_OK;
}

HRESULT CControlBase::InPlaceDeactivate() {
    Deactivate();
    return S_OK;
}

HRESULT CControlBase::UIDeactivate() {
    return S_OK;
}

HRESULT CControlBase::SetObjectRects(const RECT* position) {
    if (!position)
        return E_POINTER;
    m_position = *position;
    return S_OK;
}

HRESULT CControlBase::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (result)
        *result = 0;
    return OnMessage(message, wParam, lParam) ? S_OK : S_FALSE;
}

HRESULT CControlBase::Draw(DWORD aspect, IDrawContext* dc, const RECT* bounds) {
    if (aspect != DVASPECT_CONTENT || !dc || !bounds)
        return E_INVALIDARG;
    OnDraw(*dc, *bounds);
    return S_OK;
}

HRESULT CControlBase::GetClassID(CLSID* clsid) {
    return GetUserClassID(clsid);
}

HRESULT CControlBase::InitNew(IStorage*) {
    return S_OK;
}

HRESULT CControlBase::Load(IStorage* storage) {
    if (!storage)
        return E_POINTER;
    (void)ReadStream(storage, "LogFile", m_logFile);
    Log("Load");
    OnLoad(storage);
    return S_OK;
}

HRESULT CControlBase::GetClassInfo(ITypeInfo** info) {
    if (!info)
        return E_POINTER;
    *info = ComPtr<ITypeInfo>(m_classInfo).Detach();
    return S_OK;
}

HRESULT CControlBase::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (!point)
        return E_POINTER;
    *point = nullptr;
    if (riid == m_class.eventIid)
        *point = ComPtr<IConnectionPoint>(m_eventPoint).Detach();
    else if (riid == IID_IPropertyNotifySink)
        *point = ComPtr<IConnectionPoint>(m_notifyPoint).Detach();
    return *point ? S_OK : CONNECT_E_NOCONNECTION;
}

HRESULT CControlBase::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT CControlBase::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info)
        return E_POINTER;
    *info = nullptr;
    if (index != 0)
        return DISP_E_BADINDEX;
    *info = ComPtr<ITypeInfo>(m_dispatchInfo).Detach();
    return S_OK;
}

HRESULT CControlBase::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    return m_dispatchInfo->GetIDsOfNames(names, count, ids);
}

HRESULT CControlBase::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                             VARIANT* result, EXCEPINFO*, UINT*) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    return OnInvoke(id, flags, params ? *params : none, result);
}

void CControlBase::Deactivate() {
    if (!m_active)
        return;
    m_active = false;
    if (m_inPlaceSite) {
        (void)m_inPlaceSite->OnInPlaceDeactivate();
        m_inPlaceSite.Reset();
    }
}

void CControlBase::Invalidate() {
    if (m_inPlaceSite)
        (void)m_inPlaceSite->InvalidateRect(nullptr);
}

void CControlBase::SetTimer(UINT id, UINT milliseconds) {
    if (m_inPlaceSite)
        (void)m_inPlaceSite->SetTimer(id, milliseconds);
}

void CControlBase::KillTimer(UINT id) {
    if (m_inPlaceSite)
        (void)m_inPlaceSite->KillTimer(id);
}

void CControlBase::TakeFocus() {
    if (m_inPlaceSite)
        (void)m_inPlaceSite->SetFocus(1);
}

void CControlBase::FireEvent(DISPID id, std::vector<CVariant> arguments) {
    // Dispatch arguments travel last first.
    std::vector<VARIANT> reversed;
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it)
        reversed.push_back(*it->Get());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                      static_cast<UINT>(reversed.size()), 0};
    (void)VstFireEvent(m_eventPoint.Get(), id, &params);
}

void CControlBase::NotifyChanged(DISPID id) {
    (void)VstFireOnChanged(m_notifyPoint.Get(), id);
}

CVariant CControlBase::Ambient(DISPID id) const {
    CVariant value;
    auto ambient = m_site.As<IDispatch>(IID_IDispatch);
    if (!ambient)
        return value;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (FAILED(ambient->Invoke(id, GUID_NULL, 0, DISPATCH_PROPERTYGET, &none, value.Get(), nullptr,
                               nullptr)))
        return CVariant();
    return value;
}

void CControlBase::SelectAmbientFont(IDrawContext& dc, std::string* name, double* points) const {
    std::string face = "DejaVu Sans";
    double size = 10;
    LONG weight = 400;
    CVariant font = Ambient(DISPID_AMBIENT_FONT);
    if (font.Type() == VT_DISPATCH && font.Get()->pdispVal) {
        IDispatch* dispatch = font.Get()->pdispVal;
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        CVariant value;
        if (SUCCEEDED(dispatch->Invoke(DISPID_FONT_NAME, GUID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                                       value.Get(), nullptr, nullptr)))
            face = value.Text();
        CVariant cy;
        if (SUCCEEDED(dispatch->Invoke(DISPID_FONT_SIZE, GUID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                                       cy.Get(), nullptr, nullptr)) &&
            cy.Type() == VT_CY)
            size = static_cast<double>(cy.Get()->cyVal.int64) / 10000;
        CVariant bold;
        if (SUCCEEDED(dispatch->Invoke(DISPID_FONT_WEIGHT, GUID_NULL, 0, DISPATCH_PROPERTYGET,
                                       &none, bold.Get(), nullptr, nullptr)) &&
            bold.Type() == VT_I2)
            weight = bold.Get()->iVal;
    }
    LONG ppi = 96;
    (void)dc.GetPixelsPerInch(&ppi);
    (void)dc.SelectFont(face.c_str(), -static_cast<LONG>(size * ppi / 72 + 0.5), weight, 0, 0);
    if (name)
        *name = face;
    if (points)
        *points = size;
}

int32_t CControlBase::Width() const {
    return m_position.right > m_position.left ? m_position.right - m_position.left
                                              : PixelsFromHimetric(m_extent.cx);
}

int32_t CControlBase::Height() const {
    return m_position.bottom > m_position.top ? m_position.bottom - m_position.top
                                              : PixelsFromHimetric(m_extent.cy);
}

void CControlBase::Log(const std::string& line) const {
    if (m_logFile.empty())
        return;
    std::ofstream(m_logFile, std::ios::app) << line << '\n';
}

bool CControlBase::ReadStream(IStorage* storage, const char* name, std::string& text,
                              size_t limit) {
    ComPtr<IStream> stream;
    if (!storage || FAILED(storage->OpenStream(name, STGM_READ, stream.Receive())))
        return false;
    text.clear();
    char buffer[512];
    ULONG read = 0;
    while (text.size() < limit && SUCCEEDED(stream->Read(buffer, sizeof buffer, &read)) && read)
        text.append(buffer, std::min<size_t>(read, limit - text.size()));
    return true;
}

bool CControlBase::ParseColor(const std::string& text, COLORREF& color) {
    char* end = nullptr;
    if (text.size() == 7 && text[0] == '#') {
        unsigned long rgb = std::strtoul(text.c_str() + 1, &end, 16);
        if (*end != '\0')
            return false;
        color = static_cast<COLORREF>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
        return true;
    }
    unsigned long value = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value > 0xFFFFFF)
        return false;
    color = static_cast<COLORREF>(value);
    return true;
}

bool CControlBase::ArgumentText(const DISPPARAMS& params, UINT index, std::string& text) {
    if (index >= params.cArgs)
        return false;
    CVariant converted;
    if (FAILED(VariantChangeType(converted.Get(), &params.rgvarg[params.cArgs - 1 - index], 0,
                                 VT_BSTR)))
        return false;
    text = converted.Text();
    return true;
}

HRESULT CControlBase::ReturnText(VARIANT* result, const std::string& text) {
    if (!result)
        return S_OK;
    VariantClear(result);
    result->vt = VT_BSTR;
    result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return result->bstrVal ? S_OK : E_OUTOFMEMORY;
}

HRESULT CControlFactory::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT CControlFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    return m_create(iid, object);
}

HRESULT GetClassObjectFor(const CControlClass& description, CControlFactory& factory,
                          REFCLSID clsid, REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (clsid != description.registration.clsid)
        return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, object);
}
