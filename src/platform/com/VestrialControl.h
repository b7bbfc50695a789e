#pragma once

// The one header a control includes.
//
// A control is an ELF shared library (conventionally named NAME.ocx) that the
// browser loads with dlopen when a page embeds it. It links against the
// component run-time library, libvestrial-com.so, and exports three C
// functions:
//
//   VST_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object);
//       An IClassFactory for clsid, whose CreateInstance makes the control.
//   VST_EXPORT HRESULT DllRegisterServer();
//   VST_EXPORT HRESULT DllUnregisterServer();
//       Enter and remove the class in the browser's registry, usually with
//       VstRegisterControl and VstUnregisterControl.
//
// The control object answers, besides IUnknown:
//   IOleObject          site, extent, verbs (OLEIVERB_SHOW activates it in place), Close
//   IPersistStorage     Load reads its saved state from the storage the page's
//                       object property file holds ("Object Property Section")
//   IViewObject         Draw, through an IDrawContext, in its own coordinates
//   IOleInPlaceObject   its place in the page and its input (OnWindowMessage:
//                       mouse, keys, characters, its timers)
//   IDispatch           its properties and methods, with type information
//   IProvideClassInfo   the class's interfaces; the one flagged default and
//                       source is its event interface
//   IConnectionPointContainer  points for the event interface and for
//                       IPropertyNotifySink
//
// The browser's site answers IOleClientSite, IOleInPlaceSite (repainting,
// timers, focus, mouse capture), IDispatch (the ambient properties, the
// DISPID_AMBIENT_ values: colours, the "Font" as an IFontDisp, "UserDirectory"
// and more) and IPropertyNotifySink; it listens to the event interface. The
// event "ReadFile" (last argument the address of a file, before it an
// optional file name) asks the browser to fetch a file; it answers by calling
// the control's method "OnReadFileNotify" (an empty string, the address as
// given, success). The site calls "Start" once the control is in place
// (unless its property "Autostart" is false) and "Stop" when the page is
// left.
//
// Everything runs on the browser's user-interface thread. Strings are 8-bit
// Windows Latin-1 (BSTR is a counted char string). docs/controls.md walks
// through writing, building, describing and serving a control; the sample
// controls under controls/ are complete examples.

#include "platform/com/ComInterfaces.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/ComTypes.h"

// Marks the three entry points (a control is best compiled with
// -fvisibility=hidden, so that nothing else of it is exported).
#define VST_EXPORT extern "C" __attribute__((visibility("default")))

// Writes the control's product version into the library, in an ELF note
// that the browser reads without loading the library: it installs a control
// again when the page's object property file asks for another "Product
// Version". Use it once, at namespace scope: VST_PRODUCT_VERSION("1.0.0.1").
// AddressSanitizer would pad the note with a red zone and align it to 32,
// which leaves no well-formed note.
#if defined(__clang__)
#define VST_NOTE_UNINSTRUMENTED __attribute__((no_sanitize("address")))
#else
#define VST_NOTE_UNINSTRUMENTED
#endif
#define VST_PRODUCT_VERSION(text)                                                                  \
    __attribute__((section(".note.vestrial.version"), used, aligned(4)))                           \
    VST_NOTE_UNINSTRUMENTED static const struct {                                                  \
        unsigned int nameSize, descSize, type;                                                     \
        char name[12];                                                                             \
        char desc[(sizeof(text) + 3) / 4 * 4];                                                     \
    } vst_product_version_note = {9, sizeof(text), 1, "Vestrial", text}
