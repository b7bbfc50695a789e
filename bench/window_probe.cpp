// Starts a program and prints the seconds until a top-level window of the
// display gets the title given. It waits on X events, not by polling, so on
// a machine of two cores it takes nothing from the program it measures.
// Then the program's resident size in KiB, read a moment later (the page is
// painted in the pass that sets the title; the moment lets the paint finish).
//   window_probe TITLE PROGRAM [ARGUMENT...]
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string WindowTitle(Display* display, Window window) {
    Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    for (auto [name, type] :
         {std::pair{netName, utf8}, std::pair{Atom(XA_WM_NAME), Atom(XA_STRING)}}) {
        Atom actual = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, window, name, 0, 1024, False, type, &actual, &format,
                               &count, &after, &data) == Success &&
            data) {
            std::string title(reinterpret_cast<char*>(data), count);
            XFree(data);
            if (actual != None)
                return title;
        }
    }
    return {};
}

// The "Rss:" line of the process's memory summary, in KiB; 0 if unread.
long ResidentKib(pid_t process) {
    std::ifstream summary("/proc/" + std::to_string(process) + "/smaps_rollup");
    std::string word;
    long kib = 0;
    while (summary >> word)
        if (word == "Rss:" && summary >> kib)
            return kib;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_probe TITLE PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "window_probe: no display\n");
        return 1;
    }
    // Windows that fail while being asked about are ones already gone.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        execv(argv[2], argv + 2);
        std::perror("window_probe: exec");
        _exit(127);
    }
    const std::string wanted = argv[1];
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        Window window = None;
        if (event.type == CreateNotify) {
            window = event.xcreatewindow.window;
            // Asked for property changes first, then read once: a title set
            // in between is seen either way.
            XSelectInput(display, window, PropertyChangeMask);
            XSync(display, False);
        } else if (event.type == PropertyNotify) {
            window = event.xproperty.window;
        } else {
            continue;
        }
        if (WindowTitle(display, window) == wanted)
            break;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    XCloseDisplay(display);
    usleep(300 * 1000);
    std::printf("%.4f %ld\n", elapsed.count(), ResidentKib(child));
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    return 0;
}
