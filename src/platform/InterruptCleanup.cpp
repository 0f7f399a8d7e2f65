#include "platform/InterruptCleanup.h"

#include <QFile>
#include <atomic>
#include <csignal>
#include <cstring>

#ifdef _WIN32
#include <QDir>
#include <windows.h>
#else
#include <climits>
#include <unistd.h>
#endif

namespace nbr {

namespace {

volatile std::sig_atomic_t s_tracked = 0;

#ifdef _WIN32

wchar_t s_path[32768];

// Runs on a thread of its own when the console asks the process to stop;
// returning FALSE lets the default handler end the process.
BOOL WINAPI removeTrackedFile(DWORD) {
    if (s_tracked)
        ::DeleteFileW(s_path);
    return FALSE;
}

bool storePath(const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
    if (size_t(native.size()) >= std::size(s_path))
        return false;
    s_path[native.toWCharArray(s_path)] = L'\0';
    return true;
}

#else

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

char s_path[PATH_MAX];

extern "C" void removeTrackedFile(int signal) {
    if (s_tracked)
        ::unlink(s_path);
    // The handler was reset to the default on entry (SA_RESETHAND); the
    // raised signal is delivered as soon as the handler returns.
    ::raise(signal);
}

bool storePath(const QString& path) {
    const QByteArray encoded = QFile::encodeName(path);
    if (size_t(encoded.size()) >= sizeof s_path)
        return false;
    std::memcpy(s_path, encoded.constData(), size_t(encoded.size()) + 1);
    return true;
}

#endif

} // namespace

void InterruptCleanup::install() {
#ifdef _WIN32
    ::SetConsoleCtrlHandler(removeTrackedFile, TRUE);
#else
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
#endif
}

void InterruptCleanup::track(const QString& path) {
    untrack();
    if (!storePath(path))
        return;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    s_tracked = 1;
}

void InterruptCleanup::untrack() {
    s_tracked = 0;
    std::atomic_signal_fence(std::memory_order_seq_cst);
}

} // namespace nbr
