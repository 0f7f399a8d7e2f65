#include "platform/Prompts.h"

#include <QCoreApplication>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace nbr {

QString programTitle() {
    const QString path = QCoreApplication::applicationFilePath();
    if (path.isEmpty())
        return u"nbreport"_s;
    return QFileInfo(path).completeBaseName();
}

} // namespace nbr
