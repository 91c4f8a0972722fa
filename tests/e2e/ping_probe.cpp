// Measures from outside how long a program's event thread goes without handling its X events: it
// sends the program's largest window one _NET_WM_PING after another, which Qt answers from its event
// thread, and times each answer. Usage: ping_probe PID; it runs until SIGTERM or SIGINT, then prints
// one line per answer slower than 50 ms ("slow <sent at> <ms>", sent at on CLOCK_MONOTONIC in seconds)
// and a summary line ("pings <count> slowest <ms> ms").
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>
#include <signal.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

namespace {

constexpr double kSlowMs = 50;
constexpr int kPauseMs = 10;      // between an answer and the next ping
constexpr int kGiveUpMs = 10'000; // an answer this late means the program is gone

double now() {
    timespec time{};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return double(time.tv_sec) + double(time.tv_nsec) / 1e9;
}

std::optional<long> cardinal(Display* display, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    std::optional<long> value;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_CARDINAL, &type, &format, &count, &left,
                           &data) == Success &&
        data && count == 1 && format == 32)
        value = *reinterpret_cast<long*>(data);
    if (data)
        XFree(data);
    return value;
}

// The biggest viewable top-level window of the process: the board, once it is shown.
Window largestWindowOf(Display* display, long pid) {
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Window best = None;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        long bestArea = 0;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes{};
            if (!XGetWindowAttributes(display, children[i], &attributes) ||
                attributes.map_state != IsViewable || cardinal(display, children[i], pidAtom) != pid)
                continue;
            const long area = long(attributes.width) * attributes.height;
            if (area > bestArea) {
                best = children[i];
                bestArea = area;
            }
        }
    }
    if (children)
        XFree(children);
    return best;
}

// Whether SIGTERM or SIGINT, blocked from the start, has come.
bool stopAsked(const sigset_t& stopping) {
    const timespec noWait{0, 0};
    return sigtimedwait(&stopping, nullptr, &noWait) > 0;
}

// The window may go before the probe does; its errors are no reason to end.
int ignoreError(Display* /*display*/, XErrorEvent* /*error*/) {
    return 0;
}

// Waits for the answer to the ping with the given serial; false when none came in time or a stop
// was asked for.
bool awaitAnswer(Display* display, Atom protocols, Atom ping, long serial, const sigset_t& stopping) {
    const double deadline = now() + kGiveUpMs / 1000.0;
    while (now() < deadline && !stopAsked(stopping)) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            const XClientMessageEvent& message = event.xclient;
            if (event.type == ClientMessage && message.message_type == protocols &&
                Atom(message.data.l[0]) == ping && message.data.l[1] == serial)
                return true;
        }
        pollfd descriptor{ConnectionNumber(display), POLLIN, 0};
        poll(&descriptor, 1, 5);
    }
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ping_probe PID\n");
        return 2;
    }
    const long pid = std::strtol(argv[1], nullptr, 10);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "ping_probe: no X display\n");
        return 2;
    }
    sigset_t stopping;
    sigemptyset(&stopping);
    sigaddset(&stopping, SIGTERM);
    sigaddset(&stopping, SIGINT);
    sigprocmask(SIG_BLOCK, &stopping, nullptr);
    XSetErrorHandler(ignoreError);
    const Window root = DefaultRootWindow(display);
    const Window target = largestWindowOf(display, pid);
    if (target == None) {
        std::fprintf(stderr, "ping_probe: process %ld shows no window\n", pid);
        return 2;
    }
    // The answers go to the root window, to whoever listens for its changes.
    XSelectInput(display, root, StructureNotifyMask | SubstructureNotifyMask);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(display, "_NET_WM_PING", False);

    std::vector<std::pair<double, double>> slow;
    double slowest = 0;
    long serial = 0;
    for (;; ++serial) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = target;
        event.xclient.message_type = protocols;
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(ping);
        event.xclient.data.l[1] = serial;
        event.xclient.data.l[2] = long(target);
        const double sent = now();
        XSendEvent(display, target, False, NoEventMask, &event);
        XFlush(display);
        if (!awaitAnswer(display, protocols, ping, serial, stopping))
            break;
        const double ms = (now() - sent) * 1000;
        slowest = std::max(slowest, ms);
        if (ms > kSlowMs)
            slow.emplace_back(sent, ms);
        const timespec pause{0, kPauseMs * 1'000'000L};
        if (sigtimedwait(&stopping, nullptr, &pause) > 0)
            break;
    }
    for (const auto& [sent, ms] : slow)
        std::printf("slow %.3f %.1f\n", sent, ms);
    std::printf("pings %ld slowest %.1f ms\n", serial, slowest);
    XCloseDisplay(display);
    return 0;
}
