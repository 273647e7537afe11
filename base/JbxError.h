#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <exception>

// The one exception type of the program. File, stream, list and conversion
// failures carry a user-readable message that ends up in the error box.
class EJbxError : public std::exception {
public:
    explicit EJbxError(const QString &message);

    const QString &Message() const noexcept { return FMessage; }
    const char *what() const noexcept override { return FUtf8.constData(); }

private:
    QString FMessage;
    QByteArray FUtf8;
};

// The fixed messages, in one place so every thrower says the same thing;
// each in the user's language once a translation is loaded.
namespace JbxMessages {
inline constexpr const char *StreamRead = QT_TRANSLATE_NOOP("JbxMessages", "Stream read error");
inline constexpr const char *StreamWrite = QT_TRANSLATE_NOOP("JbxMessages", "Stream write error");
// One of the fixed messages above as the user reads it.
QString Text(const char *fixed);
QString CannotOpenFile(const QString &path);
QString CannotCreateFile(const QString &path);
QString UnableToWrite(const QString &path);
QString ListIndexOutOfBounds(qint64 index);
QString InvalidTime(const QString &text);
} // namespace JbxMessages

// A message followed by the system's reason for it, when there is one:
// "Cannot create file /x/Jotterbox.dat: Read-only file system".
QString WithReason(const QString &message, const QString &reason);
