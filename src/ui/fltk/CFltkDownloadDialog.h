#pragma once

#include "platform/ui/CUiBackend.h"

// The question before a control's code is downloaded: the warning, the
// control's description and the address, "Yes" and "No". Modal; true for
// "Yes".
[[nodiscard]] bool RunDownloadControlDialog(const ControlDownloadQuestion& question);
