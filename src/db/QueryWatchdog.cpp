#include "db/QueryWatchdog.h"

namespace nbr {

QueryWatchdog::QueryWatchdog(std::function<void()> cancel)
    : m_cancel(std::move(cancel)), m_thread([this] { run(); }) {}

QueryWatchdog::~QueryWatchdog() {
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_one();
    m_thread.join();
}

void QueryWatchdog::start(int seconds) {
    {
        const std::lock_guard lock(m_mutex);
        m_deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        m_fired = false;
    }
    m_changed.notify_one();
}

bool QueryWatchdog::stop() {
    const std::lock_guard lock(m_mutex);
    m_deadline.reset();
    return m_fired;
}

void QueryWatchdog::run() {
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        if (!m_deadline) {
            m_changed.wait(lock);
        } else if (std::chrono::steady_clock::now() < *m_deadline) {
            m_changed.wait_until(lock, *m_deadline);
        } else {
            m_cancel();
            m_fired = true;
            m_deadline.reset();
        }
    }
}

} // namespace nbr
