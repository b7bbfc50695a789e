#pragma once

#include "content/CLoadWorker.h"

// Fetches nothing: it announces one content type, whose object does the work
// (the ftp notice, composing mail).
class CTypeOnlyWorker final : public CLoadWorker {
public:
    CTypeOnlyWorker(CDynamicLoad& load, std::string url, std::string contentType);

    void Start() override;
    void Abort() override {}
    void Join() override {}

private:
    std::string m_contentType;
};
