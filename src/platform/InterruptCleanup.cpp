#include "platform/InterruptCleanup.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace nbr {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

char s_path[PATH_MAX];
volatile std::sig_atomic_t s_tracked = 0;

extern "C" void removeTrackedFile(int signal) {
    if (s_tracked)
        ::unlink(s_path);
    // The handler was reset to the default on entry (SA_RESETHAND); the
    // raised signal is delivered as soon as the handler returns.
    ::raise(signal);
}

} // namespace

void InterruptCleanup::install() {
    struct sigaction action {};
    action.sa_handler = removeTrackedFile;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (int s : kSignals)
        sigaddset(&action.sa_mask, s);
    for (int s : kSignals) {
        struct sigaction previous {};
        if (sigaction(s, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
            sigaction(s, &action, nullptr);
    }
    std::signal(SIGPIPE, SIG_IGN);
}

void InterruptCleanup::track(const QByteArray& path) {
    untrack();
    if (size_t(path.size()) >= sizeof s_path)
        return;
    std::memcpy(s_path, path.constData(), size_t(path.size()) + 1);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    s_tracked = 1;
}

void InterruptCleanup::untrack() {
    s_tracked = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
}

} // namespace nbr
