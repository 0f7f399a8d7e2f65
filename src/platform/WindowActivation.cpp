#include "platform/WindowActivation.h"

#include <QGuiApplication>

#if defined(Q_OS_WIN)
#include <windows.h>
#elif defined(NBR_HAVE_XCB)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <cstdlib>
#include <cstring>
#include <vector>
#endif

namespace nbr {

#if defined(NBR_HAVE_XCB)
namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t a = reply->atom;
    std::free(reply);
    return a;
}

// A window property as raw bytes (empty when absent).
QByteArray property(xcb_connection_t* c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type) {
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, prop, type, 0, 1 << 16), nullptr);
    if (!reply)
        return {};
    const QByteArray bytes(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
    std::free(reply);
    return bytes;
}

bool activateOnX11(const QString& title) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return false;
    xcb_connection_t* c = x11->connection();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (!screen)
        return false;
    const xcb_window_t root = screen->root;
    const xcb_atom_t clientList = atom(c, "_NET_CLIENT_LIST");
    const xcb_atom_t wmName = atom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atom(c, "UTF8_STRING");
    const xcb_atom_t active = atom(c, "_NET_ACTIVE_WINDOW");
    const QByteArray list = property(c, root, clientList, XCB_ATOM_WINDOW);
    const QByteArray wanted = title.toUtf8();
    const auto* windows = reinterpret_cast<const xcb_window_t*>(list.constData());
    for (qsizetype i = 0; i < list.size() / qsizetype(sizeof(xcb_window_t)); ++i) {
        const xcb_window_t w = windows[i];
        QByteArray name = property(c, w, wmName, utf8);
        if (name.isEmpty())
            name = property(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
        if (name != wanted)
            continue;
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = w;
        event.type = active;
        event.data.data32[0] = 2; // source: a pager-like request, honoured by window managers
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(c, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(c);
        return true;
    }
    return false;
}

} // namespace
#endif

bool activateWindowByTitle(const QString& title) {
#if defined(Q_OS_WIN)
    HWND w = FindWindowW(nullptr, reinterpret_cast<LPCWSTR>(title.utf16()));
    if (!w)
        return false;
    SetForegroundWindow(w);
    return true;
#elif defined(NBR_HAVE_XCB)
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    return activateOnX11(title);
#else
    Q_UNUSED(title);
    return false;
#endif
}

} // namespace nbr
