// Measures how long programs take from their start to their first window on an X display, and
// their peak memory and the shared libraries they have mapped by then, or SETTLE milliseconds
// later. Usage: map_probe RUNS [--settle=SETTLE] NAME=COMMAND... (each command one word, args after
// a comma: "game=build/brivadoro" "muted=build/brivadoro,--mute"
// "minimal=build/bench/minimal_window,dialog"), each compared with the last.
// The runs of the programs alternate, so that both see the same machine.
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Program {
    std::string name;
    std::vector<std::string> argv;
    std::vector<double> ms;
    std::vector<long> peakKb;
    std::vector<std::size_t> libraries;
};

long peakMemoryKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmHWM:"))
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

// The shared objects mapped into the process, each counted once however many mappings it has.
std::size_t mappedLibraries(pid_t pid) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::set<std::string> libraries;
    std::string line;
    while (std::getline(maps, line)) {
        const std::size_t path = line.find('/');
        if (path != std::string::npos && line.find(".so", path) != std::string::npos)
            libraries.insert(line.substr(path));
    }
    return libraries.size();
}

bool runOnce(Display* display, Program& program, std::chrono::milliseconds settle) {
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, True);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> args;
        // cppcheck-suppress constParameterReference ; execv takes char*, which only a mutable string gives
        const auto writable = [](std::string& arg) { return arg.data(); };
        std::transform(program.argv.begin(), program.argv.end(), std::back_inserter(args), writable);
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    bool mapped = false;
    while (!mapped) {
        XEvent event;
        XNextEvent(display, &event);
        mapped = event.type == MapNotify && event.xmap.override_redirect == False;
    }
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::this_thread::sleep_for(settle);
    program.peakKb.push_back(peakMemoryKb(pid));
    program.libraries.push_back(mappedLibraries(pid));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    program.ms.push_back(ms);
    return true;
}

template <typename T> T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

// cppcheck-suppress constParameter ; main's argv is char*[] by the language
int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: map_probe RUNS [--settle=MS] NAME=COMMAND[,ARG...]...\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "map_probe: no X display\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::chrono::milliseconds settle{0};
    std::vector<Program> programs;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.starts_with("--settle=")) {
            settle = std::chrono::milliseconds(std::atoi(argument.c_str() + 9));
            continue;
        }
        Program program{argument.substr(0, argument.find('=')), {}, {}, {}, {}};
        std::string rest = argument.substr(argument.find('=') + 1);
        for (std::size_t comma; (comma = rest.find(',')) != std::string::npos; rest.erase(0, comma + 1))
            program.argv.push_back(rest.substr(0, comma));
        program.argv.push_back(rest);
        programs.push_back(program);
    }
    for (int run = 0; run < runs; ++run) {
        for (Program& program : programs)
            runOnce(display, program, settle);
    }
    for (const Program& program : programs)
        std::printf("%-10s first window after median %7.1f ms, peak memory median %6ld KiB, libraries median "
                    "%3zu, %lld ms after it (%d runs)\n",
                    program.name.c_str(), median(program.ms), median(program.peakKb),
                    median(program.libraries), static_cast<long long>(settle.count()), runs);
    // Each program against the last, the yardstick.
    const Program& yardstick = programs.back();
    for (std::size_t i = 0; i + 1 < programs.size(); ++i)
        std::printf("ratio %s/%s: time %.2f, memory %.2f\n", programs[i].name.c_str(), yardstick.name.c_str(),
                    median(programs[i].ms) / median(yardstick.ms),
                    double(median(programs[i].peakKb)) / double(median(yardstick.peakKb)));
    XCloseDisplay(display);
    return 0;
}
