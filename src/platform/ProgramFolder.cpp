#include "platform/ProgramFolder.h"

#include <QCoreApplication>

namespace nbr {

namespace {
QString& overrideFolder() {
    static QString folder;
    return folder;
}
} // namespace

QString programFolder() {
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    return QCoreApplication::applicationDirPath();
}

void setProgramFolder(const QString& folder) { overrideFolder() = folder; }

} // namespace nbr
