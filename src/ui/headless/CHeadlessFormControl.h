#pragma once

#include "platform/ui/CFormControl.h"
#include "ui/headless/CHeadlessFocus.h"

#include <cstdint>
#include <string>
#include <vector>

class CDeviceContext;
class CFont;
class CHeadlessViewWindow;

// A form control of the window without a display: its state in memory, what
// a click or a key does to it, and a plain picture of it (border, text,
// check mark, selected options) for screenshots. UI thread only.
class CHeadlessFormControl final : public CFormControl, public CHeadlessFocus {
public:
    CHeadlessFormControl(CHeadlessViewWindow& window, const CFormControlSpec& spec);
    ~CHeadlessFormControl() override;
    CHeadlessFormControl(const CHeadlessFormControl&) = delete;
    CHeadlessFormControl& operator=(const CHeadlessFormControl&) = delete;

    [[nodiscard]] FormControlKind Kind() const { return m_kind; }
    [[nodiscard]] uint32_t CommandId() const { return m_commandId; }
    [[nodiscard]] const std::string& Name() const { return m_name; }
    [[nodiscard]] const std::vector<std::string>& Options() const { return m_options; }
    // Document coordinates.
    [[nodiscard]] CRect Rect() const { return m_rect; }

    // A left click on it: edits and lists take the focus, buttons, check
    // boxes and radio buttons act. What the click starts (a submission) may
    // destroy this control before Click returns.
    void Click();
    // dc draws in document coordinates; focused shows the caret or focus
    // frame.
    void Draw(CDeviceContext& dc, CFont& font, bool focused) const;
    // The window is going away first.
    void Detach() { m_window = nullptr; }

    // CFormControl
    void Move(const CRect& rect) override;
    [[nodiscard]] std::string GetText() const override { return m_text; }
    void SetText(std::string_view text) override;
    [[nodiscard]] bool GetCheck() const override { return m_checked; }
    void SetCheck(bool checked) override;
    [[nodiscard]] int32_t GetCurrentIndex() const override { return m_current; }
    void SetCurrentIndex(int32_t index) override;
    [[nodiscard]] bool IsSelected(int32_t index) const override;
    void SetSelected(int32_t index, bool selected) override;

    // CHeadlessFocus
    void TypeText(std::string_view text) override;
    void PressKey(std::string_view name) override;

private:
    [[nodiscard]] bool IsEdit() const;
    [[nodiscard]] bool IsButton() const;
    [[nodiscard]] bool IsList() const;
    // Tells the view; this control may be gone afterwards.
    void Notify(FormControlEvent event);
    void MoveCurrent(int32_t step);
    void Invalidate();

    void DrawEdit(CDeviceContext& dc, CFont& font, bool focused) const;
    void DrawCheck(CDeviceContext& dc) const;
    void DrawButton(CDeviceContext& dc, CFont& font, bool focused) const;
    void DrawDropDown(CDeviceContext& dc, CFont& font) const;
    void DrawList(CDeviceContext& dc, CFont& font) const;

    CHeadlessViewWindow* m_window; // null once the window has gone
    FormControlKind m_kind;
    uint32_t m_commandId;
    std::string m_name;
    std::vector<std::string> m_options;
    CRect m_rect;
    std::string m_text; // Windows Latin-1
    bool m_checked = false;
    int32_t m_current = -1;
    std::vector<bool> m_selected;
};
