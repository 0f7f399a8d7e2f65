#include "platform/Prompts.h"

#include "platform/ui/QtPrompts.h"

#include <QCoreApplication>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {
Prompts* installed = nullptr;
} // namespace

Prompts& Prompts::current() {
    if (installed)
        return *installed;
    static QtPrompts qtPrompts;
    return qtPrompts;
}

void Prompts::install(Prompts* p) {
    installed = p;
}

QString programTitle() {
    const QString path = QCoreApplication::applicationFilePath();
    if (path.isEmpty())
        return u"nbreport"_s;
    return QFileInfo(path).completeBaseName();
}

} // namespace nbr
