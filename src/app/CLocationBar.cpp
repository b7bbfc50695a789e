#include "app/CLocationBar.h"

#include "platform/ui/CUiBackend.h"

void CLocationBar::OnTimer() {
    m_frame = (m_frame + 1) % FrameCount;
    m_window.ShowAnimationFrame(m_frame);
}

void CLocationBar::ShowFirstFrame() {
    m_frame = 0;
    m_window.ShowAnimationFrame(m_frame);
}
