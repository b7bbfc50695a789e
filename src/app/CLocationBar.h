#pragma once

class CMainFrameWindow;

// The location bar's busy animation: which of the 31 frames is shown. The
// window draws the frame; the bar decides which one. UI thread only.
class CLocationBar {
public:
    static constexpr int FrameCount = 31;
    // Milliseconds between two frames while the animation runs.
    static constexpr unsigned TimerInterval = 200;

    explicit CLocationBar(CMainFrameWindow& window) : m_window(window) {}

    [[nodiscard]] int CurrentFrame() const { return m_frame; }
    // One tick of the timer: the next frame, the first after the last.
    void OnTimer();
    // Back to frame 0, drawn at once.
    void ShowFirstFrame();

private:
    CMainFrameWindow& m_window;
    int m_frame = 0;
};
