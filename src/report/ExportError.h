#pragma once
// What the workbook exports report: a failure as number and description (the
// window shows both in its error message) and their progress, one call per
// grid row as it is written.

#include <QString>
#include <functional>

namespace nbr {

struct ExportError {
    int number = 0;
    QString description;
};

using ExportProgress = std::function<void(int row)>;

} // namespace nbr
