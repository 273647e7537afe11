#pragma once

#include <QByteArray>
#include <QString>

// The program's file readers, fed one input the way the program meets a
// file. The fuzz targets and the regression test of committed inputs both
// call these. Any crash or sanitizer report ends the process; a broken
// promise of the readers comes back as a text saying what went wrong, and
// an empty text means the input was handled soundly.
namespace ReaderEntries {

// Bytes a reader may take beyond the size of its input in one allocation:
// the headers of Qt's containers and the odd small fixed-size object.
constexpr size_t Slack = 256;

// The data file: loaded as the program loads Jotterbox.dat (the tasks read
// before an error stay), saved, and loaded again, which must give back the
// saved bytes. No single allocation while loading may exceed the input's
// size plus Slack, except the task list's fixed block of task slots
// (TTaskList::SlotsPerBlock tasks), which it takes for the first task; while
// saving, the bound grows by one new task's record (the one being read when
// the file broke off keeps its defaults and is saved with them).
QString ReadDataFile(const QByteArray &bytes);

// What the settings reader may keep per line of its input in one record.
constexpr size_t IniLineRecord = 96;

// The settings file: parsed, every setting read as the program reads them
// at start, saved, and read again, which must give the same settings; a
// second save must change nothing. No single allocation while parsing may
// exceed SettingsParseLimit(): twice the input's size (its text as UTF-16)
// or IniLineRecord bytes per line (the table of lines), whichever is more,
// plus Slack.
QString ReadSettingsFile(const QByteArray &bytes);
size_t SettingsParseLimit(const QByteArray &bytes);

} // namespace ReaderEntries
