#include "session/AppContext.h"

#include "db/DbError.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

namespace nbr {

AppContext::AppContext(Prompts& prompts)
    : prompts(prompts), programFolder(QCoreApplication::applicationDirPath()) {}

Database& AppContext::db() const {
    if (!database)
        throw DbError(3709, u"连接无法用于执行此操作。在此上下文中它可能已被关闭或无效。"_s);
    return *database;
}

} // namespace nbr
