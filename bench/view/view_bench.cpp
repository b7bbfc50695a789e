// One page through the whole program without a window: the time from the
// navigation to the first painted screen and to the complete page (loaded,
// laid out and painted). One page per process, so that no cached object
// helps a later run.
//   view_bench URL-or-FILE  ->  "first_screen_ms complete_ms"
#include "app/CCommandLine.h"
#include "app/CContentHandlers.h"
#include "app/CTarnwickApp.h"
#include "platform/CMessageQueue.h"
#include "platform/CRegistry.h"
#include "platform/CUiLoop.h"
#include "ui/headless/CHeadlessBackend.h"
#include "view/CTarnwickView.h"

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: view_bench URL-or-FILE\n");
        return 2;
    }
    using Clock = std::chrono::steady_clock;
    CHeadlessBackend backend;
    CContentHandlers handlers;
    CRegistry registry(CRegistry::DefaultPath());
    CTarnwickApp app(backend, registry);
    CCommandLine commandLine;
    commandLine.shell = CCommandLine::Shell::Headless;
    if (!app.InitInstance(commandLine))
        return 1;

    std::optional<Clock::duration> firstScreen;
    std::optional<Clock::duration> complete;
    const Clock::time_point start = Clock::now();
    app.OpenUrl(CommandLineTarget(argv[1]));
    CUiLoop loop(
        backend.Input(),
        [&](long) {
            CHeadlessViewWindow* window = backend.View();
            CTarnwickView* view = app.TopView();
            if (!firstScreen && view->HasLayout() && !window->Dirty().IsEmpty()) {
                window->Paint();
                firstScreen = Clock::now() - start;
            }
            if (!complete && app.PageSettled()) {
                window->InvalidateAll();
                window->Paint();
                complete = Clock::now() - start;
                PostQuitMessage(0);
            }
            return false;
        },
        1);
    loop.Run();
    auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    std::printf("%.1f %.1f\n", firstScreen ? ms(*firstScreen) : -1.0, ms(*complete));
    app.ExitInstance();
    return backend.Shown().empty() ? 0 : 1;
}
