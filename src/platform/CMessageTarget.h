#pragma once

#include <cstdint>

// Messages an object posts to the UI thread, numbered as the original window
// messages were so that their meaning carries over.
inline constexpr uint32_t WM_USER = 0x0400;

using TargetHandle = uint32_t;
inline constexpr TargetHandle NoTarget = 0;

// Something on the UI thread that receives posted messages, as a window did.
// A message is addressed to the target's handle, not to the object: one posted
// to a target that has been destroyed in the meantime is dropped, never
// delivered to freed memory. Targets are created and destroyed on the UI thread.
class CMessageTarget {
public:
    CMessageTarget();
    virtual ~CMessageTarget();
    CMessageTarget(const CMessageTarget&) = delete;
    CMessageTarget& operator=(const CMessageTarget&) = delete;

    TargetHandle Handle() const { return m_handle; }

    virtual void OnMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;

    // UI thread: the live target behind a handle, or null.
    static CMessageTarget* FromHandle(TargetHandle handle);

private:
    TargetHandle m_handle;
};
