#pragma once

#include <QByteArray>
#include <QString>

class TStream;

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
// and nothing is allocated for it.
QByteArray ReadStreamString(TStream &stream);
void WriteStreamString(TStream &stream, const QByteArray &text);
