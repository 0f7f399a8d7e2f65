#include "platform/LoginName.h"

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

namespace nbr {

QString loginName() {
#ifdef _WIN32
    return qEnvironmentVariable("USERNAME");
#else
    // The account itself: a cron job's environment need not name it.
    if (const passwd* account = ::getpwuid(::geteuid()))
        return QString::fromLocal8Bit(account->pw_name);
    return qEnvironmentVariable("USER");
#endif
}

} // namespace nbr
