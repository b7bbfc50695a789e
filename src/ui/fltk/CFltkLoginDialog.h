#pragma once

#include "platform/ui/CUiBackend.h"

#include <optional>
#include <string>

// The "Authorization Required" dialog: a user name and a hidden password,
// both empty at first, OK and Cancel. Modal; runs the toolkit until closed.
[[nodiscard]] std::optional<LoginAnswer> RunLoginDialog();

// The "Open URL" dialog: one address field, Open (the default button) and
// Cancel. The text as typed, or nothing when it was cancelled.
[[nodiscard]] std::optional<std::string> RunOpenUrlDialog();
