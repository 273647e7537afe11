#include "base/JbxError.h"

#include <QCoreApplication>

EJbxError::EJbxError(const QString &message) : FMessage(message), FUtf8(message.toUtf8()) {}

namespace JbxMessages {
QString Text(const char *fixed) { return QCoreApplication::translate("JbxMessages", fixed); }
QString CannotOpenFile(const QString &path)
{
    return QCoreApplication::translate("JbxMessages", "Cannot open file %1").arg(path);
}
QString CannotCreateFile(const QString &path)
{
    return QCoreApplication::translate("JbxMessages", "Cannot create file %1").arg(path);
}
QString UnableToWrite(const QString &path)
{
    return QCoreApplication::translate("JbxMessages", "Unable to write to %1").arg(path);
}
QString ListIndexOutOfBounds(qint64 index)
{
    return QCoreApplication::translate("JbxMessages", "List index out of bounds (%1)").arg(index);
}
QString InvalidTime(const QString &text)
{
    return QCoreApplication::translate("JbxMessages", "'%1' is not a valid time").arg(text);
}
} // namespace JbxMessages

QString WithReason(const QString &message, const QString &reason)
{
    return reason.isEmpty() ? message : message + QStringLiteral(": ") + reason;
}
