// The clock: shows the time, under a caption, in the colours of its saved
// properties or else the page's, and repaints itself every second. Below the
// time it shows where it may keep files and the font it was given: both come
// from the page's ambient properties.
//
// Saved properties (streams of the object property file's "Object Property
// Section", as text): Caption, Format (strftime; default "%H:%M:%S"),
// ForeColor and BackColor ("#RRGGBB"), Interval (milliseconds), Autostart
// ("0" or "false" keeps it stopped until its Start method is called),
// NotifyTime ("1": tell the page each time the Time property changes),
// LogFile (a file to which it appends what the browser asks of it).

#include "common/CControlBase.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <strings.h>

namespace {

// {BA276F7D-C61B-4F72-873A-E3FA6891A173}
constexpr CLSID kClockClass = {
    0xBA276F7D, 0xC61B, 0x4F72, {0x87, 0x3A, 0xE3, 0xFA, 0x68, 0x91, 0xA1, 0x73}};
constexpr IID kClockDispatch = {
    0x8362AE3A, 0x101A, 0x4F39, {0x96, 0x59, 0xB6, 0x77, 0xE3, 0xA0, 0xC0, 0x1F}};
constexpr IID kClockEvents = {
    0x09F4E683, 0x2E39, 0x47C8, {0x81, 0x25, 0xF7, 0xE6, 0xCC, 0x45, 0x76, 0x6F}};

enum : DISPID {
    kCaption = 1,
    kFormat = 2,
    kForeColor = 3,
    kBackColor = 4,
    kAutostart = 5,
    kTime = 6,
    kInterval = 7,
    kUserDirectory = 8,
    kFontName = 9,
    kStart = 20,
    kStop = 21,
    kTickEvent = 1,
};

constexpr VSTMEMBER kMembers[] = {
    {"Caption", kCaption, VSTMEMBER_PROPERTY, VT_BSTR, 0, nullptr},
    {"Format", kFormat, VSTMEMBER_PROPERTY, VT_BSTR, 0, nullptr},
    {"ForeColor", kForeColor, VSTMEMBER_PROPERTY, VT_I4, 0, nullptr},
    {"BackColor", kBackColor, VSTMEMBER_PROPERTY, VT_I4, 0, nullptr},
    {"Autostart", kAutostart, VSTMEMBER_PROPERTY, VT_BOOL, 0, nullptr},
    {"Time", kTime, VSTMEMBER_PROPERTY, VT_BSTR, 0, nullptr},
    {"Interval", kInterval, VSTMEMBER_PROPERTY, VT_I4, 0, nullptr},
    {"UserDirectory", kUserDirectory, VSTMEMBER_PROPERTY, VT_BSTR, 0, nullptr},
    {"FontName", kFontName, VSTMEMBER_PROPERTY, VT_BSTR, 0, nullptr},
    {"Start", kStart, VSTMEMBER_METHOD, VT_EMPTY, 0, nullptr},
    {"Stop", kStop, VSTMEMBER_METHOD, VT_EMPTY, 0, nullptr},
};
constexpr VSTMEMBER kEvents[] = {
    {"Tick", kTickEvent, VSTMEMBER_METHOD, VT_EMPTY, 0, nullptr},
};

const CControlClass kClass = {
    {kClockClass, "Vestrial Clock Control", "Vestrial.Clock", nullptr},
    kClockDispatch,
    kClockEvents,
    kMembers,
    sizeof kMembers / sizeof kMembers[0],
    kEvents,
    sizeof kEvents / sizeof kEvents[0],
    {300, 70},
};

constexpr UINT kTimerId = 1;

class CClock final : public CControlBase {
public:
    CClock() : CControlBase(kClass) {}

private:
    void OnLoad(IStorage* storage) override {
        std::string text;
        if (ReadStream(storage, "Caption", text))
            m_caption = text;
        if (ReadStream(storage, "Format", text) && !text.empty())
            m_format = text;
        COLORREF color;
        if (ReadStream(storage, "ForeColor", text) && ParseColor(text, color))
            m_foreColor = color;
        if (ReadStream(storage, "BackColor", text) && ParseColor(text, color))
            m_backColor = color;
        if (ReadStream(storage, "Interval", text) && std::atoi(text.c_str()) > 0)
            m_interval = static_cast<UINT>(std::atoi(text.c_str()));
        if (ReadStream(storage, "Autostart", text))
            m_autostart = !(text == "0" || strcasecmp(text.c_str(), "false") == 0);
        if (ReadStream(storage, "NotifyTime", text))
            m_notifyTime = text == "1";
    }

    std::string TimeText() const {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        char buffer[128];
        size_t length = std::strftime(buffer, sizeof buffer, m_format.c_str(), &local);
        return std::string(buffer, length);
    }

    // The name of the page's font, as the clock shows it.
    std::string AmbientFontName() const {
        CVariant font = Ambient(DISPID_AMBIENT_FONT);
        if (font.Type() != VT_DISPATCH || !font.Get()->pdispVal)
            return {};
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        CVariant name;
        if (FAILED(font.Get()->pdispVal->Invoke(DISPID_FONT_NAME, GUID_NULL, 0,
                                                DISPATCH_PROPERTYGET, &none, name.Get(), nullptr,
                                                nullptr)))
            return {};
        return name.Text();
    }

