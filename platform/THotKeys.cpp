#include "platform/THotKeys.h"

#include "platform/TKdeGlobalAccel.h"

#include <QAbstractEventDispatcher>
#include <QGuiApplication>

THotKeys::THotKeys(QObject *parent) : QObject(parent)
{
    if (!qGuiApp) {
        FReason = QStringLiteral("global hot keys need a QGuiApplication");
        return;
    }
    FRoute = ChooseHotKeyRoute(CurrentHotKeySession());
    switch (FRoute) {
    case THotKeyRoute::X11: break;
    case THotKeyRoute::KdeService:
        FKde = new TKdeGlobalAccel(QStringLiteral("jotterbox"), QStringLiteral("Jotterbox"), this);
        connect(FKde, &TKdeGlobalAccel::Pressed, this, &THotKeys::Pressed);
        return;
    case THotKeyRoute::GnomeShortcuts:
        FReason = QStringLiteral("GNOME on Wayland lets no program take global keys; its own custom "
                                 "keyboard shortcuts can run the program's commands");
        return;
    case THotKeyRoute::None:
        FReason = QStringLiteral("this Wayland session has no global shortcut service the program knows");
        return;
    }
    if (FX11.Open(&FReason))
        QCoreApplication::instance()->installNativeEventFilter(this);
}

THotKeys::~THotKeys()
{
    // Without the application its X connection is gone already, and the
    // server dropped our grabs with it.
    if (!FX11.Opened() || !qGuiApp)
        return;
    UnregisterAll();
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool THotKeys::Available() const { return FX11.Opened() || FKde != nullptr; }

QString THotKeys::UnavailableReason() const { return FReason; }

bool THotKeys::Register(int id, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString &name)
{
    if (FKde)
        return FKde->Register(id, name.isEmpty() ? QStringLiteral("Hot key %1").arg(id) : name,
                              QKeyCombination(modifiers, key));
    return FX11.Grab(id, key, modifiers);
}

void THotKeys::Unregister(int id)
{
    if (id > 0)
        Ungrab(id);
}

void THotKeys::UnregisterAll() { Ungrab(0); }

void THotKeys::Ungrab(int id)
{
    if (FKde) {
        if (id == 0)
            FKde->UnregisterAll();
        else
            FKde->Unregister(id);
        return;
    }
    FX11.Ungrab(id);
}

bool THotKeys::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result)
{
    Q_UNUSED(result);
    const int id = FX11.PressedId(eventType, message);
    if (id)
        emit Pressed(id);
    return id != 0;
}
