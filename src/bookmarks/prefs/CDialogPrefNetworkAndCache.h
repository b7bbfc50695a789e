#pragma once

#include "bookmarks/prefs/CDialogPrefPage.h"

// The mail server, the proxy, the connection limit and the cache directory.
// The cache's size and its clearing have nothing behind them: they are shown
// disabled.
class CDialogPrefNetworkAndCache final : public CDialogPrefPage {
public:
    static constexpr int32_t MaxPort = 9999;

    std::string_view Caption() const override { return "Network and Cache"; }
    std::span<const SheetControl> Controls() const override;
    void Fill(const CAppSettings::Values& values) override;
    void CopyBack(CAppSettings::Values& values) const override;

protected:
    std::span<const IntegerField> Integers() const override;
};