    COLORREF Color(bool fore) const {
        if (fore && m_foreColor)
            return *m_foreColor;
        if (!fore && m_backColor)
            return *m_backColor;
        CVariant ambient = Ambient(fore ? DISPID_AMBIENT_FORECOLOR : DISPID_AMBIENT_BACKCOLOR);
        CVariant number;
        if (SUCCEEDED(VariantChangeType(number.Get(), ambient.Get(), 0, VT_I4)))
            return static_cast<COLORREF>(number.Get()->lVal);
        return fore ? 0x000000 : 0xFFFFFF;
    }

    void OnDraw(IDrawContext& dc, const RECT& bounds) override {
        const COLORREF fore = Color(true);
        (void)dc.FillRect(&bounds, Color(false));
        (void)dc.FrameRect(&bounds, fore, 1);
        std::string fontName;
        double points = 0;
        SelectAmbientFont(dc, &fontName, &points);
        (void)dc.SetTextColor(fore);
        std::string first = m_caption.empty() ? "" : m_caption + " ";
        first += m_running ? TimeText() : "(stopped)";
        SIZEL line{0, 0};
        (void)dc.GetTextExtent("Ag", 2, &line);
        LONG y = bounds.top + 4;
        (void)dc.TextOut(bounds.left + 6, y, first.c_str(), static_cast<UINT>(first.size()));
        y += line.cy + 2;
        CVariant directory = Ambient(DISPID_AMBIENT_USERDIRECTORY);
        std::string second = "UserDirectory: " + directory.Text();
        (void)dc.TextOut(bounds.left + 6, y, second.c_str(), static_cast<UINT>(second.size()));
        y += line.cy;
        char third[160];
        std::snprintf(third, sizeof third, "Font: %s %gpt", fontName.c_str(), points);
        (void)dc.TextOut(bounds.left + 6, y, third, static_cast<UINT>(std::strlen(third)));
    }

    HRESULT OnInvoke(DISPID id, WORD flags, DISPPARAMS&, VARIANT* result) override {
        const bool get = flags & DISPATCH_PROPERTYGET;
        switch (id) {
        case kCaption:
            return get ? ReturnText(result, m_caption) : DISP_E_MEMBERNOTFOUND;
        case kFormat:
            return get ? ReturnText(result, m_format) : DISP_E_MEMBERNOTFOUND;
        case kTime:
            return get ? ReturnText(result, TimeText()) : DISP_E_MEMBERNOTFOUND;
        case kUserDirectory:
            return get ? ReturnText(result, Ambient(DISPID_AMBIENT_USERDIRECTORY).Text())
                       : DISP_E_MEMBERNOTFOUND;
        case kFontName:
            return get ? ReturnText(result, AmbientFontName()) : DISP_E_MEMBERNOTFOUND;
        case kAutostart:
            if (!get)
                return DISP_E_MEMBERNOTFOUND;
            if (result) {
                VariantClear(result);
                result->vt = VT_BOOL;
                result->boolVal = m_autostart ? VARIANT_TRUE : VARIANT_FALSE;
            }
            return S_OK;
        case kForeColor:
        case kBackColor:
        case kInterval:
            if (!get)
                return DISP_E_MEMBERNOTFOUND;
            if (result) {
                VariantClear(result);
                result->vt = VT_I4;
                result->lVal = id == kInterval ? static_cast<int32_t>(m_interval)
                                               : static_cast<int32_t>(Color(id == kForeColor));
            }
            return S_OK;
        case kStart:
            Log("Start");
            m_running = true;
            SetTimer(kTimerId, m_interval);
            Invalidate();
            return S_OK;
        case kStop:
            Log("Stop");
            m_running = false;
            KillTimer(kTimerId);
            Invalidate();
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM) override {
        if (message != WM_TIMER || wParam != kTimerId)
            return false;
        Invalidate();
        FireEvent(kTickEvent, {});
        if (m_notifyTime)
            NotifyChanged(kTime);
        return true;
    }

    void OnClose() override {
        m_running = false;
        KillTimer(kTimerId);
    }

    std::string m_caption = "It is";
    std::string m_format = "%H:%M:%S";
    std::optional<COLORREF> m_foreColor;
    std::optional<COLORREF> m_backColor;
    UINT m_interval = 1000;
    bool m_autostart = true;
    bool m_notifyTime = false;
    bool m_running = false;
};

CControlFactory g_factory(&CreateControlObject<CClock>);

} // namespace

VST_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    return GetClassObjectFor(kClass, g_factory, clsid, iid, object);
}

VST_EXPORT HRESULT DllRegisterServer() {
    return VstRegisterControl(&kClass.registration,
                              reinterpret_cast<const void*>(&DllRegisterServer));
}

VST_EXPORT HRESULT DllUnregisterServer() {
    return VstUnregisterControl(&kClass.registration);
}
