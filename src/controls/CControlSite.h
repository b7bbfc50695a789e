#pragma once

#include "platform/com/ComInterfaces.h"

#include <atomic>

class CControlItem;

// What a control reaches its item through: the client site, the in-place
// site (repainting, timers, focus, capture), the ambient properties (its
// IDispatch), property notifications and view changes. The control may hold
// it longer than the item lives: once the item has gone, every call fails.
class CControlSite final : public IOleClientSite,
                           public IOleInPlaceSite,
                           public IDispatch,
                           public IPropertyNotifySink,
                           public IAdviseSink {
public:
    explicit CControlSite(CControlItem& item) : m_item(&item) {}
    // The item goes.
    void Detach() { m_item = nullptr; }

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // IOleClientSite
    HRESULT SaveObject() override { return S_OK; }
    HRESULT ShowObject() override { return S_OK; }
    HRESULT OnShowWindow(BOOL) override { return S_OK; }
    HRESULT RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleInPlaceSite
    HRESULT CanInPlaceActivate() override { return m_item ? S_OK : S_FALSE; }
    HRESULT OnInPlaceActivate() override;
    HRESULT OnInPlaceDeactivate() override;
    HRESULT InvalidateRect(const RECT* rect) override;
    HRESULT SetTimer(UINT id, UINT milliseconds) override;
    HRESULT KillTimer(UINT id) override;
    HRESULT SetCapture(BOOL capture) override;
    HRESULT SetFocus(BOOL focus) override;

    // IDispatch: the ambient properties.
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                          DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) override;

    // IPropertyNotifySink
    HRESULT OnChanged(DISPID id) override;
    HRESULT OnRequestEdit(DISPID id) override;

    // IAdviseSink
    void OnViewChange(DWORD aspect, LONG index) override;
    void OnClose() override {}

private:
    ~CControlSite() = default;

    std::atomic<ULONG> m_references{1};
    CControlItem* m_item; // null once the item has gone
};

// The sink of the control's event interface: every event goes to the item.
class CEventSink final : public IDispatch {
public:
    explicit CEventSink(CControlItem& item) : m_item(&item) {}
    void Detach() { m_item = nullptr; }

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                          DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) override;

private:
    ~CEventSink() = default;

    std::atomic<ULONG> m_references{1};
    CControlItem* m_item; // null once the item has gone
};
