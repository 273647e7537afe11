#pragma once

#include <QByteArray>
#include <QString>

// The sync room's readers of what a server sends, fed one answer each, for
// the fuzz targets and the regression test of committed inputs. As in
// ReaderEntries: a crash or sanitizer report ends the process, a broken
// promise comes back as a text, and an empty text means the input was
// handled soundly.
namespace SyncEntries {

// A calendar object read as a task into a new task's defaults. When it
// reads, the task is written back over it (as a sync round sends an edit),
// and that object must read again to the same travelling fields, the same
// UID and the task's key, with every line folded within 75 octets.
QString ReadCalendarObject(const QByteArray &bytes);

// A WebDAV multistatus answer, read within its bounds: refused with a
// reason or read.
QString ReadMultistatus(const QByteArray &bytes);

} // namespace SyncEntries
