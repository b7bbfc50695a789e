#pragma once

#include "app/CAppSettings.h"
#include "content/CDynamicLoad.h"
#include "content/CLoadOwner.h"
#include "content/CLoadWorker.h"
#include "content/CMimeDynamicLoad.h"
#include "content/CMimeObject.h"
#include "content/CObjectTable.h"
#include "content/CRegistryTables.h"
#include "content/CScheduler.h"
#include "content/LocalSchemes.h"
#include "platform/CManualResetEvent.h"
#include "platform/CNamedEvent.h"
#include "ui/headless/CHeadlessBackend.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

// A document-like content object for tests: keeps what it is given.
class CTestTextObject final : public CMimeObject {
public:
    CTestTextObject(std::string url, std::string type, uint32_t caps)
        : CMimeObject(std::move(url), std::move(type), caps) {}

    Status Write(const char* bytes, size_t count) override {
        {
            CSemLockGuard guard(m_lock);
            m_data.append(bytes, count);
            m_writes.push_back(count);
        }
        NotifyClients(Notify::Data);
        return Status::Continue;
    }
    // A cancelled or failed transfer leaves the object incomplete, as every
    // real type does.
    Status EndOfData() override {
        Status status = GetStatus();
        {
            CSemLockGuard guard(m_lock);
            ++m_ends;
        }
        // As a parser does with what it held back until the end.
        NotifyClients(Notify::ElementsAdded);
        return status == Status::Failed ? Status::Failed : Status::Complete;
    }
    bool HasImage() override { return GetCaps() & Caps::InlineImage; }
    void GetImageSize(int32_t& width, int32_t& height) override { width = height = 7; }

    std::string Data() {
        CSemLockGuard guard(m_lock);
        return m_data;
    }
    std::vector<size_t> Writes() {
        CSemLockGuard guard(m_lock);
        return m_writes;
    }
    int Ends() {
        CSemLockGuard guard(m_lock);
        return m_ends;
    }

private:
    std::string m_data;
    std::vector<size_t> m_writes;
    int m_ends = 0;
};

// The "gate:" scheme: a worker that delivers "gate:TYPE/..." typed as TYPE
// ("none" sends no type) once the test opens the gate, and ends once it opens
// finish, so tests decide where a transfer stands. It counts transfers.
struct GateControl {
    CManualResetEvent gate;   // headers and data go out
    CManualResetEvent finish; // the transfer ends
    void Open() {
        gate.Set();
        finish.Set();
    }
    std::atomic<int> transfers{0};
    std::string body = "gate body";
    // Set before finish opens: the transfer then fails with this text after
    // its body, as a connection reset once the page is shown does.
    std::string failure;
};

class CGateWorker final : public CThreadedWorker {
public:
    CGateWorker(CDynamicLoad& load, std::string url, GateControl& control)
        : CThreadedWorker(load, std::move(url)), m_control(control) {}

private:
    void Run() override;
    bool WaitOrAbort(CManualResetEvent& event);
    GateControl& m_control;
};

// What an owner was told, in order.
class CRecordingOwner : public CLoadOwner {
public:
    struct Notice {
        uint32_t flags;
        CDynamicLoad* load;
    };

    void OnLoadNotify(uint32_t flags, CDynamicLoad* load) override {
        notices.push_back({flags, load});
        if (onNotify)
            onNotify(flags, load);
    }

    // Every bit this load was notified with.
    uint32_t FlagsOf(const CDynamicLoad* load) const {
        uint32_t all = 0;
        for (const Notice& notice : notices)
            if (notice.load == load)
                all |= notice.flags;
        return all;
    }
    bool Finished(const CDynamicLoad* load) const { return FlagsOf(load) & Notify::Finished; }

    // Deletes a load and forgets what it was told, since a later load may be
    // given the same address.
    void Delete(CDynamicLoad* load) {
        std::erase_if(notices, [load](const Notice& notice) { return notice.load == load; });
        DeleteLoad(load);
    }

    std::vector<Notice> notices;
    std::function<void(uint32_t, CDynamicLoad*)> onNotify;
};

// The content pipeline of a running program without its window: object table,
// notification event serviced by a UI loop, the local schemes, a test "gate:"
// scheme, and test types for "text/html" and "image/gif".
class PipelineTest : public ::testing::Test {
protected:
    PipelineTest();
    ~PipelineTest() override;

    // Runs the UI loop until done() holds; fails the test after a generous
    // limit instead of hanging.
    void RunUntil(const std::function<bool()>& done);
    void RunUntilFinished(CRecordingOwner& owner, CDynamicLoad* load);

    void SetMaxConnections(int32_t limit);

    CAppSettings m_settings;
    CHeadlessBackend m_ui;
    GateControl m_gate;
    CNamedEvent m_notify;
    std::vector<ProtocolRegistration> m_protocols;
    std::vector<ContentTypeRegistration> m_types;
    std::string m_lastStatus;
};
