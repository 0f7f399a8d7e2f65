#pragma once
// Cancels a statement that runs past its time limit, for drivers that accept
// a query time-out without keeping it (Debian's SQLite3 ODBC driver answers
// success and reads back 0). A thread of its own waits for the deadline of
// the statement under watch and, when it passes first, calls the cancel
// function once. The cancel runs under the watchdog's lock, so a statement
// that ends meanwhile waits for it in stop() and the next one never gets it.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace nbr {

class QueryWatchdog {
public:
    explicit QueryWatchdog(std::function<void()> cancel);
    ~QueryWatchdog();
    QueryWatchdog(const QueryWatchdog&) = delete;
    QueryWatchdog& operator=(const QueryWatchdog&) = delete;

    // Watches the statement that starts now for the given seconds.
    void start(int seconds);
    // The statement has ended; true when it was cancelled for its time.
    [[nodiscard]] bool stop();

private:
    void run();

    std::function<void()> m_cancel;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::optional<std::chrono::steady_clock::time_point> m_deadline;
    bool m_fired = false;
    bool m_quit = false;
    std::thread m_thread; // last: starts once the members above exist
};

} // namespace nbr
