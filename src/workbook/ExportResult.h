#pragma once
// What a finished workbook export reports: whether it had to cut texts too
// long for a cell; and its progress, one call per grid row as it is written.
// A failed export throws FileError and writes nothing.

#include <QString>
#include <functional>

namespace nbr {

struct ExportResult {
    bool textsTruncated = false; // some text was cut to a cell's 32 767 characters
};

// The line both the window and the headless export add to their success
// report when texts were cut.
inline QString truncationNote() {
    return QStringLiteral("（部分超长文本已截断为 32767 个字符）");
}

using ExportProgress = std::function<void(int row)>;

} // namespace nbr
