#include "platform/Prompts.h"

using namespace Qt::StringLiterals;

namespace nbr {

QString programTitle() {
    return u"非预算报销月报"_s;
}

} // namespace nbr
