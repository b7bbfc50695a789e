#pragma once

#include "platform/ui/CUiBackend.h"

#include <string_view>

// The "Preferences" property sheet: one tab per page, OK and Cancel. Modal;
// runs the toolkit until closed. True when it closed with OK (the sheet has
// checked its values).
[[nodiscard]] bool RunPreferencesDialog(CPreferenceSheet& sheet);

// The confirmation before a control is unregistered: Yes, Yes to All, No and
// Cancel. Modal.
[[nodiscard]] UnregisterAnswer RunUnregisterDialog(std::string_view displayName);
