#include "platform/NativePlace.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#if JBX_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <xcb/xcb.h>
#endif

std::optional<QPoint> NativeWindowPlace(const QWindow *window)
{
#if JBX_HAVE_XCB
    if (!window || !window->handle() || QGuiApplication::platformName() != QLatin1String("xcb"))
        return std::nullopt;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return std::nullopt;
    const auto id = xcb_window_t(window->winId());
    xcb_get_geometry_reply_t *geometry =
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr);
    if (!geometry)
        return std::nullopt;
    const xcb_window_t root = geometry->root;
    std::free(geometry);
    xcb_translate_coordinates_reply_t *place = xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, id, root, 0, 0), nullptr);
    if (!place)
        return std::nullopt;
    const QPoint result(place->dst_x, place->dst_y);
    std::free(place);
    return result;
#else
    Q_UNUSED(window);
    return std::nullopt;
#endif
}

void PinWindowPlace(QWidget *window, QPoint place)
{
    if (window->pos() != place)
        window->move(place);
    QWindow *handle = window->windowHandle();
    if (!handle)
        return;
    const std::optional<QPoint> actual = NativeWindowPlace(handle);
    if (handle->position() != place || (actual && *actual != place))
        handle->setPosition(place);
}
