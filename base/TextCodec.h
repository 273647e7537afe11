#pragma once

#include <QByteArray>
#include <QString>

// Text in the data and settings files is bytes. Files written by this
// program hold UTF-8; files from the Windows program hold its 8-bit code
// page (Windows-1252), so bytes that are not valid UTF-8 are read as that.
bool IsValidUtf8(const QByteArray &bytes);
QString DecodeText(const QByteArray &bytes);
QByteArray EncodeText(const QString &text);
