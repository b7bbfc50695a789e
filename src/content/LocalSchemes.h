#pragma once

#include "content/CRegistryTables.h"

// The rows of the schemes and types that need no network. The caller
// registers every row of the program in one fixed order (the tables run in
// reverse order of registration) and keeps the handles until exit.
[[nodiscard]] ProtocolRegistration RegisterFileProtocol();
[[nodiscard]] ProtocolRegistration RegisterAboutProtocol();
[[nodiscard]] ProtocolRegistration RegisterFtpProtocol();
[[nodiscard]] ContentTypeRegistration RegisterLaunchFtpType();
[[nodiscard]] ContentTypeRegistration RegisterSaveToFileType();
