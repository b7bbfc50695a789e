#pragma once

// The component interfaces the browser and its controls talk through.
//
// Each interface is a C++ class of pure virtual functions and nothing else:
// no data, no virtual destructor, single inheritance from IUnknown. On Linux
// (the Itanium C++ ABI, which GCC and Clang share) such an object is a C
// structure whose first word points to a table of function pointers in
// declaration order, inherited functions first, so a control built with any
// of those compilers, at any time, calls the browser correctly and is called
// correctly. Every parameter is one of the plain types of ComTypes.h.
//
// The names and identifiers are the familiar ones of the component model
// the browser's controls were first written for; the method lists are this
// browser's own, the subset it needs plus what stands in for windows
// (in-place objects draw through IDrawContext and get their input and
// timers through IOleInPlaceSite and IOleInPlaceObject).
//
// Reference counting: a function that hands out an interface pointer has
// already added a reference for the caller, who releases it.

#include "platform/com/ComTypes.h"

#define VST_DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8)                           \
    inline constexpr GUID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}

VST_DEFINE_GUID(IID_IUnknown, 0x00000000, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
VST_DEFINE_GUID(IID_IClassFactory, 0x00000001, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
VST_DEFINE_GUID(IID_IDispatch, 0x00020400, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
VST_DEFINE_GUID(IID_ITypeInfo, 0x00020401, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
VST_DEFINE_GUID(IID_IProvideClassInfo, 0xB196B283, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00,
                0x34, 0x1D, 0x07);
VST_DEFINE_GUID(IID_IConnectionPointContainer, 0xB196B284, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA,
                0x00, 0x34, 0x1D, 0x07);
VST_DEFINE_GUID(IID_IConnectionPoint, 0xB196B286, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00,
                0x34, 0x1D, 0x07);
VST_DEFINE_GUID(IID_IPropertyNotifySink, 0x9BFBBC02, 0xEFF1, 0x101A, 0x84, 0xED, 0x00, 0xAA, 0x00,
                0x34, 0x1D, 0x07);
VST_DEFINE_GUID(IID_IOleObject, 0x00000112, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
VST_DEFINE_GUID(IID_IOleClientSite, 0x00000118, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
VST_DEFINE_GUID(IID_IOleInPlaceSite, 0x00000119, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
VST_DEFINE_GUID(IID_IOleInPlaceObject, 0x00000113, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
VST_DEFINE_GUID(IID_IViewObject, 0x0000010D, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
VST_DEFINE_GUID(IID_IAdviseSink, 0x0000010F, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
VST_DEFINE_GUID(IID_IPersistStorage, 0x0000010A, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
VST_DEFINE_GUID(IID_IStorage, 0x0000000B, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
VST_DEFINE_GUID(IID_IStream, 0x0000000C, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
VST_DEFINE_GUID(IID_ILockBytes, 0x0000000A, 0x0000, 0x0000, 0xC0, 0, 0, 0, 0, 0, 0, 0x46);
VST_DEFINE_GUID(IID_IFont, 0xBEF6E002, 0xA874, 0x101A, 0x8B, 0xBA, 0x00, 0xAA, 0x00, 0x30, 0x0C,
                0xAB);
VST_DEFINE_GUID(IID_IFontDisp, 0xBEF6E003, 0xA874, 0x101A, 0x8B, 0xBA, 0x00, 0xAA, 0x00, 0x30, 0x0C,
                0xAB);
VST_DEFINE_GUID(IID_IDrawContext, 0xD8A9B91B, 0x64ED, 0x4EA3, 0xB6, 0xD8, 0x2F, 0x58, 0x83, 0x69,
                0xCF, 0x97);

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

struct ITypeInfo;

struct IClassFactory : IUnknown {
    // outer must be null: objects are not aggregated.
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;
};

struct IDispatch : IUnknown {
    virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
    virtual HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) = 0;
    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                  DISPID* ids) = 0;
    // Arguments arrive last first in params->rgvarg. result, excepInfo and
    // argErr may be null.
    virtual HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) = 0;
};

// The description of a dispatch interface (its functions and variables) or
// of a class (the interfaces it implements, with their flags). The
// descriptions handed out stay valid until released with the matching
// Release function.
struct ITypeInfo : IUnknown {
    virtual HRESULT GetTypeAttr(TYPEATTR** attr) = 0;
    virtual HRESULT GetFuncDesc(UINT index, FUNCDESC** desc) = 0;
    virtual HRESULT GetVarDesc(UINT index, VARDESC** desc) = 0;
    // The member's name first, then its parameters' names; each name is a
    // new string the caller frees.
    virtual HRESULT GetNames(MEMBERID id, BSTR* names, UINT maxNames, UINT* count) = 0;
    virtual HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* ref) = 0;
    virtual HRESULT GetImplTypeFlags(UINT index, INT* flags) = 0;
    virtual HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) = 0;
    virtual HRESULT GetRefTypeInfo(HREFTYPE ref, ITypeInfo** info) = 0;
    virtual void ReleaseTypeAttr(TYPEATTR* attr) = 0;
    virtual void ReleaseFuncDesc(FUNCDESC* desc) = 0;
    virtual void ReleaseVarDesc(VARDESC* desc) = 0;
};

struct IProvideClassInfo : IUnknown {
    // The description of the object's class (TKIND_COCLASS).
    virtual HRESULT GetClassInfo(ITypeInfo** info) = 0;
};

struct IConnectionPoint;

struct IConnectionPointContainer : IUnknown {
    virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) = 0;
};

struct IConnectionPoint : IUnknown {
    virtual HRESULT GetConnectionInterface(IID* iid) = 0;
    virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
    // The point asks sink for its interface; the cookie names the connection.
    virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
    virtual HRESULT Unadvise(DWORD cookie) = 0;
};

struct IPropertyNotifySink : IUnknown {
    virtual HRESULT OnChanged(DISPID id) = 0;
    // S_OK lets the object change the property; S_FALSE refuses.
    virtual HRESULT OnRequestEdit(DISPID id) = 0;
};

struct IAdviseSink : IUnknown {
    // The object's picture or extent changed.
    virtual void OnViewChange(DWORD aspect, LONG index) = 0;
    virtual void OnClose() = 0;
};

struct IOleClientSite : IUnknown {
    virtual HRESULT SaveObject() = 0;
    virtual HRESULT ShowObject() = 0;
    virtual HRESULT OnShowWindow(BOOL show) = 0;
    virtual HRESULT RequestNewObjectLayout() = 0;
};

struct IOleObject : IUnknown {
    virtual HRESULT SetClientSite(IOleClientSite* site) = 0;
    virtual HRESULT GetClientSite(IOleClientSite** site) = 0;
    virtual HRESULT Advise(IAdviseSink* sink, DWORD* connection) = 0;
    virtual HRESULT Unadvise(DWORD connection) = 0;
    virtual HRESULT Close(DWORD saveOption) = 0;
    // position: where the object sits in its container's window.
    virtual HRESULT DoVerb(LONG verb, IOleClientSite* site, const RECT* position) = 0;
    virtual HRESULT GetUserClassID(CLSID* clsid) = 0;
    // Sizes in HIMETRIC units (hundredths of a millimetre).
    virtual HRESULT SetExtent(DWORD aspect, const SIZEL* size) = 0;
    virtual HRESULT GetExtent(DWORD aspect, SIZEL* size) = 0;
};

// What an object activated in place asks of its container's window: the
// object has no window of its own, only its rectangle in the container's.
// Rectangles are in the object's own coordinates (top-left 0, 0).
struct IOleInPlaceSite : IUnknown {
    virtual HRESULT CanInPlaceActivate() = 0;
    virtual HRESULT OnInPlaceActivate() = 0;
    virtual HRESULT OnInPlaceDeactivate() = 0;
    // rect null: the whole object. The object is drawn again soon after.
    virtual HRESULT InvalidateRect(const RECT* rect) = 0;
    // A timer sends WM_TIMER with wParam = id every milliseconds until
    // killed; setting an id again restarts it.
    virtual HRESULT SetTimer(UINT id, UINT milliseconds) = 0;
    virtual HRESULT KillTimer(UINT id) = 0;
    // Mouse input outside the object goes on coming to it while captured.
    virtual HRESULT SetCapture(BOOL capture) = 0;
    // Keyboard input comes to the object while it has the focus.
    virtual HRESULT SetFocus(BOOL focus) = 0;
};

struct IOleInPlaceObject : IUnknown {
    virtual HRESULT InPlaceDeactivate() = 0;
    virtual HRESULT UIDeactivate() = 0;
    // The object's new place in the container's window.
    virtual HRESULT SetObjectRects(const RECT* position) = 0;
    // Input and timers (the WM_ values of ComTypes.h). S_OK when the object
    // used the message, S_FALSE when the container should.
    virtual HRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                    LRESULT* result) = 0;
};

// Drawing for objects, in the object's own coordinates: (0, 0) is its
// top-left corner, and nothing outside its rectangle is touched. Colours are
// COLORREFs; the surface has 256 colours, so each is drawn as the nearest
// one it has.
struct IDrawContext : IUnknown {
    virtual HRESULT FillRect(const RECT* rect, COLORREF color) = 0;
    virtual HRESULT FrameRect(const RECT* rect, COLORREF color, LONG width) = 0;
    // From (x0, y0) up to, not including, (x1, y1).
    virtual HRESULT DrawLine(LONG x0, LONG y0, LONG x1, LONG y1, COLORREF color, LONG width) = 0;
    // height: a positive value is the character cell in pixels, a negative
    // one the em size. Unknown faces fall back to a similar one.
    virtual HRESULT SelectFont(LPCOLESTR face, LONG height, LONG weight, BOOL italic,
                               BOOL underline) = 0;
    virtual HRESULT SetTextColor(COLORREF color) = 0;
    // The cell's top-left corner at (x, y), no background.
    virtual HRESULT TextOut(LONG x, LONG y, LPCOLESTR text, UINT length) = 0;
    virtual HRESULT GetTextExtent(LPCOLESTR text, UINT length, SIZEL* size) = 0;
    virtual HRESULT GetPixelsPerInch(LONG* pixels) = 0;
};

struct IViewObject : IUnknown {
    // bounds: the object's rectangle in dc's coordinates.
    virtual HRESULT Draw(DWORD aspect, IDrawContext* dc, const RECT* bounds) = 0;
};

struct IStream : IUnknown {
    virtual HRESULT Read(void* buffer, ULONG count, ULONG* read) = 0;
    virtual HRESULT Seek(int64_t move, DWORD origin, uint64_t* newPosition) = 0;
    virtual HRESULT Stat(STATSTG* stat) = 0;
};

// A storage of a compound file: named streams and storages, and a class id.
// Names are compared as the file format compares them, without regard to
// the case of ASCII letters.
struct IStorage : IUnknown {
    virtual HRESULT OpenStream(LPCOLESTR name, DWORD mode, IStream** stream) = 0;
    virtual HRESULT OpenStorage(LPCOLESTR name, DWORD mode, IStorage** storage) = 0;
    virtual HRESULT Commit(DWORD flags) = 0;
    virtual HRESULT Stat(STATSTG* stat) = 0;
};

// The bytes a storage lives in.
struct ILockBytes : IUnknown {
    virtual HRESULT ReadAt(uint64_t offset, void* buffer, ULONG count, ULONG* read) = 0;
    virtual HRESULT Stat(STATSTG* stat) = 0;
};

struct IPersistStorage : IUnknown {
    virtual HRESULT GetClassID(CLSID* clsid) = 0;
    virtual HRESULT InitNew(IStorage* storage) = 0;
    // The object reads its saved state; it keeps no reference to storage.
    virtual HRESULT Load(IStorage* storage) = 0;
};

// A font as a container offers it to its objects ("Font" ambient property).
// Its dispatch interface (IID_IFontDisp) answers the DISPID_FONT_ values.
struct IFont : IUnknown {
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT get_Size(CY* points) = 0;
    virtual HRESULT get_Bold(BOOL* bold) = 0;
    virtual HRESULT get_Italic(BOOL* italic) = 0;
    virtual HRESULT get_Underline(BOOL* underline) = 0;
    virtual HRESULT get_Strikethrough(BOOL* strikethrough) = 0;
    virtual HRESULT get_Weight(SHORT* weight) = 0;
    virtual HRESULT get_Charset(SHORT* charset) = 0;
};
