#include "platform/THotKeys.h"

// Placeholder until the X11 layer lands: hot keys are unavailable.
THotKeys::THotKeys(QObject *parent) : QObject(parent), FReason(QStringLiteral("not implemented")) {}
THotKeys::~THotKeys() = default;
bool THotKeys::Available() const { return false; }
QString THotKeys::UnavailableReason() const { return FReason; }
bool THotKeys::Register(int, Qt::Key, Qt::KeyboardModifiers) { return false; }
void THotKeys::Unregister(int) {}
void THotKeys::UnregisterAll() {}
bool THotKeys::nativeEventFilter(const QByteArray &, void *, qintptr *) { return false; }
