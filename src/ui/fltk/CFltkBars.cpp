#include "ui/fltk/CFltkBars.h"

#include "platform/CResources.h"
#include "platform/CStringTable.h"
#include "platform/StringIds.h"
#include "platform/gdi/CIcon.h"
#include "platform/ui/CommandIds.h"
#include "platform/ui/MainMenu.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_RGB_Image.H>

#include <algorithm>
#include <cstring>

namespace {

constexpr int Gap = 8;     // a separator between two groups of buttons
constexpr int Padding = 2; // around the bars' contents
constexpr int LabelWidth = 64;

// An image that owns its pixels (FLTK frees them with alloc_array set).
std::unique_ptr<Fl_RGB_Image> OwningImage(const uint8_t* rgba, int width, int height) {
    size_t size = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    auto* pixels = new uchar[size]; // owned by the image
    std::memcpy(pixels, rgba, size);
    auto image = std::make_unique<Fl_RGB_Image>(pixels, width, height, 4);
    image->alloc_array = 1;
    return image;
}

// Part of an icon's pixels, as an image of its own.
std::unique_ptr<Fl_RGB_Image> Cut(const CIcon& icon, int x, int y, int width, int height) {
    std::vector<uint8_t> rgba;
    rgba.reserve(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (int row = y; row < y + height; ++row)
        for (int column = x; column < x + width; ++column) {
            const uint8_t* pixel = icon.Pixel(column, row);
            rgba.insert(rgba.end(), pixel, pixel + 4);
        }
    return OwningImage(rgba.data(), width, height);
}

std::unique_ptr<CIcon> LoadIcon(unsigned id) {
    std::optional<std::span<const unsigned char>> bytes =
        FindResource("bitmaps/" + std::to_string(id) + ".png");
    // The tool bar strip is wider than an icon.
    constexpr int32_t MaxWidth = 1024;
    return bytes ? CIcon::FromPng(*bytes, MaxWidth) : nullptr;
}

// A tool bar button: shows its command's prompt while the pointer is on it.
class CToolButton final : public Fl_Button {
public:
    CToolButton(int x, int y, unsigned id, TextSink prompt)
        : Fl_Button(x, y, ToolBarImage::ButtonWidth, ToolBarImage::ButtonHeight), m_id(id),
          m_prompt(std::move(prompt)) {}
    int handle(int event) override {
        if (event == FL_ENTER)
            m_prompt(CommandPrompt(m_id));
        else if (event == FL_LEAVE)
            m_prompt(LoadString(StringId::IdleMessage));
        int handled = Fl_Button::handle(event);
        // Claiming the pointer's entry is what brings FL_LEAVE later.
        return event == FL_ENTER || event == FL_LEAVE ? 1 : handled;
    }
    [[nodiscard]] unsigned Id() const { return m_id; }

private:
    unsigned m_id;
    TextSink m_prompt;
};

} // namespace

std::unique_ptr<Fl_RGB_Image> LoadBitmap(unsigned id) {
    std::unique_ptr<CIcon> icon = LoadIcon(id);
    if (!icon)
        return nullptr;
    return Cut(*icon, 0, 0, icon->Width(), icon->Height());
}

// --- tool bar ---

int CFltkToolBar::BarHeight() {
    return ToolBarImage::ButtonHeight + 2 * Padding;
}

CFltkToolBar::CFltkToolBar(int width, CommandSink command, TextSink prompt)
    : Fl_Group(0, 0, width, BarHeight()) {
    box(FL_THIN_UP_BOX);
    std::unique_ptr<CIcon> strip = LoadIcon(ToolBarImage::StripResource);
    int x = Padding + 2;
    for (const ToolBarEntry& entry : ToolBarEntries()) {
        if (entry.id == 0) {
            x += Gap;
            continue;
        }
        auto* button = new CToolButton(x, Padding, entry.id, prompt); // owned by this group
        button->box(FL_THIN_UP_BOX);
        button->down_box(FL_THIN_DOWN_BOX);
        // The page keeps the keyboard: a click on a button must not take it.
        button->visible_focus(0);
        button->tooltip(CommandToolTip(entry.id).data());
        if (strip && (entry.image + 1) * ToolBarImage::Width <= strip->Width()) {
            m_images.push_back(Cut(*strip, entry.image * ToolBarImage::Width, 0,
                                   ToolBarImage::Width, ToolBarImage::Height));
            button->image(m_images.back().get());
            // The greyed picture of a button that cannot be chosen now.
            m_images.emplace_back(static_cast<Fl_RGB_Image*>(m_images.back()->copy()));
            m_images.back()->inactive();
            button->deimage(m_images.back().get());
        } else {
            button->copy_label(std::string(CommandToolTip(entry.id)).c_str());
        }
        button->callback(
            [](Fl_Widget* widget, void* sink) {
                (*static_cast<CommandSink*>(sink))(static_cast<CToolButton*>(widget)->Id());
            },
            &m_command);
        m_buttons[entry.id] = button;
        x += ToolBarImage::ButtonWidth;
    }
    m_command = std::move(command);
    end();
    resizable(nullptr);
}

CFltkToolBar::~CFltkToolBar() {
    // The buttons point at the images: they go first.
    clear();
}

void CFltkToolBar::Enable(unsigned id, bool enabled) {
    auto found = m_buttons.find(id);
    if (found == m_buttons.end() || (found->second->active() != 0) == enabled)
        return;
    if (enabled)
        found->second->activate();
    else
        found->second->deactivate();
}

// --- animation ---

CFltkAnimation::CFltkAnimation(int x, int y, int side) : Fl_Box(x, y, side, side) {
    box(FL_NO_BOX);
    for (int i = 0; i < AnimationImage::FrameCount; ++i) {
        std::unique_ptr<CIcon> icon = LoadIcon(AnimationImage::FirstResource + i);
        if (!icon || icon->Width() < AnimationImage::SourceX + AnimationImage::SourceSize ||
            icon->Height() < AnimationImage::SourceY + AnimationImage::SourceSize) {
            m_sources.clear();
            break;
        }
        m_sources.push_back(Cut(*icon, AnimationImage::SourceX, AnimationImage::SourceY,
                                AnimationImage::SourceSize, AnimationImage::SourceSize));
    }
    ScaleFrames();
}

CFltkAnimation::~CFltkAnimation() = default;

void CFltkAnimation::ScaleFrames() {
    m_scaled.clear();
    if (w() < 1)
        return;
    for (const auto& source : m_sources)
        m_scaled.emplace_back(static_cast<Fl_RGB_Image*>(source->copy(w(), h())));
}

void CFltkAnimation::resize(int x, int y, int width, int height) {
    bool rescale = width != w() || height != h();
    Fl_Box::resize(x, y, width, height);
    if (rescale)
        ScaleFrames();
}

void CFltkAnimation::ShowFrame(int index) {
    m_index = index;
    redraw();
}

void CFltkAnimation::draw() {
    if (m_index >= 0 && static_cast<size_t>(m_index) < m_scaled.size())
        m_scaled[static_cast<size_t>(m_index)]->draw(x(), y());
}

// --- location bar ---

CFltkLocationBar::CFltkLocationBar(int width, CommandSink command)
    : Fl_Group(0, 0, width, BarHeight), m_command(std::move(command)) {
    box(FL_THIN_UP_BOX);
    m_address = new Fl_Input(0, 0, 1, 1, "Location:"); // owned by this group
    m_address->when(FL_WHEN_ENTER_KEY_ALWAYS);
    m_address->callback(OnEnter, this);
    int side = BarHeight - 4;
    m_animation = new CFltkAnimation(0, 2, side); // owned by this group
    end();
    resizable(nullptr);
    Arrange();
}

void CFltkLocationBar::OnEnter(Fl_Widget*, void* self) {
    // The invisible default button: Enter sends its command.
    static_cast<CFltkLocationBar*>(self)->m_command(CommandId::OpenLocation);
}

void CFltkLocationBar::resize(int x, int y, int width, int height) {
    Fl_Widget::resize(x, y, width, height);
    Arrange();
}

void CFltkLocationBar::Arrange() {
    // The animation: a square of side h - 4 at 3 pixels from the right end,
    // 2 below the top.
    int side = h() - 4;
    m_animation->resize(x() + w() - side - 3, y() + 2, side, side);
    int fieldLeft = x() + LabelWidth + 2 * Gap;
    m_address->resize(fieldLeft, y() + 5, std::max(10, m_animation->x() - 8 - fieldLeft), h() - 10);
}

// --- status bar ---

CFltkStatusBar::CFltkStatusBar(int width) : Fl_Group(0, 0, width, BarHeight) {
    box(FL_FLAT_BOX);
    m_message = new Fl_Box(0, 0, 1, 1); // owned by this group
    m_message->box(FL_THIN_DOWN_BOX);
    m_message->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    for (int i = 0; i < 3; ++i) {
        auto* pane = new Fl_Box(0, 0, 1, 1); // owned by this group
        pane->box(FL_THIN_DOWN_BOX);
        m_indicators.push_back(pane);
    }
    end();
    resizable(nullptr);
    Arrange();
}

void CFltkStatusBar::resize(int x, int y, int width, int height) {
    Fl_Widget::resize(x, y, width, height);
    Arrange();
}

void CFltkStatusBar::Arrange() {
    constexpr int PaneWidth = 44;
    int right = x() + w() - Padding;
    for (auto pane = m_indicators.rbegin(); pane != m_indicators.rend(); ++pane) {
        right -= PaneWidth;
        (*pane)->resize(right, y() + Padding, PaneWidth - Padding, h() - 2 * Padding);
    }
    m_message->resize(x() + Padding, y() + Padding, std::max(10, right - x() - 2 * Padding),
                      h() - 2 * Padding);
}

void CFltkStatusBar::SetMessage(std::string_view text) {
    // "@" starts a symbol in an FLTK label and "@@" shows itself, so that
    // addresses (mail addresses among them) are shown as they are.
    m_text.clear();
    for (char c : text) {
        m_text += c;
        if (c == '@')
            m_text += '@';
    }
    m_message->label(m_text.c_str());
    m_message->redraw();
}

void CFltkStatusBar::SetIndicators(bool caps, bool num, bool scroll) {
    const bool on[] = {caps, num, scroll};
    const unsigned names[] = {StringId::IndicatorCaps, StringId::IndicatorNum,
                              StringId::IndicatorScroll};
    for (size_t i = 0; i < m_indicators.size(); ++i) {
        const char* label = on[i] ? LoadString(names[i]).data() : nullptr;
        if (m_indicators[i]->label() != label) {
            m_indicators[i]->label(label);
            m_indicators[i]->redraw();
        }
    }
}

std::string CFltkStatusBar::IndicatorText() const {
    std::string text;
    for (const Fl_Box* pane : m_indicators)
        if (pane->label())
            text += (text.empty() ? "" : " ") + std::string(pane->label());
    return text;
}

// --- find bar ---

CFltkFindBar::CFltkFindBar(int width, FindSink find, std::function<void()> close)
    : Fl_Group(0, 0, width, BarHeight), m_find(std::move(find)), m_close(std::move(close)) {
    box(FL_THIN_UP_BOX);
    m_text = new Fl_Input(0, 0, 1, 1, "Find:"); // owned by this group
    m_text->when(FL_WHEN_ENTER_KEY_ALWAYS);
    m_text->callback([](Fl_Widget*, void* self) { static_cast<CFltkFindBar*>(self)->FindNext(); },
                     this);
    m_next = new Fl_Button(0, 0, 1, 1, "Find Next"); // owned by this group
    m_next->callback([](Fl_Widget*, void* self) { static_cast<CFltkFindBar*>(self)->FindNext(); },
                     this);
    m_outcome = new Fl_Box(0, 0, 1, 1); // owned by this group
    m_outcome->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
    m_outcome->labelcolor(FL_DARK_RED);
    m_closeButton = new Fl_Button(0, 0, 1, 1, "Close"); // owned by this group
    m_closeButton->callback(
        [](Fl_Widget*, void* self) { static_cast<CFltkFindBar*>(self)->m_close(); }, this);
    end();
    resizable(nullptr);
    Arrange();
}

void CFltkFindBar::resize(int x, int y, int width, int height) {
    Fl_Widget::resize(x, y, width, height);
    Arrange();
}

void CFltkFindBar::Arrange() {
    constexpr int FieldWidth = 240;
    constexpr int ButtonWidth = 80;
    int top = y() + 4;
    int height = h() - 8;
    m_text->resize(x() + 44, top, FieldWidth, height);
    m_next->resize(m_text->x() + FieldWidth + 6, top, ButtonWidth, height);
    m_outcome->resize(m_next->x() + ButtonWidth + 10, top, 200, height);
    m_closeButton->resize(x() + w() - ButtonWidth - 6, top, ButtonWidth, height);
}

void CFltkFindBar::Open() {
    m_outcome->label(nullptr);
    m_text->take_focus();
    m_text->position(m_text->size(), 0);
    redraw();
}

void CFltkFindBar::FindNext() {
    bool found = m_text->size() > 0 && m_find(m_text->value());
    m_outcome->label(found || m_text->size() == 0 ? nullptr
                                                  : LoadString(StringId::FindNotFound).data());
    m_outcome->redraw();
}

int CFltkFindBar::handle(int event) {
    if ((event == FL_KEYBOARD || event == FL_SHORTCUT) && Fl::event_key() == FL_Escape &&
        Fl::focus() == m_text) {
        m_close();
        return 1;
    }
    return Fl_Group::handle(event);
}
