#pragma once
// What the workbook exports report: a failure as number and description (the
// window shows both in its error message), whether a finished export had to
// cut texts too long for a cell, and their progress, one call per grid row as
// it is written.

#include <QString>
#include <functional>
#include <optional>

namespace nbr {

struct ExportError {
    int number = 0;
    QString description;
};

struct ExportResult {
    std::optional<ExportError> error; // nothing was written when set
    bool textsTruncated = false;      // some text was cut to a cell's 32 767 characters
};

// The line both the window and the headless export add to their success
// report when texts were cut.
inline QString truncationNote() {
    return QStringLiteral("（部分超长文本已截断为 32767 个字符）");
}

using ExportProgress = std::function<void(int row)>;

} // namespace nbr
