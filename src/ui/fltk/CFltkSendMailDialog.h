#pragma once

#include "platform/ui/CUiBackend.h"

#include <optional>

// The "Send Mail" dialog: To, Subject and cc lines, a body that takes Return
// as a line break, Send and Cancel. Modal; runs the toolkit until closed.
[[nodiscard]] std::optional<MailFields> RunSendMailDialog(const MailFields& fields);
