#include "platform/ui/InputDiscard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace nbr {

namespace {

bool isInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

} // namespace

InputDiscard::InputDiscard(QWidget* window) : m_window(window->window()) {
    QCoreApplication::instance()->installEventFilter(this);
}

InputDiscard::~InputDiscard() {
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(this);
}

// Eats the input for the window: what the window system hands its native
// window, and whatever reaches its widgets or their shortcuts.
bool InputDiscard::eventFilter(QObject* receiver, QEvent* event) {
    if (!isInput(event->type()))
        return false;
    if (receiver == m_window->windowHandle())
        return true;
    for (const QObject* o = receiver; o; o = o->parent())
        if (o->isWidgetType())
            return static_cast<const QWidget*>(o)->window() == m_window;
    return false;
}

} // namespace nbr
