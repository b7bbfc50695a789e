#include "support/PipelineFixture.h"

#include "platform/CStringTable.h"
#include "platform/StringIds.h"

namespace {

CMimeDynamicLoad* StartLoad(CRecordingOwner& owner, const std::string& url,
                            uint32_t requiredCaps = 0) {
    auto* load = owner.NewLoad<CMimeDynamicLoad>(url, Method::Get, "", "", false, requiredCaps);
    Scheduler().Start(load);
    return load;
}

} // namespace

class Scheduling : public PipelineTest {
protected:
    // Two loads of url, the second started once the first's object exists,
    // while its transfer still runs (its end waits for the gate's finish).
    std::pair<CMimeDynamicLoad*, CMimeDynamicLoad*>
    StartSecondWhileFirstArrives(CRecordingOwner& owner, const std::string& url) {
        auto* first = StartLoad(owner, url);
        m_gate.gate.Set();
        RunUntil([&] { return first->GetObject() != nullptr; });
        return {first, StartLoad(owner, url)};
    }
};

TEST_F(Scheduling, SameUrlWhileRunningAttachesToOneTransfer) {
    CRecordingOwner owner;
    const auto [first, second] = StartSecondWhileFirstArrives(owner, "gate:image/gif/a.gif");
    EXPECT_EQ(Scheduler().ActiveCount(), 1u) << "the first transfer still runs";
    m_gate.finish.Set();
    RunUntilFinished(owner, first);
    RunUntilFinished(owner, second);
    EXPECT_EQ(m_gate.transfers, 1);
    EXPECT_EQ(second->GetObject(), first->GetObject());
    EXPECT_TRUE(owner.FlagsOf(second) & Notify::Attached);
    EXPECT_EQ(second->Result(), Status::Complete);
}

TEST_F(Scheduling, ALoadAttachedToAPageStillArrivingHearsItsLaterElements) {
    CRecordingOwner owner;
    // Plain names: the lambdas below take them, which clang 14 refuses for
    // structured bindings.
    const auto loads = StartSecondWhileFirstArrives(owner, "gate:text/html/page");
    CMimeDynamicLoad* first = loads.first;
    CMimeDynamicLoad* second = loads.second;
    RunUntilFinished(owner, second);
    ASSERT_EQ(second->GetObject(), first->GetObject());
    const size_t heardBefore = owner.notices.size();
    // The page's end is written through the first load only.
    m_gate.finish.Set();
    RunUntilFinished(owner, first);
    RunUntil([&] {
        return std::any_of(owner.notices.begin() + static_cast<ptrdiff_t>(heardBefore),
                           owner.notices.end(), [&](const auto& notice) {
                               return notice.load == second &&
                                      (notice.flags & Notify::ElementsAdded);
                           });
    });
}

TEST_F(Scheduling, ThirdLoadWaitsForASlotAndStartsWhenOneFinishes) {
    SetMaxConnections(2);
    CRecordingOwner owner;
    auto* a = StartLoad(owner, "gate:text/html/a");
    auto* b = StartLoad(owner, "gate:text/html/b");
    auto* c = StartLoad(owner, "gate:text/html/c");
    EXPECT_EQ(Scheduler().ActiveCount(), 2u);
    EXPECT_EQ(Scheduler().WaitingCount(), 1u);
    EXPECT_EQ(c->Result(), Status::Unknown);
    m_gate.Open();
    RunUntil([&] { return owner.Finished(a) && owner.Finished(b) && owner.Finished(c); });
    EXPECT_EQ(m_gate.transfers, 3);
    EXPECT_EQ(c->Result(), Status::Complete);
}

TEST_F(Scheduling, CancellingAnActiveLoadStartsTheWaitingOne) {
    SetMaxConnections(2);
    CRecordingOwner owner;
    auto* a = StartLoad(owner, "gate:text/html/a");
    StartLoad(owner, "gate:text/html/b");
    auto* c = StartLoad(owner, "gate:text/html/c");
    Scheduler().Cancel(a);
    EXPECT_EQ(a->Result(), Status::Failed);
    EXPECT_EQ(Scheduler().WaitingCount(), 0u);
    EXPECT_EQ(Scheduler().ActiveCount(), 2u);
    m_gate.Open();
    RunUntilFinished(owner, c);
    EXPECT_EQ(c->Result(), Status::Complete);
    EXPECT_TRUE(owner.Finished(a));
}

TEST_F(Scheduling, CancellingAnActiveLoadStartsOnlyAsManyWaitingOnesAsTheLimitAllows) {
    SetMaxConnections(2);
    CRecordingOwner owner;
    auto* a = StartLoad(owner, "gate:text/html/a");
    StartLoad(owner, "gate:text/html/b");
    StartLoad(owner, "gate:text/html/c");
    auto* d = StartLoad(owner, "gate:text/html/d");
    ASSERT_EQ(Scheduler().WaitingCount(), 2u);
    Scheduler().Cancel(a);
    EXPECT_EQ(Scheduler().ActiveCount(), 2u);
    EXPECT_EQ(Scheduler().WaitingCount(), 1u);
    EXPECT_EQ(d->Result(), Status::Unknown) << "the second waiting load still waits";
    m_gate.Open();
    RunUntilFinished(owner, d);
    EXPECT_EQ(d->Result(), Status::Complete);
}

