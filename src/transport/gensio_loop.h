#pragma once

#include <QString>

#include <deque>
#include <functional>
#include <mutex>

struct gensio_os_funcs;
struct selector_s;

// The thread that runs the gensio library's event loop, idle in the kernel until a socket, a
// timer of the library or posted work wakes it. Every call into the library is made on this
// thread: other threads hand work over with post(), which wakes the loop through an eventfd
// it watches beside the sockets. Used from one thread, the library needs no wake-up signal,
// which would have to be blocked and handled in every thread of the program.
class GensioLoop
{
public:
    // The program's one loop, started at the first use. The library keeps state made with
    // the first operating-system handler it is given for the life of the process, so the
    // handler, and the loop with it, are never freed.
    static GensioLoop &shared();

    GensioLoop(const GensioLoop &) = delete;
    GensioLoop &operator=(const GensioLoop &) = delete;

    // Why the loop could not start; empty when it runs.
    QString startError() const { return startError_; }
    // The library's operating-system handler, for use on the loop thread only.
    gensio_os_funcs *os() const { return os_; }

    // Runs the work on the loop thread, in the order posted. Work posted to a loop that
    // did not start is dropped.
    void post(std::function<void()> work);

private:
    GensioLoop();
    ~GensioLoop() = delete;

    void run();
    void runPosted();

    selector_s *selector_ = nullptr;
    gensio_os_funcs *os_ = nullptr;
    int wakeFd_ = -1;
    QString startError_;
    std::mutex mutex_;
    std::deque<std::function<void()>> posted_;
};
