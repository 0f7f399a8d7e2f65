#pragma once
// Removes the half-written file of an export when the process is stopped by
// SIGINT, SIGTERM or SIGHUP, then lets the signal end the process as it
// would have (so the exit status is the usual one for that signal). The path
// sits in a fixed buffer so that the handler needs nothing but unlink(2).
// One file is tracked at a time: exports never run side by side.

#include <QByteArray>

namespace nbr {

class InterruptCleanup {
public:
    // Once, early in main(). Signals that were ignored when the program
    // started (nohup) stay ignored. SIGPIPE is ignored too: a closed standard
    // error must not end a complete export, a failed write to it is harmless.
    static void install();

    // The file to remove on a signal (encoded for the file system), until
    // untrack(). A path too long for the buffer is not tracked.
    static void track(const QByteArray& path);
    static void untrack();
};

} // namespace nbr
