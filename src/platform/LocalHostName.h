#pragma once

#include <string>

// This machine's name, as a client introduces itself to a server with (the
// SMTP HELO); empty when the system will not say.
[[nodiscard]] std::string LocalHostName();
