#pragma once
// What a finished workbook export reports: the file it wrote, whether it had
// to cut texts too long for a cell, and a warning when the file is in place
// but its folder could not be flushed; and its progress, one call per grid
// row as it is written (a window thins it out with throttled()). A failed export throws FileError and writes nothing.

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <optional>

namespace nbr {

struct ExportResult {
    QString path;                   // the workbook written, after the extension rule
    bool textsTruncated = false;    // some text was cut to a cell's 32 767 characters
    std::optional<QString> warning; // the file is written, but ...

    // The lines both the window and the headless export add after their
    // success text.
    QStringList notes() const {
        QStringList lines;
        if (textsTruncated)
            lines << QStringLiteral("（部分超长文本已截断为 32767 个字符）");
        if (warning)
            lines << *warning;
        return lines;
    }
};

using ExportProgress = std::function<void(int row)>;

// A progress shown on screen: the first row and then at most one every
// 100 ms are handed on (repainting a bar for every one of 300 000 lines
// costs far more than writing them).
inline ExportProgress throttled(ExportProgress progress) {
    if (!progress)
        return {};
    using Clock = std::chrono::steady_clock;
    return [progress = std::move(progress), last = std::optional<Clock::time_point>()](
               int row) mutable {
        const Clock::time_point now = Clock::now();
        if (last && now - *last < std::chrono::milliseconds(100))
            return;
        last = now;
        progress(row);
    };
}

} // namespace nbr
