#include "platform/TX11KeyGrabs.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace {
// The lock keys change the modifier state of every key press, and a passive
// grab matches its modifiers exactly: each key is grabbed once per lock
// combination so it still fires with CapsLock or NumLock on.
constexpr quint16 KLockMasks = XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2;
constexpr quint16 KLockVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                     XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
// Shift, Lock, Control and Mod1..Mod5; the rest of a key event's state are
// pointer buttons, which do not take part in key grabs.
constexpr quint16 KModifierBits = 0xff;
constexpr quint8 KBadAccess = 10;

xcb_keysym_t KeySym(Qt::Key key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 'a' + (key - Qt::Key_A); // the unshifted symbol is the one every layout lists first
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return '0' + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return 0xffbe + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Space: return 0x0020;
    case Qt::Key_Backspace: return 0xff08;
    case Qt::Key_Tab: return 0xff09;
    case Qt::Key_Return: return 0xff0d;
    case Qt::Key_Pause: return 0xff13;
    case Qt::Key_Escape: return 0xff1b;
    case Qt::Key_Home: return 0xff50;
    case Qt::Key_Left: return 0xff51;
    case Qt::Key_Up: return 0xff52;
    case Qt::Key_Right: return 0xff53;
    case Qt::Key_Down: return 0xff54;
    case Qt::Key_PageUp: return 0xff55;
    case Qt::Key_PageDown: return 0xff56;
    case Qt::Key_End: return 0xff57;
    case Qt::Key_Print: return 0xff61;
    case Qt::Key_Insert: return 0xff63;
    case Qt::Key_Delete: return 0xffff;
    default: return 0;
    }
}

quint16 ModifierMask(Qt::KeyboardModifiers modifiers)
{
    quint16 mask = 0;
    if (modifiers & Qt::ControlModifier)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & Qt::AltModifier)
        mask |= XCB_MOD_MASK_1;
    if (modifiers & Qt::ShiftModifier)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & Qt::MetaModifier)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

xcb_connection_t *Xcb(void *connection) { return static_cast<xcb_connection_t *>(connection); }

// The root window of the screen the display name points at (":0.1" is the
// second screen), or of the first screen when the name does not say.
xcb_window_t DefaultRoot(xcb_connection_t *connection)
{
    int screen = 0;
    char *host = nullptr;
    int display = 0;
    if (xcb_parse_display(qgetenv("DISPLAY").constData(), &host, &display, &screen) == 0)
        screen = 0;
    std::free(host);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    const xcb_window_t first = it.rem > 0 ? it.data->root : 0;
    for (; it.rem > 0; xcb_screen_next(&it), --screen)
        if (screen == 0)
            return it.data->root;
    return first;
}
} // namespace

bool TX11KeyGrabs::Open(QString *reason)
{
    const QString platform = QGuiApplication::platformName();
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (platform != QLatin1String("xcb") || !connection) {
        *reason = QStringLiteral("global hot keys need an X11 session (platform: %1)").arg(platform);
        return false;
    }
    FRoot = DefaultRoot(connection);
    if (!FRoot) {
        *reason = QStringLiteral("global hot keys found no X11 root window");
        return false;
    }
    FConnection = connection;
    return true;
}

bool TX11KeyGrabs::Grab(int id, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    if (!FConnection || id <= 0)
        return false;
    Ungrab(id); // a new combination for an id replaces the old one

    xcb_connection_t *connection = Xcb(FConnection);
    const xcb_keysym_t sym = KeySym(key);
    if (!sym)
        return false;
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(
        xcb_key_symbols_alloc(connection), &xcb_key_symbols_free);
    if (!symbols)
        return false;
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols.get(), sym);
    const xcb_keycode_t code = codes ? codes[0] : XCB_NO_SYMBOL;
    std::free(codes);
    if (code == XCB_NO_SYMBOL)
        return false; // the keyboard layout has no such key

    const quint16 mask = ModifierMask(modifiers);
    for (const TGrab &grab : FGrabs)
        if (grab.KeyCode == code && grab.Modifiers == mask)
            return false; // ours under another id; one press cannot mean two things

    // All four requests go out before the first check: one round trip.
    xcb_void_cookie_t cookies[std::size(KLockVariants)];
    for (size_t i = 0; i < std::size(KLockVariants); ++i)
        cookies[i] = xcb_grab_key_checked(connection, false, FRoot, mask | KLockVariants[i], code,
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    bool granted[std::size(KLockVariants)];
    bool all = true;
    for (size_t i = 0; i < std::size(KLockVariants); ++i) {
        xcb_generic_error_t *error = xcb_request_check(connection, cookies[i]);
        granted[i] = !error;
        if (error) {
            // BadAccess is the usual reason: another client holds the variant.
            if (error->error_code != KBadAccess)
                qWarning("TX11KeyGrabs: grabbing key %u failed with X error %u", code, error->error_code);
            all = false;
            std::free(error);
        }
    }
    if (!all) {
        // Checked, so the key is free again when we answer "failed".
        xcb_void_cookie_t undo[std::size(KLockVariants)];
        for (size_t i = 0; i < std::size(KLockVariants); ++i)
            if (granted[i])
                undo[i] = xcb_ungrab_key_checked(connection, code, FRoot, mask | KLockVariants[i]);
        for (size_t i = 0; i < std::size(KLockVariants); ++i)
            if (granted[i])
                std::free(xcb_request_check(connection, undo[i]));
        return false;
    }
    FGrabs.push_back({id, code, mask});
    return true;
}

void TX11KeyGrabs::Ungrab(int id)
{
    if (!FConnection)
        return;
    xcb_connection_t *connection = Xcb(FConnection);
    std::vector<xcb_void_cookie_t> cookies;
    for (auto it = FGrabs.begin(); it != FGrabs.end();) {
        if (id != 0 && it->Id != id) {
            ++it;
            continue;
        }
        for (quint16 lock : KLockVariants)
            cookies.push_back(xcb_ungrab_key_checked(connection, it->KeyCode, FRoot, it->Modifiers | lock));
        it = FGrabs.erase(it);
    }
    // Waiting for the replies means the keys are free for others once this
    // returns, not merely on their way to the server.
    for (xcb_void_cookie_t cookie : cookies)
        std::free(xcb_request_check(connection, cookie));
}

int TX11KeyGrabs::PressedId(const QByteArray &eventType, void *message) const
{
    if (!FConnection || FGrabs.empty() || eventType != "xcb_generic_event_t")
        return 0;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS)
        return 0;
    const auto *press = reinterpret_cast<const xcb_key_press_event_t *>(event);
    if (press->event != FRoot)
        return 0;
    const quint16 state = press->state & KModifierBits & ~KLockMasks;
    for (const TGrab &grab : FGrabs)
        if (grab.KeyCode == press->detail && grab.Modifiers == state)
            return grab.Id;
    return 0;
}
