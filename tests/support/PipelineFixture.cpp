#include "support/PipelineFixture.h"

#include "platform/CMessageQueue.h"
#include "platform/CUiLoop.h"
#include "platform/ui/CUiBackend.h"

#include <chrono>

bool CGateWorker::WaitOrAbort(CManualResetEvent& event) {
    while (!event.WaitFor(std::chrono::milliseconds(2)))
        if (AbortRequested())
            return false;
    return true;
}

void CGateWorker::Run() {
    ++m_control.transfers;
    if (!WaitOrAbort(m_control.gate))
        return FinishAborted();
    std::string url = m_load.Url();
    std::string type = url.substr(5, url.rfind('/') - 5);
    HeaderMap headers;
    if (type != "none")
        headers["content-type"] = type;
    Status status = DeliverHeaders(headers);
    if (EndsTransfer(status))
        return Finish(status);
    status = DeliverData(m_control.body.data(), m_control.body.size());
    if (EndsTransfer(status))
        return Finish(status);
    if (!WaitOrAbort(m_control.finish))
        return FinishAborted();
    FinishKeepingResult();
}

namespace {

ContentTypeRegistration RegisterTestType(const char* prefix, uint32_t caps) {
    return ContentTypeTable().Register(
        {PrefixMatcher(prefix),
         [caps](const std::string& url, const std::string& type) -> std::unique_ptr<CMimeObject> {
             return std::make_unique<CTestTextObject>(url, type, caps);
         },
         caps, prefix});
}

} // namespace

PipelineTest::PipelineTest()
    : m_notify(
          [this](uint32_t) {
              // As the status bar does: a pass without a text leaves the last one.
              if (std::string status = Scheduler().Pump(); !status.empty())
                  m_lastStatus = status;
          },
          0, "DynamicLoadNotify") {
    SetCurrentSettings(&m_settings);
    SetCurrentUi(&m_ui);
    CreateObjectTable();
    Scheduler().SetNotifyEvent(&m_notify);
    m_types.push_back(RegisterSaveToFileType());
    m_types.push_back(RegisterLaunchFtpType());
    m_types.push_back(RegisterTestType("image/gif", Caps::Document | Caps::InlineImage));
    m_types.push_back(RegisterTestType("text/html", Caps::Document));
    m_protocols.push_back(RegisterFtpProtocol());
    m_protocols.push_back(RegisterFileProtocol());
    m_protocols.push_back(RegisterAboutProtocol());
    m_protocols.push_back(ProtocolTable().Register(
        {PrefixMatcher("gate:"),
         [this](CDynamicLoad& load) -> std::unique_ptr<CLoadWorker> {
             return std::make_unique<CGateWorker>(load, load.Url(), m_gate);
         },
         "Gate"}));
}

PipelineTest::~PipelineTest() {
    Scheduler().SetNotifyEvent(nullptr);
    DestroyObjectTable();
    SetCurrentUi(nullptr);
    SetCurrentSettings(nullptr);
}

void PipelineTest::SetMaxConnections(int32_t limit) {
    m_settings.Update([&](CAppSettings::Values& values) { values.maxConnections = limit; });
}

void PipelineTest::RunUntil(const std::function<bool()>& done) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    bool timedOut = false;
    bool quitting = false;
    CHeadlessInput input;
    // Checked after every serviced event and every quiet spell, so the loop
    // ends as soon as the condition holds. One quit only: a second one would
    // still be queued when the next run starts and end it at once.
    CUiLoop loop(
        input,
        [&](long) {
            if (!quitting && (done() || (timedOut = Clock::now() > deadline))) {
                quitting = true;
                PostQuitMessage(0);
            }
            return false;
        },
        10);
    if (done())
        return;
    loop.Run();
    ASSERT_FALSE(timedOut) << "the pipeline did not get there in time";
}

void PipelineTest::RunUntilFinished(CRecordingOwner& owner, CDynamicLoad* load) {
    RunUntil([&] { return owner.Finished(load); });
}