TEST_F(Scheduling, CancellingAWaitingLoadCompletesItAsFailed) {
    SetMaxConnections(1);
    CRecordingOwner owner;
    StartLoad(owner, "gate:text/html/a");
    auto* waiting = StartLoad(owner, "gate:text/html/b");
    RunUntil([&] { return m_gate.transfers == 1; });
    Scheduler().Cancel(waiting);
    RunUntilFinished(owner, waiting);
    EXPECT_EQ(waiting->Result(), Status::Failed);
    EXPECT_EQ(m_gate.transfers, 1);
    Scheduler().CancelAll();
    EXPECT_FALSE(Scheduler().AnyActive());
}

TEST_F(Scheduling, UnknownSchemeFailsWithMessageNamingUrlWithoutFragment) {
    CRecordingOwner owner;
    auto* load = StartLoad(owner, "gopher://example.org/1#part");
    RunUntilFinished(owner, load);
    EXPECT_EQ(load->Result(), Status::Failed);
    EXPECT_EQ(load->ErrorText(),
              FormatString(StringId::UnsupportedProtocol, {"gopher://example.org/1"}));
    EXPECT_NE(load->ErrorText().find("\"gopher://example.org/1\""), std::string::npos);
    EXPECT_EQ(load->Fragment(), "part");
}

TEST_F(Scheduling, UntypedResponseIsSavedButFailsAsAnInlineImage) {
    m_gate.Open();
    CRecordingOwner owner;
    auto* page = StartLoad(owner, "gate:none/data.bin");
    auto* image = StartLoad(owner, "gate:none/picture", Caps::InlineImage);
    RunUntil([&] { return owner.Finished(page) && owner.Finished(image); });
    ASSERT_NE(page->GetObject(), nullptr);
    EXPECT_EQ(page->GetObject()->ContentType(), "unknown");
    EXPECT_EQ(page->GetObject()->GetCaps(), Caps::Action);
    EXPECT_EQ(page->Result(), Status::Complete);
    EXPECT_EQ(image->GetObject(), nullptr);
    EXPECT_EQ(image->Result(), Status::Failed);
}

TEST_F(Scheduling, OwnerMayDeleteTheLoadWhileBeingNotified) {
    m_gate.Open();
    CRecordingOwner owner;
    owner.onNotify = [&](uint32_t flags, CDynamicLoad* load) {
        if (flags & Notify::Finished)
            owner.Delete(load);
    };
    StartLoad(owner, "gate:text/html/x");
    StartLoad(owner, "gate:text/html/y");
    RunUntil([&] { return owner.Loads().empty(); });
    EXPECT_EQ(ObjectTable()->CachedCount(), 2u);
}

TEST_F(Scheduling, BitsAnnouncedAsTheDataEndsReachTheOwner) {
    m_gate.Open();
    CRecordingOwner owner;
    auto* load = StartLoad(owner, "gate:text/html/last");
    RunUntilFinished(owner, load);
    EXPECT_TRUE(owner.FlagsOf(load) & Notify::ElementsAdded);
}

TEST_F(Scheduling, AcceptHeaderFollowsTheTable) {
    EXPECT_EQ(AcceptHeaderValue(), "text/html, image/gif, internal/launch-ftp, */*");
}

using ObjectCache = PipelineTest;

TEST_F(ObjectCache, FinishedObjectIsReusedWithoutTransfer) {
    m_gate.Open();
    CRecordingOwner owner;
    auto* first = StartLoad(owner, "gate:text/html/page");
    RunUntilFinished(owner, first);
    CMimeObject* object = first->GetObject();
    owner.Delete(first);
    EXPECT_EQ(ObjectTable()->CachedCount(), 1u);
    auto* again = StartLoad(owner, "gate:text/html/page#frag");
    EXPECT_EQ(again->GetObject(), object) << "served at Start, before any pump";
    RunUntilFinished(owner, again);
    EXPECT_EQ(m_gate.transfers, 1);
    EXPECT_EQ(again->Result(), Status::Complete);
    EXPECT_EQ(ObjectTable()->CachedCount(), 0u);
}

TEST_F(ObjectCache, DifferentRequestOfSameUrlIsNotReused) {
    m_gate.Open();
    CRecordingOwner owner;
    auto* get = StartLoad(owner, "gate:text/html/form");
    RunUntilFinished(owner, get);
    owner.Delete(get);
    auto* post = owner.NewLoad<CMimeDynamicLoad>("gate:text/html/form", Method::Post, "", "a=1");
    Scheduler().Start(post);
    RunUntilFinished(owner, post);
    EXPECT_EQ(m_gate.transfers, 2);
}

