#include "platform/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace nbr {

double logicalDpi() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            return screen->logicalDotsPerInchX();
    }
    return 96.0;
}

int twipsToPixels(int twips) {
    return static_cast<int>(std::lround(twips * logicalDpi() / kTwipsPerInch));
}

int pixelsToTwips(int pixels) {
    return static_cast<int>(std::lround(pixels * kTwipsPerInch / logicalDpi()));
}

} // namespace nbr
