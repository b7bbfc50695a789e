#pragma once

// The functions of the component run-time library (libvestrial-com.so), which
// the browser and every control link against: counted strings, variants,
// GUID text, ready-made type information and connection points, and the
// registration of control classes. They are plain C functions that never
// throw; memory one side allocates here the other side may free here.

#include "platform/com/ComInterfaces.h"

#define VST_API extern "C" __attribute__((visibility("default")))

// Counted strings. SysAllocStringLen with a null source gives count zero
// bytes; the result of either is null only when memory ran out.
VST_API BSTR SysAllocString(LPCOLESTR text);
VST_API BSTR SysAllocStringLen(LPCOLESTR text, UINT count);
// A string of length 0 with room for capacity bytes, all zero.
VST_API BSTR VstAllocStringCapacity(UINT capacity);
VST_API void SysFreeString(BSTR text);
VST_API UINT SysStringLen(BSTR text);

// Variants. VariantClear frees what the variant owns (a string, an
// interface reference) and leaves it VT_EMPTY; VariantCopy copies strings
// and adds references. VariantChangeType converts among VT_BOOL, VT_I2,
// VT_I4, VT_UI1 and VT_BSTR (numbers as decimal text, "True"/"False", and
// text back to a number or a boolean); anything else is DISP_E_TYPEMISMATCH.
VST_API void VariantInit(VARIANT* value);
VST_API HRESULT VariantClear(VARIANT* value);
VST_API HRESULT VariantCopy(VARIANT* destination, const VARIANT* source);
VST_API HRESULT VariantChangeType(VARIANT* destination, const VARIANT* source, WORD flags,
                                  VARTYPE type);

// The registry text form of a GUID: 38 characters,
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper-case hexadecimal.
// Returns the characters written including the terminating zero (39), or 0
// when size is too small.
VST_API int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int size);
// Reads that form (hexadecimal digits of either case, braces required).
VST_API HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid);

// Ready-made type information for a dispatch interface: every member is a
// method (a function of kind FUNC_DISPATCH) or a property (a variable of
// kind VAR_DISPATCH). The tables are copied.
enum VSTMEMBERKIND : int32_t { VSTMEMBER_METHOD = 1, VSTMEMBER_PROPERTY = 2 };
struct VSTMEMBER {
    LPCOLESTR name;
    DISPID dispid;
    VSTMEMBERKIND kind;
    VARTYPE type;                // a property's type, or a method's result (VT_EMPTY: none)
    UINT paramCount;             // methods
    const LPCOLESTR* paramNames; // paramCount names, or null
};
struct VSTINTERFACE {
    IID iid;
    const VSTMEMBER* members;
    UINT memberCount;
};
VST_API HRESULT VstCreateDispatchTypeInfo(const VSTINTERFACE* description, ITypeInfo** info);

// Type information for a class (TKIND_COCLASS) implementing the given
// interfaces, each with its IMPLTYPEFLAG_ flags; the class keeps a
// reference to each interface's information.
struct VSTIMPLTYPE {
    ITypeInfo* info;
    INT flags;
};
VST_API HRESULT VstCreateClassTypeInfo(REFCLSID clsid, const VSTIMPLTYPE* implemented, UINT count,
                                       ITypeInfo** info);

// A ready-made connection point for one interface of an object. The point
// does not hold a reference to its container (the object owns its points).
VST_API HRESULT VstCreateConnectionPoint(IConnectionPointContainer* container, REFIID iid,
                                         IConnectionPoint** point);
// Calls Invoke(id, ..., DISPATCH_METHOD, params) on every sink connected to
// a point made above for an event (dispatch) interface.
VST_API HRESULT VstFireEvent(IConnectionPoint* point, DISPID id, DISPPARAMS* params);
// Calls OnChanged(id) on every sink of an IPropertyNotifySink point.
VST_API HRESULT VstFireOnChanged(IConnectionPoint* point, DISPID id);
// Asks every sink of an IPropertyNotifySink point: S_OK when all of them
// allow the change, S_FALSE when one refuses.
VST_API HRESULT VstFireOnRequestEdit(IConnectionPoint* point, DISPID id);
// The number of sinks connected to a point made above.
VST_API UINT VstConnectionCount(IConnectionPoint* point);

// Registration of control classes under the classes root:
//   CLSID\{clsid}                  (default) name
//   CLSID\{clsid}\Control
//   CLSID\{clsid}\InprocServer32   (default) the library's path
//   CLSID\{clsid}\ProgID           (default) progId
//   CLSID\{clsid}\TypeLib          (default) typeLib, when not null
//   progId\CLSID                   (default) {clsid}
// A control's DllRegisterServer calls VstRegisterControl with the address of
// anything in its own library, which names the library.
struct VSTCONTROLCLASS {
    CLSID clsid;
    LPCOLESTR name;
    LPCOLESTR progId;
    LPCOLESTR typeLib; // may be null
};
VST_API HRESULT VstRegisterControl(const VSTCONTROLCLASS* control, const void* addressInLibrary);
VST_API HRESULT VstUnregisterControl(const VSTCONTROLCLASS* control);
// Keys and values under the classes root; "\\" separates key names.
VST_API HRESULT VstRegSetValue(LPCOLESTR key, LPCOLESTR name, LPCOLESTR value);
VST_API HRESULT VstRegDeleteKey(LPCOLESTR key);
// The path of the library that holds address; returns its length, or 0
// when the buffer is too small or no library holds it.
VST_API int VstModuleFileName(const void* address, char* buffer, int size);

// The registry the functions above write to, set by the browser (or a
// registration tool) at start-up; without one they fail with E_UNEXPECTED.
// deleteKey answers S_FALSE for a key that does not exist.
struct VSTREGISTRYHOST {
    HRESULT (*setValue)(void* context, LPCOLESTR key, LPCOLESTR name, LPCOLESTR value);
    HRESULT (*deleteKey)(void* context, LPCOLESTR key);
    void* context;
};
VST_API void VstSetRegistryHost(const VSTREGISTRYHOST* host);

// The entry points an in-process server exports.
using PFN_DLLGETCLASSOBJECT = HRESULT (*)(REFCLSID clsid, REFIID riid, void** object);
using PFN_DLLREGISTERSERVER = HRESULT (*)();
