#include "shell/HandOver.h"

#include "db/DbSettings.h"
#include "platform/FileError.h"
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace nbr {

QString handOverFolder() {
    const QString configured = readDbSettings().handOverDir.trimmed();
    if (configured.isEmpty())
        return programFolder();
    return QDir(programFolder()).filePath(QDir::fromNativeSeparators(configured));
}

QByteArray handOverFileContent() {
    // "注销" in code page 936 (GBK), then CR LF. Spelled as bytes because the
    // host program reads it in that code page whatever the local one is.
    return QByteArray("\xD7\xA2\xCF\xFA\r\n");
}

void writeHandOverFile(const QString& folder) {
    QSaveFile file(QDir(folder).filePath(u"Command.Dll"_s));
    if (!file.open(QIODevice::WriteOnly) || file.write(handOverFileContent()) < 0 || !file.commit())
        throw FileError(int(file.error()), file.errorString());
}

} // namespace nbr
