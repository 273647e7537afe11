#pragma once

#include "base/JbxError.h"
#include "model/TStream.h"

#include <QByteArray>
#include <QString>
#include <cstring>


// The subject of a task: the first line of its text that is not blank, with
// every leading and trailing character of code 32 or less removed. CR, LF
// and CR LF end a line; a NUL ends the text.
QByteArray FirstNonBlankLine(const QByteArray &text);

// Appends one line to today's diagnostic log (AppDir + weekday digit +
// ".log", Sunday = 0) and deletes tomorrow's file, so six days survive.
// Does nothing while DebugMode is off; swallows every error.
void WriteDebugLog(const QString &message);

// The length-prefixed strings of the data file: an int32 byte count, then
// the bytes. A count below zero or beyond the bytes left is a read error,
// and nothing is allocated for it. With `likely` given, equal stored bytes
// come back as a shared copy of it, so repeated strings cost no memory.
template <class S> QByteArray ReadStreamString(S &stream, const QByteArray *likely = nullptr)
{
    const qint32 count = StreamRead<qint32>(stream);
    const qint64 left = stream.BytesLeft();
    if (count < 0 || (left >= 0 && count > left))
        throw EJbxError(QString::fromLatin1(JbxMessages::StreamRead));
    if (likely && count == likely->size()) {
        const char *stored = stream.Peek(count);
        if (stored && std::memcmp(stored, likely->constData(), size_t(count)) == 0) {
            stream.Skip(count);
            return *likely;
        }
    }
    QByteArray text(count, Qt::Uninitialized);
    stream.ReadBuffer(text.data(), count);
    return text;
}

template <class S> void WriteStreamString(S &stream, const QByteArray &text)
{
    StreamWrite(stream, qint32(text.size()));
    stream.WriteBuffer(text.constData(), text.size());
}
