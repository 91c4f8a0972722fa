// Measures from outside how long a program's event thread goes without handling its X events: it
// sends the program's largest window one _NET_WM_PING after another, which Qt answers from its event
// thread, and times each answer. Usage: ping_probe PID; it runs until SIGTERM or SIGINT, then prints a
// line for each answer slower than 50 ms and a summary line, "pings <count> slowest <ms> ms":
//   slow <sent at> <ms> <ran ms> <queued ms> <blocked share> <first look>
// <sent at> is on CLOCK_MONOTONIC, in seconds. While the answer was awaited, the event thread ran for
// <ran ms> and stood ready to run but waiting for a processor for <queued ms>. From 10 ms late on, the
// probe looks where the thread is every 2 ms: <blocked share> is the share of looks that found it
// asleep on the program's own account, and <first look> the first one, as "S:do_poll" (state,
// kernel wait point), "R:0" (running or ready to run), "S:futex_do_wait+xcb", or "-" when the
// probe, held up itself, never looked. The program's own time is then the time it ran plus the time
// it was blocked. A sleep is not on the program's account when the thread is idle in poll in its
// event loop, the ping not yet come to it, or waits in libxcb until the X server answers a request.
// Telling libxcb's waits needs leave to read the program's memory (root, or Yama's ptrace_scope 0);
// without it they count as the program's own. A virtual machine's processor that its host holds up
// shows as "R" in neither the running nor the queued time: the machine's, not the program's.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>
#include <sys/syscall.h>
#include <sys/uio.h>

#include <csignal>
#include <ctime>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr double kSlowMs = 50;
constexpr double kLateMs = 10; // from when a late answer's cause is looked for
constexpr int kLookEveryMs = 2;
constexpr int kPauseMs = 10;      // between an answer and the next ping
constexpr int kGiveUpMs = 10'000; // an answer this late means the program is gone

double now() {
    timespec time{};
    clock_gettime(CLOCK_MONOTONIC, &time);
    return double(time.tv_sec) + double(time.tv_nsec) / 1e9;
}

// How long the program's event thread has run, and waited ready to run for a processor, in ns.
struct ThreadTimes {
    long long ran = 0;
    long long queued = 0;
};

ThreadTimes threadTimes(long pid) {
    const std::string path = "/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/schedstat";
    ThreadTimes times;
    if (std::FILE* file = std::fopen(path.c_str(), "r")) {
        if (std::fscanf(file, "%lld %lld", &times.ran, &times.queued) != 2)
            times = {};
        std::fclose(file);
    }
    return times;
}

// Where the event thread is at this moment: its state letter and the kernel function it sleeps in,
// as "S:do_poll".
std::string threadWhereabouts(long pid) {
    const std::string task = "/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid);
    std::string where = "?";
    if (std::FILE* stat = std::fopen((task + "/stat").c_str(), "r")) {
        char state = '?';
        if (std::fscanf(stat, "%*d (%*[^)]) %c", &state) == 1)
            where = std::string(1, state);
        std::fclose(stat);
    }
    std::ifstream wchan(task + "/wchan");
    if (std::string function; wchan >> function)
        where += ":" + function;
    return where;
}

// Whether the thread sleeps in poll: an event loop waiting for events, so nothing holds it up.
bool idleInItsLoop(const std::string& whereabouts) {
    return whereabouts.starts_with("S:") && whereabouts.find("poll") != std::string::npos;
}

// A stretch of the process's code and the name of the file it comes from.
struct CodeMapping {
    unsigned long begin = 0;
    unsigned long end = 0;
    std::string file;
};

// The process's executable mappings, read once from /proc/<pid>/maps.
std::vector<CodeMapping> codeMappings(const std::string& process) {
    std::vector<CodeMapping> mappings;
    std::ifstream maps(process + "/maps");
    for (std::string line; std::getline(maps, line);) {
        std::istringstream fields(line);
        std::string range;
        std::string permissions;
        CodeMapping mapping;
        if (!(fields >> range >> permissions) || permissions.size() < 3 || permissions[2] != 'x' ||
            std::sscanf(range.c_str(), "%lx-%lx", &mapping.begin, &mapping.end) != 2)
            continue;
        const std::size_t slash = line.rfind('/');
        mapping.file = slash == std::string::npos ? "?" : line.substr(slash + 1);
        mappings.push_back(std::move(mapping));
    }
    return mappings;
}

