// The fetcher: asks the page for files with its "ReadFile" event and shows
// what the page answers. It has an address field (click it and type; Enter
// or the Fetch button asks for the address) and a list of the last answers.
//
// Saved properties: Caption, Address (the address to ask for first),
// FileName, FetchOnStart ("1": ask as soon as the page starts it), LogFile
// (a file to which it appends what the browser asks of it).
//
// It has no "Autostart" property, so the page always starts it. Its method
// FireEvent(name, arguments) fires one of its events with the arguments
// given as comma-separated text (numbers go as numbers), which lets a test
// drive the page's handling of events.

#include "common/CControlBase.h"

#include <cctype>
#include <cstdlib>
#include <deque>

namespace {

// {C43C3C6E-B18F-493A-9D35-0626E980DD69}
constexpr CLSID kFetchClass = {
    0xC43C3C6E, 0xB18F, 0x493A, {0x9D, 0x35, 0x06, 0x26, 0xE9, 0x80, 0xDD, 0x69}};
constexpr IID kFetchDispatch = {
    0x7DB4C405, 0xCC06, 0x42E9, {0xAD, 0x8B, 0xB4, 0x1A, 0x37, 0x98, 0xE5, 0x03}};
constexpr IID kFetchEvents = {
    0x936B9DAF, 0x59AF, 0x49B7, {0x99, 0x4B, 0x3B, 0x8E, 0x03, 0xD3, 0x83, 0x20}};

enum : DISPID {
    kCaption = 1,
    kAddress = 2,
    kFileName = 3,
    kFetch = 10,
    kOnReadFileNotify = 11,
    kFireEvent = 12,
    kStart = 13,
    kStop = 14,
    kReadFileEvent = 1,
    kClickedEvent = 2,
};

constexpr LPCOLESTR kNotifyParams[] = {"FileName", "Address", "Success"};
constexpr LPCOLESTR kFireParams[] = {"Name", "Arguments"};
constexpr LPCOLESTR kReadFileParams[] = {"FileName", "Address"};

constexpr VSTMEMBER kMembers[] = {
    {"Caption", kCaption, VSTMEMBER_PROPERTY, VT_BSTR, 0, nullptr},
    {"Address", kAddress, VSTMEMBER_PROPERTY, VT_BSTR, 0, nullptr},
    {"FileName", kFileName, VSTMEMBER_PROPERTY, VT_BSTR, 0, nullptr},
    {"Fetch", kFetch, VSTMEMBER_METHOD, VT_EMPTY, 0, nullptr},
    {"OnReadFileNotify", kOnReadFileNotify, VSTMEMBER_METHOD, VT_EMPTY, 3, kNotifyParams},
    {"FireEvent", kFireEvent, VSTMEMBER_METHOD, VT_EMPTY, 2, kFireParams},
    {"Start", kStart, VSTMEMBER_METHOD, VT_EMPTY, 0, nullptr},
    {"Stop", kStop, VSTMEMBER_METHOD, VT_EMPTY, 0, nullptr},
};
constexpr VSTMEMBER kEvents[] = {
    {"ReadFile", kReadFileEvent, VSTMEMBER_METHOD, VT_EMPTY, 2, kReadFileParams},
    {"Clicked", kClickedEvent, VSTMEMBER_METHOD, VT_EMPTY, 0, nullptr},
};

const CControlClass kClass = {
    {kFetchClass, "Vestrial Fetch Control", "Vestrial.Fetch", nullptr},
    kFetchDispatch,
    kFetchEvents,
    kMembers,
    sizeof kMembers / sizeof kMembers[0],
    kEvents,
    sizeof kEvents / sizeof kEvents[0],
    {360, 110},
};

constexpr size_t kShownAnswers = 4;
constexpr LONG kMargin = 6;
constexpr LONG kButtonWidth = 56;

// Comma-separated text as event arguments: a whole number is a number,
// anything else text.
std::vector<CVariant> ParseArguments(const std::string& text) {
    std::vector<CVariant> arguments;
    if (text.empty())
        return arguments;
    size_t start = 0;
    for (;;) {
        size_t comma = text.find(',', start);
        std::string piece = text.substr(start, comma == std::string::npos ? comma : comma - start);
        char* end = nullptr;
        long number = std::strtol(piece.c_str(), &end, 10);
        bool isNumber = !piece.empty() && end && *end == '\0' &&
                        (std::isdigit(static_cast<unsigned char>(piece[0])) || piece[0] == '-');
        arguments.push_back(isNumber ? CVariant::I4(static_cast<int32_t>(number))
                                     : CVariant::String(piece));
        if (comma == std::string::npos)
            return arguments;
        start = comma + 1;
    }
}

class CFetch final : public CControlBase {
public:
    CFetch() : CControlBase(kClass) {}

private:
    void OnLoad(IStorage* storage) override {
        std::string text;
        if (ReadStream(storage, "Caption", text))
            m_caption = text;
        (void)ReadStream(storage, "Address", m_address);
        (void)ReadStream(storage, "FileName", m_fileName);
        if (ReadStream(storage, "FetchOnStart", text))
            m_fetchOnStart = text == "1";
    }

