#pragma once

#include "content/CLoadWorker.h"

// Reads a local file named by a "file:///" URL on its own thread, handing each
// block on as soon as it is read so that a large page starts to show early.
class CFileWorker final : public CThreadedWorker {
public:
    // Content objects take at most this much at a time...
    static constexpr size_t BlockSize = 4096;
    // ... while the file is read this much at a time: one system call, one
    // status text and one wake-up for every sixteen blocks.
    static constexpr size_t ReadSize = 16 * BlockSize;

    using CThreadedWorker::CThreadedWorker;
    ~CFileWorker() override;

private:
    void Run() override;
    void Fail();
    void ReadBlocks(int fd, const std::string& path);
};
