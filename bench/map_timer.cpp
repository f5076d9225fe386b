// bench-map-timer: starts a program and reports how long it took until the X server mapped a
// top-level window, and the program's peak memory a moment later. It listens for MapNotify on
// the root window, so it sees the map the moment it happens; polling for the window would not.
//
//   bench-map-timer [--hold MS] PROGRAM [ARGUMENTS...]
//
// Prints "map_ms <ms>", "map_cpu_ms <ms>" (the program's CPU time, all its threads, up to the
// map: on a loaded machine it varies far less than the wall time), "hwm_kb <VmHWM>" and
// "rss_kb <VmRSS>", then ends the program.
#include <X11/Xlib.h>

#include <dirent.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr int mapTimeoutMs = 20000;

double nowMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + now.tv_nsec / 1e6;
}

// A field of /proc/<pid>/status in kB, or -1.
long statusKb(pid_t pid, const char *field)
{
    const std::string path = "/proc/" + std::to_string(pid) + "/status";
    FILE *status = std::fopen(path.c_str(), "r");
    if (!status)
        return -1;
    char line[256];
    long value = -1;
    const size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            value = std::strtol(line + length + 1, nullptr, 10);
            break;
        }
    }
    std::fclose(status);
    return value;
}

// The CPU time of all the program's threads so far in ms, from the scheduler's nanosecond
// counts (/proc/PID/stat counts 10 ms ticks); -1 when it cannot be read.
double cpuMs(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR *folder = ::opendir(tasks.c_str());
    if (!folder)
        return -1;
    double ns = 0;
    while (const dirent *task = ::readdir(folder)) {
        if (task->d_name[0] == '.')
            continue;
        FILE *stat = std::fopen((tasks + '/' + task->d_name + "/schedstat").c_str(), "r");
        if (!stat)
            continue;
        unsigned long long run = 0;
        if (std::fscanf(stat, "%llu", &run) == 1)
            ns += double(run);
        std::fclose(stat);
    }
    ::closedir(folder);
    return ns / 1e6;
}

// Waits for the MapNotify of a top-level window that is not an override-redirect popup.
// Returns false when the program ended first or the time ran out.
bool waitForMap(Display *display, pid_t child)
{
    const double deadline = nowMs() + mapTimeoutMs;
    for (;;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && !event.xmap.override_redirect)
                return true;
        }
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "bench-map-timer: the program ended before it mapped a window\n");
            return false;
        }
        const double left = deadline - nowMs();
        if (left <= 0) {
            std::fprintf(stderr, "bench-map-timer: no window mapped within %d ms\n", mapTimeoutMs);
            return false;
        }
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        ::poll(&fd, 1, left < 50 ? int(left) + 1 : 50);
    }
}

void endProgram(pid_t child)
{
    ::kill(child, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (::waitpid(child, nullptr, WNOHANG) == child)
            return;
        ::usleep(10000);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

} // namespace

int main(int argc, char **argv)
{
    int argument = 1;
    int holdMs = 500;
    if (argc > 2 && std::strcmp(argv[1], "--hold") == 0) {
        holdMs = std::atoi(argv[2]);
        argument = 3;
    }
    if (argument >= argc) {
        std::fprintf(stderr, "usage: bench-map-timer [--hold MS] PROGRAM [ARGUMENTS...]\n");
        return 64;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "bench-map-timer: cannot open the display\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const double start = nowMs();
    const pid_t child = ::fork();
    if (child < 0) {
        std::perror("fork");
        return 1;
    }
    if (child == 0) {
        ::execvp(argv[argument], argv + argument);
        std::fprintf(stderr, "bench-map-timer: %s: %s\n", argv[argument], std::strerror(errno));
        ::_exit(127);
    }
    const bool mapped = waitForMap(display, child);
    const double mapMs = nowMs() - start;
    const double mapCpuMs = cpuMs(child);
    if (!mapped) {
        endProgram(child);
        return 1;
    }
    // Peak memory a moment after the map: the first paint and idle start-up work are done.
    ::usleep(static_cast<useconds_t>(holdMs) * 1000);
    const long hwm = statusKb(child, "VmHWM");
    const long rss = statusKb(child, "VmRSS");
    endProgram(child);
    XCloseDisplay(display);
    std::printf(
        "map_ms %.2f\nmap_cpu_ms %.2f\nhwm_kb %ld\nrss_kb %ld\n", mapMs, mapCpuMs, hwm, rss);
    return 0;
}