    RECT Field() const { return {kMargin, 26, Width() - kMargin - kButtonWidth - 4, 46}; }
    RECT Button() const { return {Width() - kMargin - kButtonWidth, 26, Width() - kMargin, 46}; }

    void OnDraw(IDrawContext& dc, const RECT& bounds) override {
        COLORREF fore = 0x000000;
        (void)dc.FillRect(&bounds, 0xE0E0E0);
        (void)dc.FrameRect(&bounds, fore, 1);
        SelectAmbientFont(dc);
        (void)dc.SetTextColor(fore);
        (void)dc.TextOut(kMargin, 5, m_caption.c_str(), static_cast<UINT>(m_caption.size()));
        RECT field = Field();
        (void)dc.FillRect(&field, 0xFFFFFF);
        (void)dc.FrameRect(&field, m_focused ? 0xC00000 : 0x808080, m_focused ? 2 : 1);
        std::string shown = m_address + (m_focused ? "_" : "");
        (void)dc.TextOut(field.left + 3, field.top + 3, shown.c_str(),
                         static_cast<UINT>(shown.size()));
        RECT button = Button();
        (void)dc.FillRect(&button, 0xC0C0C0);
        (void)dc.FrameRect(&button, fore, 1);
        (void)dc.TextOut(button.left + 8, button.top + 3, "Fetch", 5);
        LONG y = 52;
        for (const std::string& answer : m_answers) {
            (void)dc.TextOut(kMargin, y, answer.c_str(), static_cast<UINT>(answer.size()));
            y += 14;
        }
    }

    void Fetch() {
        Log("ReadFile " + m_address);
        FireEvent(kReadFileEvent, {CVariant::String(m_fileName), CVariant::String(m_address)});
    }

    void Answer(const std::string& address, bool success) {
        Log("OnReadFileNotify " + address + " " + (success ? "1" : "0"));
        m_answers.push_front((success ? "arrived: " : "failed: ") + address);
        if (m_answers.size() > kShownAnswers)
            m_answers.pop_back();
        Invalidate();
    }

    HRESULT OnInvoke(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result) override {
        const bool get = flags & DISPATCH_PROPERTYGET;
        std::string first;
        std::string second;
        switch (id) {
        case kCaption:
            return get ? ReturnText(result, m_caption) : DISP_E_MEMBERNOTFOUND;
        case kAddress:
            return get ? ReturnText(result, m_address) : DISP_E_MEMBERNOTFOUND;
        case kFileName:
            return get ? ReturnText(result, m_fileName) : DISP_E_MEMBERNOTFOUND;
        case kFetch:
            Fetch();
            return S_OK;
        case kOnReadFileNotify: {
            if (params.cArgs != 3)
                return DISP_E_BADPARAMCOUNT;
            CVariant success;
            if (!ArgumentText(params, 1, second) ||
                FAILED(VariantChangeType(success.Get(), &params.rgvarg[0], 0, VT_BOOL)))
                return DISP_E_TYPEMISMATCH;
            Answer(second, success.Get()->boolVal != VARIANT_FALSE);
            return S_OK;
        }
        case kFireEvent: {
            if (!ArgumentText(params, 0, first))
                return DISP_E_BADPARAMCOUNT;
            (void)ArgumentText(params, 1, second);
            Log("FireEvent " + first + " " + second);
            DISPID event = first == "ReadFile"  ? kReadFileEvent
                           : first == "Clicked" ? kClickedEvent
                                                : DISPID_UNKNOWN;
            if (event == DISPID_UNKNOWN)
                return DISP_E_MEMBERNOTFOUND;
            FireEvent(event, ParseArguments(second));
            return S_OK;
        }
        case kStart:
            Log("Start");
            if (m_fetchOnStart && !m_address.empty())
                Fetch();
            return S_OK;
        case kStop:
            Log("Stop");
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

    static bool Inside(const RECT& rect, LONG x, LONG y) {
        return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
    }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
        case WM_LBUTTONDOWN: {
            LONG x = GET_X_LPARAM(lParam);
            LONG y = GET_Y_LPARAM(lParam);
            FireEvent(kClickedEvent, {});
            if (Inside(Button(), x, y))
                Fetch();
            else if (Inside(Field(), x, y))
                TakeFocus();
            return true;
        }
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            m_focused = message == WM_SETFOCUS;
            Invalidate();
            return true;
        case WM_CHAR:
            if (!m_focused)
                return false;
            if (wParam == '\r') {
                Fetch();
            } else if (wParam == '\b') {
                if (!m_address.empty())
                    m_address.pop_back();
            } else if (wParam >= 0x20 && wParam <= 0xFF && wParam != 0x7F) {
                m_address += static_cast<char>(wParam);
            } else {
                return false;
            }
            Invalidate();
            return true;
        default:
            return false;
        }
    }

    std::string m_caption = "Fetch a file";
    std::string m_address;
    std::string m_fileName;
    bool m_fetchOnStart = false;
    bool m_focused = false;
    std::deque<std::string> m_answers;
};

CControlFactory g_factory(&CreateControlObject<CFetch>);

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
