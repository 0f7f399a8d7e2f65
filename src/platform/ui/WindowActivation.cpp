#include "platform/ui/WindowActivation.h"

#include <QGuiApplication>

#if defined(Q_OS_WIN)
#include <windows.h>
#elif defined(NBR_HAVE_X11)
#include <QtGui/qguiapplication_platform.h>
#include <optional>
#include <vector>
// Xlib last: its macros (None, Bool, Status, ...) clash with names in Qt's headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace nbr {

#if defined(NBR_HAVE_X11)
namespace {

enum AtomName { ClientList, NetWmName, Utf8String, CompoundText, ActiveWindow, AtomCount };

// The windows the window manager manages, from _NET_CLIENT_LIST on the root.
std::vector<Window> clientWindows(Display* d, Window root, Atom clientList) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::vector<Window> windows;
    if (XGetWindowProperty(d, root, clientList, 0, 1 << 16, False, XA_WINDOW, &type, &format,
                           &count, &remaining, &data) == Success &&
        data && type == XA_WINDOW && format == 32) {
        // Xlib hands 32-bit items over as longs.
        const auto* ids = reinterpret_cast<const unsigned long*>(data);
        windows.assign(ids, ids + count);
    }
    if (data)
        XFree(data);
    return windows;
}

// A title decoded by its type: UTF8_STRING, STRING (Latin-1) or
// COMPOUND_TEXT, the ISO 2022 mix older toolkits write for titles Latin-1
// cannot hold, which the X library converts. Another type gives no title.
QString decodedTitle(Display* d, XTextProperty& p, const Atom* atoms) {
    const auto* bytes = reinterpret_cast<const char*>(p.value);
    const auto size = qsizetype(p.nitems);
    if (p.format != 8 || !bytes)
        return {};
    if (p.encoding == atoms[Utf8String])
        return QString::fromUtf8(bytes, size);
    if (p.encoding == XA_STRING)
        return QString::fromLatin1(bytes, size);
    if (p.encoding != atoms[CompoundText])
        return {};
    char** list = nullptr;
    int count = 0;
    QString title;
    // The result is UTF-8 whatever the process's locale.
    if (Xutf8TextPropertyToTextList(d, &p, &list, &count) >= Success && count > 0)
        title = QString::fromUtf8(list[0]);
    if (list)
        XFreeStringList(list);
    return title;
}

// A window's title property, nullopt when the window has none.
std::optional<QString> titleProperty(Display* d, Window w, Atom property, const Atom* atoms) {
    XTextProperty p{};
    if (!XGetTextProperty(d, w, &p, property))
        return std::nullopt;
    const QString title = decodedTitle(d, p, atoms);
    if (p.value)
        XFree(p.value);
    return title;
}

} // namespace

bool activateX11WindowByTitle(Display* d, const QString& title) {
    // In the order of AtomName; Xlib only reads them.
    const char* names[AtomCount] = {"_NET_CLIENT_LIST", "_NET_WM_NAME", "UTF8_STRING",
                                    "COMPOUND_TEXT", "_NET_ACTIVE_WINDOW"};
    Atom atoms[AtomCount];
    if (!XInternAtoms(d, const_cast<char**>(names), AtomCount, False, atoms))
        return false;
    const Window root = DefaultRootWindow(d);
    for (const Window w : clientWindows(d, root, atoms[ClientList])) {
        // The EWMH title wins; toolkits that predate it set only WM_NAME.
        std::optional<QString> name = titleProperty(d, w, atoms[NetWmName], atoms);
        if (!name)
            name = titleProperty(d, w, XA_WM_NAME, atoms);
        if (name != title)
            continue;
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = w;
        event.xclient.message_type = atoms[ActiveWindow];
        event.xclient.format = 32;
        event.xclient.data.l[0] = 2; // source: a pager-like request, honoured by window managers
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(d, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XFlush(d);
        return true;
    }
    return false;
}
#endif

bool activateWindowByTitle(const QString& title) {
#if defined(Q_OS_WIN)
    HWND w = FindWindowW(nullptr, reinterpret_cast<LPCWSTR>(title.utf16()));
    if (!w)
        return false;
    SetForegroundWindow(w);
    return true;
#elif defined(NBR_HAVE_X11)
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 && x11->display() && activateX11WindowByTitle(x11->display(), title);
#else
    Q_UNUSED(title);
    return false;
#endif
}

} // namespace nbr
