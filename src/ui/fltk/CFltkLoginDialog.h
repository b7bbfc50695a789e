#pragma once

#include "platform/ui/CUiBackend.h"

#include <optional>

// The "Authorization Required" dialog: a user name and a hidden password,
// both empty at first, OK and Cancel. Modal; runs the toolkit until closed.
[[nodiscard]] std::optional<LoginAnswer> RunLoginDialog();
