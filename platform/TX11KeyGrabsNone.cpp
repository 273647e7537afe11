#include "platform/TX11KeyGrabs.h"

// Built without xcb: there is never an X connection to grab keys on.

bool TX11KeyGrabs::Open(QString *reason)
{
    *reason = QStringLiteral("global hot keys are not built in (no xcb)");
    return false;
}

bool TX11KeyGrabs::Grab(int, Qt::Key, Qt::KeyboardModifiers) { return false; }

void TX11KeyGrabs::Ungrab(int) {}

int TX11KeyGrabs::PressedId(const QByteArray &, void *) const { return 0; }
