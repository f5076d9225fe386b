#include "transport/gensio_loop.h"

#include <gensio/gensio.h>
#include <gensio/gensio_unix.h>
#include <gensio/selector.h>

#include <csignal>
#include <pthread.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

GensioLoop &GensioLoop::shared()
{
    static GensioLoop *const loop = new GensioLoop;
    return *loop;
}

GensioLoop::GensioLoop()
{
    if (sel_alloc_selector_nothread(&selector_) != 0) {
        startError_ = QStringLiteral("the network event loop could not be made");
        return;
    }
    if (gensio_unix_funcs_alloc(selector_, 0, &os_) != 0) {
        startError_ = QStringLiteral("the network library could not start");
        return;
    }
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        startError_ = QStringLiteral("the network event loop could not be made");
        return;
    }
    sel_set_fd_handlers(
        selector_,
        wakeFd_,
        this,
        [](int, void *data) { static_cast<GensioLoop *>(data)->runPosted(); },
        nullptr,
        nullptr,
        nullptr);
    sel_set_fd_read_handler(selector_, wakeFd_, SEL_FD_HANDLER_ENABLED);
    // Signals are for the program's own threads (a peer closing a socket must not raise
    // SIGPIPE here, a Ctrl+C must reach the thread that handles it): the loop thread starts
    // with all of them blocked.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &previous);
    // It runs until the process ends.
    std::thread([this] { run(); }).detach();
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

void GensioLoop::post(std::function<void()> work)
{
    if (!startError_.isEmpty())
        return;
    {
        const std::lock_guard lock(mutex_);
        posted_.push_back(std::move(work));
    }
    const uint64_t one = 1;
    // The counter only overflows after 2^64 - 1 posts nobody ran; a failed write then still
    // leaves the loop woken.
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

void GensioLoop::run()
{
    for (;;)
        sel_select(selector_, nullptr, 0, nullptr, nullptr);
}

void GensioLoop::runPosted()
{
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(wakeFd_, &count, sizeof count);
    std::deque<std::function<void()>> work;
    {
        const std::lock_guard lock(mutex_);
        work.swap(posted_);
    }
    for (auto &item : work)
        item();
}
