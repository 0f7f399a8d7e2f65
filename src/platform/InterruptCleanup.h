#pragma once
// Removes the half-written file of an export when the process is stopped by
// SIGINT, SIGTERM or SIGHUP (on Windows: Ctrl+C, Ctrl+Break or the console
// closing), then lets the process end as it would have (so the exit status
// is the usual one for that signal). The path sits in a fixed buffer so that
// the handler needs nothing but the system's remove call.
// One file is tracked at a time: exports never run side by side.

#include <QString>

namespace nbr {

class InterruptCleanup {
public:
    // Once, early in main(). Signals that were ignored when the program
    // started (nohup) stay ignored. SIGPIPE is ignored too: a closed standard
    // error must not end a complete export, a failed write to it is harmless.
    static void install();

    // The file to remove on a signal, until untrack(). A path too long for
    // the buffer is not tracked.
    static void track(const QString& path);
    static void untrack();
};

} // namespace nbr
