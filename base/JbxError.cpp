#include "base/JbxError.h"

EJbxError::EJbxError(const QString &message) : FMessage(message), FUtf8(message.toUtf8()) {}

namespace JbxMessages {
QString CannotOpenFile(const QString &path) { return QStringLiteral("Cannot open file %1").arg(path); }
QString CannotCreateFile(const QString &path) { return QStringLiteral("Cannot create file %1").arg(path); }
QString UnableToWrite(const QString &path) { return QStringLiteral("Unable to write to %1").arg(path); }
QString ListIndexOutOfBounds(qint64 index)
{
    return QStringLiteral("List index out of bounds (%1)").arg(index);
}
QString InvalidTime(const QString &text) { return QStringLiteral("'%1' is not a valid time").arg(text); }
} // namespace JbxMessages
