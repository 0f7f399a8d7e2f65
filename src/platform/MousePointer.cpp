#include "platform/MousePointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace nbr {

// One override cursor at most, so nested "hourglass ... default" pairs in the
// report procedures can never leave the pointer stuck as an hourglass.
void setMousePointer(MousePointer pointer) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (pointer == MousePointer::Hourglass) {
        if (!QGuiApplication::overrideCursor())
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
    }
}

MousePointer mousePointer() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return MousePointer::Default;
    return QGuiApplication::overrideCursor() ? MousePointer::Hourglass : MousePointer::Default;
}

} // namespace nbr
