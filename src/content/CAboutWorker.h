#pragma once

#include "content/CLoadWorker.h"

// Serves the pages and pictures built into the program under "about:".
class CAboutWorker final : public CThreadedWorker {
public:
    using CThreadedWorker::CThreadedWorker;
    ~CAboutWorker() override;

private:
    void Run() override;
};
