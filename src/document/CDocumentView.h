#pragma once

#include "platform/CMessageTarget.h"

#include <cstdint>
#include <string_view>

class CDynamicLoad;

// What a document needs of the view that shows it.
class CDocumentView {
public:
    // Posted to the view when a new document object is in place.
    static constexpr uint32_t NewDocumentMessage = WM_USER + 101;

    virtual ~CDocumentView() = default;

    virtual TargetHandle Handle() const = 0;
    // The document forgets what it showed: drop everything laid out from it.
    virtual void ResetView() = 0;
    // Notifications of loads that are not the page being fetched: inline
    // images and objects, and the shown page itself once it is in place.
    virtual void OnInlineLoadNotify(uint32_t flags, CDynamicLoad* load) = 0;
    // An inline resource settled without a load of its own (it was refused):
    // whoever waits for it must look again.
    virtual void OnInlineRefused() = 0;
};

// What the top-level document needs of the main window.
class CDocumentFrame {
public:
    virtual ~CDocumentFrame() = default;
    virtual void SetTitle(std::string_view title) = 0;
    virtual void SetLocation(std::string_view url) = 0;
    virtual void StartAnimation() = 0;
    virtual void StopAnimation() = 0;
    // The page shown failed after it appeared (a reset, a short body, a
    // page past its limits): what arrived stays on screen, and this says why
    // the rest is missing.
    virtual void ShowLoadFailure(std::string_view text) = 0;
};
