#include "platform/ui/ProgramIcon.h"

using namespace Qt::StringLiterals;

// The pictures are compiled into the static ui library, whose resources
// must be registered by hand.
static void registerAssets() {
    Q_INIT_RESOURCE(assets);
}

namespace nbr {

QIcon programIcon() {
    registerAssets();
    QIcon icon;
    for (int size : {16, 32, 48, 256})
        icon.addFile(u":/nbreport/program-icon-%1.png"_s.arg(size), QSize(size, size));
    return icon;
}

} // namespace nbr
