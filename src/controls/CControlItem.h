#pragma once

#include "controls/CControlDescription.h"
#include "controls/CDrawContext.h"
#include "controls/ControlClassLookup.h"
#include "document/CDocumentItem.h"
#include "platform/CTimer.h"
#include "platform/com/ComPtr.h"
#include "platform/gdi/GdiTypes.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CControlSite;
class CDeviceContext;
class CEventSink;
class CFileReadRequest;
class CObjectPropertyFile;
class CTarnwickDoc;
class CViewWindow;

// The site of one embedded control: it finds the control's class, creates
// the control from the saved state of the page's object property file,
// places and activates it in the page, answers its ambient properties, its
// events and its property notifications, calls its methods, draws it and
// hands it the input meant for it. The view makes items; the document holds
// them until it leaves the page. UI thread only.
class CControlItem : public CDocumentItem {
public:
    // The framework's states of an embedded item.
    enum class ItemState { Empty, Loaded, Open, Active, UIActive };
    enum class Change { Content, State, Aspect };

    CControlItem(CTarnwickDoc& document, const CRect& windowRect, CPoint scroll);
    ~CControlItem() override;
    CControlItem(const CControlItem&) = delete;
    CControlItem& operator=(const CControlItem&) = delete;

    // Takes the file's description, address and bytes.
    void AttachPropertyFile(CObjectPropertyFile& file);
    void SetView(CViewWindow* window) { m_window = window; }

    // Creates, places, activates and starts the control, once. A control
    // that is not installed (or not in the page's version) is first
    // downloaded from its code address, when it has one.
    void CreateControl();
    // The control's code has been installed: creates it.
    void CreateInstalledControl();
    // The control cannot be made; the embed stays empty.
    void MarkFailed() { m_failed = true; }
    // The control's "Stop" method.
    void Stop();
    // The control's "OnReadFileNotify" method: address as the control gave
    // it.
    void NotifyReadFile(const std::string& address, bool success);

    // A new place: the embed's rectangle in window coordinates at the given
    // scroll position.
    void MoveTo(const CRect& windowRect, CPoint scroll);
    // Draws the control; dc works in document coordinates, area is the part
    // to paint.
    void Draw(CDeviceContext& dc, const CRect& area);
    // Hands a message to the active control: true when it used it. Mouse
    // positions in lParam are the control's own.
    bool SendMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The view gives the keyboard to this item, or takes it away.
    void SetFocus(bool focus);

    // The item's place: in window coordinates at the last layout step, and
    // in document coordinates.
    [[nodiscard]] CRect Rect() const { return m_rect; }
    [[nodiscard]] CRect DocumentRect() const;
    [[nodiscard]] ItemState State() const { return m_state; }
    [[nodiscard]] bool Created() const { return m_created; }
    [[nodiscard]] bool Failed() const { return m_failed; }
    [[nodiscard]] bool Started() const { return m_started; }
    [[nodiscard]] bool HasFocus() const { return m_state == ItemState::UIActive; }
    [[nodiscard]] bool HasCapture() const { return m_capture; }
    [[nodiscard]] const CControlDescription& Description() const { return m_description; }
    [[nodiscard]] const std::string& FileAddress() const { return m_fileAddress; }
    // The number of files asked for with "ReadFile" still on their way.
    [[nodiscard]] size_t PendingReads() const;
    // The control's dispatch interface (its properties and methods), or
    // null while there is no control.
    [[nodiscard]] ComPtr<IDispatch> Dispatch() const;

    // CDocumentItem: stops an active control and closes it.
    void OnClearPage() override;

    // What the control's site and event sink hand on.
    HRESULT OnEvent(DISPID id, const DISPPARAMS* params);
    HRESULT OnPropertyNotification(DISPID id, bool requestEdit);
    HRESULT GetAmbient(DISPID id, VARIANT* result) const;
    [[nodiscard]] DISPID AmbientIdOf(const char* name) const;
    void OnChange(Change change);
    HRESULT OnInPlaceActivate();
    HRESULT OnInPlaceDeactivate();
    HRESULT InvalidateControl(const RECT* rect);
    HRESULT SetTimer(UINT id, UINT milliseconds);
    HRESULT KillTimer(UINT id);
    HRESULT SetCapture(bool capture);
    HRESULT RequestFocus(bool focus);
    [[nodiscard]] const IID& EventIid() const { return m_eventIid; }
    // The sink of the control's event interface.
    [[nodiscard]] IDispatch* EventSink() const;

    // The position given to the control, after taking its size from its
    // extent when the rectangle is empty.
    [[nodiscard]] CRect GetItemPosition();
    // Sets the control's extent from a size in pixels.
    void SetExtent(int32_t width, int32_t height);

protected:
    CTarnwickDoc& Document() { return m_document; }

private:
    struct CMember {
        DISPID id;
        std::string name;
    };
    struct CEventEntry {
        DISPID id;
        uint16_t paramCount;
        std::vector<std::string> names;
    };

    [[nodiscard]] HRESULT CreateFromPropertyFile();
    void FinishCreate(HRESULT result);
    void ReadEventInterface();
    void ReadMemberTable();
    void AdviseSinks();
    void ApplyExtent();
    void Activate();
    void Release();
    void CloseControl();

    // The member called name (properties first, then methods), or
    // DISPID_UNKNOWN.
    [[nodiscard]] DISPID MemberId(const std::string& name) const;
    [[nodiscard]] bool Autostart();
    // Calls a method if the control has it.
    void CallMethod(const std::string& name, const std::vector<CVariant>& arguments = {});
    void ReadFile(const std::string& address, const std::string& fileName);
    void ShowNotice(const std::string& text);
    [[nodiscard]] std::optional<SIZEL> ReadExtent() const;
    void SizeFromExtent();
    [[nodiscard]] CRect WindowRect() const;

    CTarnwickDoc& m_document;
    CViewWindow* m_window = nullptr;
    CRect m_rect;          // window coordinates at the last layout step
    CPoint m_layoutScroll; // the scroll position then
    SIZEL m_extentCache{0, 0};
    bool m_failed = false;
    bool m_installed = false; // its code was downloaded and registered
    bool m_created = false;
    bool m_started = false;
    bool m_capture = false;
    ItemState m_state = ItemState::Empty;
    CControlDescription m_description;
    std::string m_fileAddress;
    ComPtr<ILockBytes> m_fileBytes;
    CRegistryRecord m_registry;
    std::vector<std::unique_ptr<CFileReadRequest>> m_reads;

    IID m_eventIid = GUID_NULL;
    std::vector<CEventEntry> m_events;
    ComPtr<IConnectionPoint> m_eventPoint;
    DWORD m_eventCookie = 0;
    ComPtr<IConnectionPoint> m_notifyPoint;
    DWORD m_notifyCookie = 0;
    DWORD m_adviseConnection = 0;
    std::vector<CMember> m_properties;
    std::vector<CMember> m_methods;
    // The last event's arguments, copied.
    std::vector<CVariant> m_eventParams;
    DISPID m_eventId = DISPID_UNKNOWN;

    ComPtr<IOleObject> m_object;
    ComPtr<IViewObject> m_viewObject;
    ComPtr<IOleInPlaceObject> m_inPlaceObject;
    // The site and the event sink the control holds; each points back to
    // this item until the item goes.
    ComPtr<CControlSite> m_site;
    ComPtr<CEventSink> m_eventSink;

    std::map<UINT, CTimer> m_timers;
    CControlFonts m_fonts;
};
