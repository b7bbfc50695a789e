#pragma once

#include "content/CRegistryTables.h"

#include <vector>

// Every scheme and content-type row of the program, registered while it
// starts, before the application object, and removed when this goes. The
// tables run in reverse order of registration, so the order below is the
// reverse of the order in which rows are tried.
class CContentHandlers {
public:
    CContentHandlers();
    CContentHandlers(const CContentHandlers&) = delete;
    CContentHandlers& operator=(const CContentHandlers&) = delete;

private:
    std::vector<ProtocolRegistration> m_protocols;
    std::vector<ContentTypeRegistration> m_types;
};
