#pragma once

// The plumbing the sample controls share: every interface the browser asks
// of a control, with the control's own behaviour left to a few virtual
// functions. A control author may start from a copy of it.

#include "platform/com/VestrialControl.h"

#include <atomic>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

// What describes one control class.
struct CControlClass {
    VSTCONTROLCLASS registration; // class id, name, ProgID for the registry
    IID dispatchIid;              // its properties and methods
    IID eventIid;                 // its events
    const VSTMEMBER* members;
    UINT memberCount;
    const VSTMEMBER* events;
    UINT eventCount;
    SIZEL naturalSize; // pixels, when the page gives none
};

class CControlBase : public IOleObject,
                     public IOleInPlaceObject,
                     public IViewObject,
                     public IPersistStorage,
                     public IProvideClassInfo,
                     public IConnectionPointContainer,
                     public IDispatch {
public:
    explicit CControlBase(const CControlClass& description);
    // Makes the type information and the connection points.
    [[nodiscard]] HRESULT Initialise();

    // IUnknown
    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // IOleObject
    HRESULT SetClientSite(IOleClientSite* site) override;
    HRESULT GetClientSite(IOleClientSite** site) override;
    HRESULT Advise(IAdviseSink* sink, DWORD* connection) override;
    HRESULT Unadvise(DWORD connection) override;
    HRESULT Close(DWORD saveOption) override;
    HRESULT DoVerb(LONG verb, IOleClientSite* site, const RECT* position) override;
    HRESULT GetUserClassID(CLSID* clsid) override;
    HRESULT SetExtent(DWORD aspect, const SIZEL* size) override;
    HRESULT GetExtent(DWORD aspect, SIZEL* size) override;

    // IOleInPlaceObject
    HRESULT InPlaceDeactivate() override;
    HRESULT UIDeactivate() override;
    HRESULT SetObjectRects(const RECT* position) override;
    HRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    // IViewObject
    HRESULT Draw(DWORD aspect, IDrawContext* dc, const RECT* bounds) override;

    // IPersistStorage
    HRESULT GetClassID(CLSID* clsid) override;
    HRESULT InitNew(IStorage* storage) override;
    HRESULT Load(IStorage* storage) override;

    // IProvideClassInfo
    HRESULT GetClassInfo(ITypeInfo** info) override;

    // IConnectionPointContainer
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    // IDispatch
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                          DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) override;

protected:
    virtual ~CControlBase();

    // The control's own behaviour.
    virtual void OnLoad(IStorage* storage) = 0;
    virtual void OnDraw(IDrawContext& dc, const RECT& bounds) = 0;
    virtual HRESULT OnInvoke(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result) = 0;
    // Input and timers; true when used.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual void OnClose() {}

    // Asks the site to draw the control again.
    void Invalidate();
    void SetTimer(UINT id, UINT milliseconds);
    void KillTimer(UINT id);
    void TakeFocus();
    // Arguments in declared order.
    void FireEvent(DISPID id, std::vector<CVariant> arguments);
    void NotifyChanged(DISPID id);
    // An ambient property of the site, or an empty variant.
    [[nodiscard]] CVariant Ambient(DISPID id) const;
    // Selects the site's "Font" into dc (a sans-serif face when there is
    // none) and answers its name and size in points.
    void SelectAmbientFont(IDrawContext& dc, std::string* name = nullptr,
                           double* points = nullptr) const;
    [[nodiscard]] bool IsActive() const { return m_active; }
    [[nodiscard]] int32_t Width() const;
    [[nodiscard]] int32_t Height() const;

    // Appends a line to the file the saved property "LogFile" names, if any:
    // what tests read to see what the browser called.
    void Log(const std::string& line) const;

    // A stream of the saved state as text (at most limit bytes), or nothing.
    [[nodiscard]] static bool ReadStream(IStorage* storage, const char* name, std::string& text,
                                         size_t limit = 4096);
    // A colour as the saved state holds it: "#RRGGBB" or a decimal COLORREF.
    [[nodiscard]] static bool ParseColor(const std::string& text, COLORREF& color);
    // The argument at declared position index of an Invoke, as text.
    [[nodiscard]] static bool ArgumentText(const DISPPARAMS& params, UINT index, std::string& text);
    [[nodiscard]] static HRESULT ReturnText(VARIANT* result, const std::string& text);

private:
    void Deactivate();

    std::atomic<ULONG> m_references{1};
    const CControlClass& m_class;
    ComPtr<ITypeInfo> m_dispatchInfo;
    ComPtr<ITypeInfo> m_eventInfo;
    ComPtr<ITypeInfo> m_classInfo;
    ComPtr<IConnectionPoint> m_eventPoint;
    ComPtr<IConnectionPoint> m_notifyPoint;
    ComPtr<IOleClientSite> m_site;
    ComPtr<IOleInPlaceSite> m_inPlaceSite;
    ComPtr<IAdviseSink> m_adviseSink;
    SIZEL m_extent; // HIMETRIC
    RECT m_position{0, 0, 0, 0};
    bool m_active = false;
    std::string m_logFile;
};

// Makes a control of type T for the class factory.
template <class T> HRESULT CreateControlObject(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    // Reference counted: the last Release deletes it.
    auto* control = new (std::nothrow) T();
    if (!control)
        return E_OUTOFMEMORY;
    HRESULT hr = control->Initialise();
    if (SUCCEEDED(hr))
        hr = control->QueryInterface(iid, object);
    control->Release();
    return hr;
}

// The class factory of one control class; it lives as long as the library.
class CControlFactory final : public IClassFactory {
public:
    using Create = HRESULT (*)(REFIID iid, void** object);
    explicit CControlFactory(Create create) : m_create(create) {}
    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT LockServer(BOOL) override { return S_OK; }

private:
    Create m_create;
};

// The body of DllGetClassObject for a library of one class.
HRESULT GetClassObjectFor(const CControlClass& description, CControlFactory& factory,
                          REFCLSID clsid, REFIID iid, void** object);
