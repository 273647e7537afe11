#pragma once

#include "base/JbxError.h"
#include "model/TStream.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <Qt>
#include <cstring>

// The subject of a task: the first line of its text that is not blank, with
// every leading and trailing character of code 32 or less removed. CR, LF
// and CR LF end a line; a NUL ends the text.
QByteArray FirstNonBlankLine(const QByteArray &text);
// The same line as a view into `text`, for callers that only compare it.
QByteArrayView FirstNonBlankLineView(const QByteArray &text);

// Appends one line to today's diagnostic log (AppDir + weekday digit +
// ".log", Sunday = 0) and deletes tomorrow's file, so six days survive.
// Does nothing while DebugMode is off; swallows every error.
void WriteDebugLog(const QString &message);

// The length-prefixed strings of the data file: an int32 byte count, then
// the bytes. A count below zero or beyond the bytes left is a read error,
// and nothing is allocated for it.
template <class S> qint32 ReadStreamStringCount(S &stream)
{
    const qint32 count = StreamRead<qint32>(stream);
    const qint64 left = stream.BytesLeft();
    if (count < 0 || (left >= 0 && count > left))
        throw EJbxError(JbxMessages::Text(JbxMessages::StreamRead));
    return count;
}

template <class S> QByteArray ReadStreamString(S &stream)
{
    const qint32 count = ReadStreamStringCount(stream);
    QByteArray text(count, Qt::Uninitialized);
    stream.ReadBuffer(text.data(), count);
    return text;
}

// Reads a string into `text`, leaving it untouched (and shared) when the
// stored bytes equal it: most notes keep the font they were given.
template <class S> void ReadStreamStringInto(S &stream, QByteArray &text)
{
    const qint32 count = ReadStreamStringCount(stream);
    if (const char *stored = stream.ReadInPlace(count)) {
        if (count != text.size() || std::memcmp(stored, text.constData(), size_t(count)) != 0)
            text = QByteArray(stored, count);
        return;
    }
    QByteArray read(count, Qt::Uninitialized);
    stream.ReadBuffer(read.data(), count);
    text = std::move(read);
}

template <class S> void WriteStreamString(S &stream, const QByteArray &text)
{
    StreamWrite(stream, qint32(text.size()));
    stream.WriteBuffer(text.constData(), text.size());
}

// The stay-on-top hint for a window being made, when the setting asks for
// it (and there are settings). Read only when a window is made, so a change
// applies at the next start.
Qt::WindowFlags StayOnTopFlag();
