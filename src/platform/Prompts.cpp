#include "platform/Prompts.h"

#include "platform/StderrPrompts.h"

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
    // Nothing widget-based by default: the program installs its dialogs in
    // main(), the tests their scripted fake.
    static StderrPrompts onStandardError;
    return onStandardError;
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