TEST_F(ObjectCache, FiftyFirstEvictsTheOldest) {
    m_gate.Open();
    CRecordingOwner owner;
    auto load = [&](int i) {
        auto* l = StartLoad(owner, "gate:text/html/" + std::to_string(i));
        RunUntilFinished(owner, l);
        owner.Delete(l);
    };
    for (int i = 0; i < 51; ++i)
        load(i);
    EXPECT_EQ(ObjectTable()->CachedCount(), CObjectTable::CacheLimit);
    int before = m_gate.transfers;
    load(50);
    EXPECT_EQ(m_gate.transfers, before) << "the newest is still cached";
    load(0);
    EXPECT_EQ(m_gate.transfers, before + 1) << "the oldest was evicted";
}

TEST_F(ObjectCache, IncompleteOrUncacheableObjectIsDeleted) {
    CRecordingOwner owner;
    auto* cancelled = StartLoad(owner, "gate:text/html/slow");
    m_gate.gate.Set();
    RunUntil([&] { return cancelled->GetObject() != nullptr; });
    Scheduler().Cancel(cancelled);
    owner.Delete(cancelled);
    m_gate.finish.Set();
    auto* uncacheable = StartLoad(owner, "gate:text/html/private");
    RunUntilFinished(owner, uncacheable);
    uncacheable->DisableCaching();
    owner.Delete(uncacheable);
    EXPECT_EQ(ObjectTable()->CachedCount(), 0u);
    EXPECT_EQ(ObjectTable()->InUseCount(), 0u);
}

TEST_F(ObjectCache, FlushForcesANewTransfer) {
    m_gate.Open();
    CRecordingOwner owner;
    auto* first = StartLoad(owner, "gate:text/html/f");
    RunUntilFinished(owner, first);
    owner.Delete(first);
    FlushObject("gate:text/html/f", Method::Get, "", "");
    EXPECT_EQ(ObjectTable()->CachedCount(), 0u);
}

TEST_F(ObjectCache, PostResultFromHistoryNoLongerHeldShowsNotice) {
    CRecordingOwner owner;
    auto* load =
        owner.NewLoad<CMimeDynamicLoad>("gate:text/html/result", Method::Post, "", "q=1", true, 0);
    Scheduler().Start(load);
    RunUntilFinished(owner, load);
    EXPECT_EQ(m_gate.transfers, 0);
    auto* notice = dynamic_cast<CTestTextObject*>(load->GetObject());
    ASSERT_NE(notice, nullptr);
    EXPECT_EQ(notice->ContentType(), "text/html");
    EXPECT_EQ(notice->Data().size(), 88u);
    EXPECT_EQ(notice->Data(), CMimeDynamicLoad::PostNotice);
    EXPECT_EQ(notice->GetStatus(), Status::Failed);
    EXPECT_TRUE(owner.FlagsOf(load) & Notify::Attached);
    owner.Delete(load);
    EXPECT_EQ(ObjectTable()->CachedCount(), 0u) << "the notice never stands in for the result";
}

// A batch holds this thread's wake-ups of the pump until its end, then gives
// one; nested batches give it at the outermost end; with nothing asked for,
// nothing is given.
TEST_F(Scheduling, ASignalBatchWakesThePumpOnceAtItsEnd) {
    RunUntil([&] { return !m_notify.IsSignalled(); });
    {
        CSignalBatch outer;
        Scheduler().Signal();
        {
            CSignalBatch inner;
            Scheduler().Signal();
        }
        EXPECT_FALSE(m_notify.IsSignalled()) << "woken inside the batch";
    }
    EXPECT_TRUE(m_notify.IsSignalled());
    m_notify.Service();
    { CSignalBatch quiet; }
    EXPECT_FALSE(m_notify.IsSignalled());
}

// A paced batch holds its wake-up when this thread woke the pump less than a
// frame ago, until the thread's next signal outside a batch (a load's end);
// an unpaced batch gives it however recent the last one was.
TEST_F(Scheduling, APacedBatchHoldsAWakeUpWithinAFrameUntilTheNextSignal) {
    RunUntil([&] { return !m_notify.IsSignalled(); });
    const auto woken = std::chrono::steady_clock::now();
    Scheduler().Signal();
    m_notify.Service();
    {
        CSignalBatch paced(CSignalBatch::Pace::AtMostOneAFrame);
        Scheduler().Signal();
    }
    if (std::chrono::steady_clock::now() - woken < CUiLoop::ProgressInterval) {
        EXPECT_FALSE(m_notify.IsSignalled()) << "woken twice within a frame";
    }
    { CSignalBatch quiet(CSignalBatch::Pace::AtMostOneAFrame); }
    Scheduler().Signal();
    EXPECT_TRUE(m_notify.IsSignalled()) << "the held wake-up was lost";
    m_notify.Service();
    {
        CSignalBatch batch;
        Scheduler().Signal();
    }
    EXPECT_TRUE(m_notify.IsSignalled());
    m_notify.Service();
}