// Whether the thread sleeps in a futex inside libxcb: waiting for the X server's answer to a request,
// which Qt's event reader thread reads for it. Its stack is looked through from the stack pointer up
// for the first return address outside the C library.
bool waitsForXServer(long pid) {
    const std::string process = "/proc/" + std::to_string(pid);
    std::ifstream call(process + "/task/" + std::to_string(pid) + "/syscall");
    long number = -1;
    std::string argument;
    unsigned long stackPointer = 0;
    if (!(call >> number) || number != SYS_futex)
        return false;
    for (int i = 0; i < 6; ++i)
        call >> argument;
    if (!(call >> std::hex >> stackPointer))
        return false;
    // Read in pieces, so that the end of the stack's mapping only shortens what is read.
    constexpr std::size_t kPieces = 16;
    std::array<unsigned long, 2048> words{};
    const std::size_t pieceBytes = sizeof words / kPieces;
    iovec local{words.data(), sizeof words};
    std::array<iovec, kPieces> remote{};
    for (std::size_t i = 0; i < kPieces; ++i)
        remote.at(i) = {
            reinterpret_cast<void*>(stackPointer + i * pieceBytes), // NOLINT(performance-no-int-to-ptr)
            pieceBytes};
    const ssize_t read = process_vm_readv(pid_t(pid), &local, 1, remote.data(), kPieces, 0);
    if (read <= 0)
        return false;
    const std::vector<CodeMapping> mappings = codeMappings(process);
    for (std::size_t i = 0; i < std::size_t(read) / sizeof(unsigned long); ++i) {
        const auto code = std::find_if(mappings.begin(), mappings.end(), [&](const CodeMapping& mapping) {
            return words.at(i) >= mapping.begin && words.at(i) < mapping.end;
        });
        if (code != mappings.end() && !code->file.starts_with("libc.so") &&
            !code->file.starts_with("ld-linux"))
            return code->file.starts_with("libxcb.so");
    }
    return false;
}

// What the probe saw of the event thread while an answer was late.
struct LateAnswer {
    int looks = 0;           // how often it looked
    int blockedLooks = 0;    // how often the thread was asleep on the program's own account
    std::string first = "-"; // where the thread was at the first look
};

std::optional<long> cardinal(Display* display, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    std::optional<long> value;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_CARDINAL, &type, &format, &count, &left,
                           &data) == Success &&
        data != nullptr && count == 1 && format == 32)
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
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) != 0) {
        long bestArea = 0;
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes{};
            if (XGetWindowAttributes(display, children[i], &attributes) == 0 ||
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

// Waits for the answer to the ping with the given serial, looking where the program's event thread is
// every few milliseconds once the answer is late; false when none came in time or a stop was asked for.
bool awaitAnswer(Display* display, Atom protocols, Atom ping, long serial, const sigset_t& stopping, long pid,
                 LateAnswer& late) {
    const double start = now();
    const double deadline = start + kGiveUpMs / 1000.0;
    while (now() < deadline && !stopAsked(stopping)) {
        if ((now() - start) * 1000 > kLateMs) {
            std::string where = threadWhereabouts(pid);
            const bool forXServer = where.find("futex") != std::string::npos && waitsForXServer(pid);
            if (forXServer)
                where += "+xcb";
            if (late.looks++ == 0)
                late.first = where;
            const bool asleep = where.starts_with("S:") || where.starts_with("D:");
            late.blockedLooks += asleep && !idleInItsLoop(where) && !forXServer ? 1 : 0;
        }
        while (XPending(display) != 0) {
            XEvent event;
            XNextEvent(display, &event);
            const XClientMessageEvent& message = event.xclient;
            if (event.type == ClientMessage && message.message_type == protocols &&
                Atom(message.data.l[0]) == ping && message.data.l[1] == serial)
                return true;
        }
        pollfd descriptor{ConnectionNumber(display), POLLIN, 0};
        poll(&descriptor, 1, kLookEveryMs);
    }
    return false;
}

void sendPing(Display* display, Window target, Atom protocols, Atom ping, long serial) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = target;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(ping);
    event.xclient.data.l[1] = serial;
    event.xclient.data.l[2] = long(target);
    XSendEvent(display, target, False, NoEventMask, &event);
    XFlush(display);
}

struct SlowAnswer {
    double sent;
    double ms;
    double ranMs;
    double queuedMs;
    double blockedShare;
    std::string firstLook;
};

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

    std::vector<SlowAnswer> slow;
    double slowest = 0;
    long serial = 0;
    for (;; ++serial) {
        const ThreadTimes before = threadTimes(pid);
        LateAnswer late;
        const double sent = now();
        sendPing(display, target, protocols, ping, serial);
        if (!awaitAnswer(display, protocols, ping, serial, stopping, pid, late))
            break;
        const double ms = (now() - sent) * 1000;
        slowest = std::max(slowest, ms);
        if (ms > kSlowMs) {
            const ThreadTimes after = threadTimes(pid);
            slow.push_back({sent, ms, double(after.ran - before.ran) / 1e6,
                            double(after.queued - before.queued) / 1e6,
                            late.looks > 0 ? double(late.blockedLooks) / late.looks : 0.0, late.first});
        }
        const timespec pause{0, kPauseMs * 1'000'000L};
        if (sigtimedwait(&stopping, nullptr, &pause) > 0)
            break;
    }
    for (const SlowAnswer& answer : slow)
        std::printf("slow %.3f %.1f %.1f %.1f %.2f %s\n", answer.sent, answer.ms, answer.ranMs,
                    answer.queuedMs, answer.blockedShare, answer.firstLook.c_str());
    std::printf("pings %ld slowest %.1f ms\n", serial, slowest);
    XCloseDisplay(display);
    return 0;
}
