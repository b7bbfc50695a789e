// The layout runner's end as the UI thread sees it: finished passes first,
// then the last progress call, and only then ended.
#include "view/ViewFixture.h"

#include "platform/CManualResetEvent.h"
#include "view/CLayoutRunner.h"

TEST(LayoutRunnerTest, EndsOnlyAfterItsLastProgressCallHasReturned) {
    CManualResetEvent inProgress;
    CManualResetEvent release;
    bool finishedWhenCalled = false;
    CLayoutRunner* self = nullptr;
    CLayoutRunner runner([&] {
        finishedWhenCalled = self->Finished();
        inProgress.Set();
        release.Wait();
    });
    self = &runner;
    EXPECT_TRUE(runner.Ended()) << "none was started";

    // A picture has no element list, so the first passes reach the end.
    CTestPictureObject content("gif:picture", "image/gif");
    CLayoutEngine layout(&content, nullptr, {}, [] {});
    runner.SetPageComplete(true);
    runner.Start(layout);
    EXPECT_FALSE(runner.Ended());
    runner.Wake();
    inProgress.Wait();
    EXPECT_TRUE(finishedWhenCalled) << "the last progress step must see the end";
    EXPECT_TRUE(runner.Finished());
    EXPECT_FALSE(runner.Ended()) << "the last progress call is still running";
    release.Set();
    runner.Stop();
    EXPECT_TRUE(runner.Ended());
}
