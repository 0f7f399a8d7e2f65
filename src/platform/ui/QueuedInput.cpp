#include "platform/ui/QueuedInput.h"

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

// Eats the input for one window: what the window system hands its native
// window, and whatever reaches its widgets or their shortcuts.
class InputDrop : public QObject {
public:
    explicit InputDrop(QWidget* window) : m_window(window) {}

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (!isInput(event->type()))
            return false;
        if (receiver == m_window->windowHandle())
            return true;
        for (const QObject* o = receiver; o; o = o->parent())
            if (o->isWidgetType())
                return static_cast<const QWidget*>(o)->window() == m_window;
        return false;
    }

private:
    QWidget* m_window;
};

} // namespace

void discardQueuedInput(QWidget* window) {
    InputDrop drop(window->window());
    QCoreApplication::instance()->installEventFilter(&drop);
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(&drop);
}

} // namespace nbr
