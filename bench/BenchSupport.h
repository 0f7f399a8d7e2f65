#pragma once
// Small helpers shared by the benchmarks: timing, peak memory, writing SQLite.

#include <QElapsedTimer>
#include <QString>
#include <algorithm>
#include <functional>
#include <sqlite3.h>
#include <stdexcept>
#include <vector>

#ifdef _WIN32
#include <windows.h> // before psapi.h, which builds on its types

#include <psapi.h>
#else
#include <sys/resource.h>
#endif

namespace nbr::bench {

// One run, in milliseconds.
inline double ms(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median of several runs, in milliseconds.
inline double medianMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(ms(work));
    return median(times);
}

// The process's peak resident memory so far, in KiB.
inline long peakMemoryKb() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return long(counters.PeakWorkingSetSize / 1024);
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#endif
}

// Runs statements on a SQLite file (the program itself never writes).
class SqliteWriter {
public:
    explicit SqliteWriter(const QString& path) {
        if (sqlite3_open(path.toUtf8().constData(), &m_db) != SQLITE_OK)
            throw std::runtime_error("cannot open benchmark database");
        exec("BEGIN");
    }
    ~SqliteWriter() {
        exec("COMMIT");
        sqlite3_close(m_db);
    }
    void exec(const char* sql) {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(m_db));
    }
    void exec(const QString& sql) { exec(sql.toUtf8().constData()); }

private:
    sqlite3* m_db = nullptr;
};

} // namespace nbr::bench
