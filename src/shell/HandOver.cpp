#include "shell/HandOver.h"

#include "db/DbSettings.h"
#include "platform/ReplacingFile.h"
#include "session/AppContext.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace nbr {

QString handOverFolder(const AppContext& context) {
    const QString configured = readDbSettings(context.settingsFile).handOverDir.trimmed();
    if (configured.isEmpty())
        return context.programFolder;
    return QDir(context.programFolder).filePath(QDir::fromNativeSeparators(configured));
}

QByteArray handOverFileContent() {
    // "注销" in code page 936 (GBK), then CR LF. Spelled as bytes because the
    // host program reads it in that code page whatever the local one is.
    return QByteArray("\xD7\xA2\xCF\xFA\r\n");
}

void writeHandOverFile(const QString& folder) {
    // The old file stays until the new one is whole on disk: the host program
    // must never read a cut or empty file.
    ReplacingFile file(QDir(folder).filePath(u"Command.Dll"_s));
    file.open();
    file.write(handOverFileContent());
    // A folder that cannot be flushed still holds the whole new file.
    (void)file.commit();
}

} // namespace nbr
