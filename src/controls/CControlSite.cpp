#include "controls/CControlSite.h"

#include "controls/CControlItem.h"

namespace {

template <class T> HRESULT Give(void** object, T* pointer) {
    *object = pointer;
    pointer->AddRef();
    return S_OK;
}

} // namespace

HRESULT CControlSite::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
        return Give(object, static_cast<IOleClientSite*>(this));
    if (riid == IID_IOleInPlaceSite)
        return Give(object, static_cast<IOleInPlaceSite*>(this));
    if (riid == IID_IDispatch)
        return Give(object, static_cast<IDispatch*>(this));
    if (riid == IID_IPropertyNotifySink)
        return Give(object, static_cast<IPropertyNotifySink*>(this));
    if (riid == IID_IAdviseSink)
        return Give(object, static_cast<IAdviseSink*>(this));
    // The control's event interface is answered by the item's event sink.
    if (m_item && m_item->EventIid() != GUID_NULL && riid == m_item->EventIid())
        return Give(object, m_item->EventSink());
    return E_NOINTERFACE;
}

ULONG CControlSite::AddRef() {
    return ++m_references;
}

ULONG CControlSite::Release() {
    ULONG left = --m_references;
    // The reference-counting core owns the object: it goes with its last
    // reference.
    if (left == 0)
        delete this;
    return left;
}

HRESULT CControlSite::OnInPlaceActivate() {
    return m_item ? m_item->OnInPlaceActivate() : E_UNEXPECTED;
}

HRESULT CControlSite::OnInPlaceDeactivate() {
    return m_item ? m_item->OnInPlaceDeactivate() : E_UNEXPECTED;
}

HRESULT CControlSite::InvalidateRect(const RECT* rect) {
    return m_item ? m_item->InvalidateControl(rect) : E_UNEXPECTED;
}

HRESULT CControlSite::SetTimer(UINT id, UINT milliseconds) {
    return m_item ? m_item->SetTimer(id, milliseconds) : E_UNEXPECTED;
}

HRESULT CControlSite::KillTimer(UINT id) {
    return m_item ? m_item->KillTimer(id) : E_UNEXPECTED;
}

HRESULT CControlSite::SetCapture(BOOL capture) {
    return m_item ? m_item->SetCapture(capture != 0) : E_UNEXPECTED;
}

HRESULT CControlSite::SetFocus(BOOL focus) {
    return m_item ? m_item->RequestFocus(focus != 0) : E_UNEXPECTED;
}

HRESULT CControlSite::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CControlSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT CControlSite::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids)
        return E_POINTER;
    bool all = true;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = m_item && names[i] ? m_item->AmbientIdOf(names[i]) : DISPID_UNKNOWN;
        all = all && ids[i] != DISPID_UNKNOWN;
    }
    return all ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT CControlSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                             EXCEPINFO*, UINT*) {
    if (!m_item || !(flags & DISPATCH_PROPERTYGET))
        return DISP_E_MEMBERNOTFOUND;
    return m_item->GetAmbient(id, result);
}

HRESULT CControlSite::OnChanged(DISPID id) {
    return m_item ? m_item->OnPropertyNotification(id, false) : S_OK;
}

HRESULT CControlSite::OnRequestEdit(DISPID id) {
    return m_item ? m_item->OnPropertyNotification(id, true) : S_OK;
}

void CControlSite::OnViewChange(DWORD, LONG) {
    if (m_item)
        m_item->OnChange(CControlItem::Change::Content);
}

HRESULT CEventSink::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || (m_item && riid == m_item->EventIid()))
        return Give(object, static_cast<IDispatch*>(this));
    return E_NOINTERFACE;
}

ULONG CEventSink::AddRef() {
    return ++m_references;
}

ULONG CEventSink::Release() {
    ULONG left = --m_references;
    // The reference-counting core owns the object: it goes with its last
    // reference.
    if (left == 0)
        delete this;
    return left;
}

HRESULT CEventSink::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT CEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT CEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                           UINT*) {
    return m_item ? m_item->OnEvent(id, params) : S_OK;
}
