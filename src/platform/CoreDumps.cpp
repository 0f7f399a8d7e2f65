#include "platform/CoreDumps.h"

#ifndef _WIN32
#include <sys/resource.h>
#endif
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace nbr {

void disableCoreDumps() {
#ifndef _WIN32
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
#endif
#ifdef __linux__
    // Also keeps other processes of the same user from reading the memory
    // (ptrace, /proc/PID/mem) and a core pattern that pipes to a handler.
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#endif
    // Windows writes no dump unless Windows Error Reporting is set up to.
}

} // namespace nbr
