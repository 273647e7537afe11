#include "fuzz/ReaderEntries.h"

#include "base/Clock.h"
#include "base/JbxError.h"
#include "base/TextCodec.h"
#include "fuzz/TAllocationWatch.h"
#include "model/TStream.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalProc.h"
#include "settings/IniFile.h"
#include "settings/TUserInfo.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <memory>

namespace ReaderEntries {

namespace {
// The same inputs must take the same paths on every run: one locale and one
// moment, whatever the machine says.
void PinEnvironment()
{
    static const bool pinned = [] {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        TClock::Set(QDateTime(QDate(2024, 3, 15), QTime(9, 30)));
        return true;
    }();
    Q_UNUSED(pinned);
}

QString Failure(const QString &what, const QByteArray &expected, const QByteArray &actual)
{
    qsizetype at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    return QStringLiteral("%1 (first difference at byte %2: expected %3, got %4)")
        .arg(what)
        .arg(at)
        .arg(QString::fromLatin1(expected.mid(at, 40).toHex()),
             QString::fromLatin1(actual.mid(at, 40).toHex()));
}

// Loads what it can, as the program does: a read error keeps the tasks read
// before it. Returns the error text, or nothing.
QString Load(TTaskList &list, const QByteArray &bytes)
{
    TMemoryStream stream(bytes);
    try {
        list.LoadFromStream(stream);
    } catch (const EJbxError &error) {
        return error.Message();
    }
    return QString();
}

// The settings file lives on disk, where TUserInfo reads it; memory-backed
// when the system has it, so the fuzzer's many saves stay cheap.
const QString &WorkFolder()
{
    static const std::unique_ptr<QTemporaryDir> folder = [] {
        const QString shm = QStringLiteral("/dev/shm");
        return QDir(shm).exists() ? std::make_unique<QTemporaryDir>(shm + QStringLiteral("/jbxfuzz-XXXXXX"))
                                  : std::make_unique<QTemporaryDir>();
    }();
    static const QString path = folder->path() + u'/';
    return path;
}

bool WriteWhole(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray ReadWhole(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

QString ReadDataFile(const QByteArray &bytes)
{
    PinEnvironment();
    TUserInfo settings;
    QByteArray saved;
    {
        TTaskList list(settings);
        const size_t blockSize = TTaskList::SlotsPerBlock * sizeof(TTask);
        {
            const TAllocationWatch watch(size_t(bytes.size()) + Slack, blockSize);
            Load(list, bytes);
        }
        {
            // The task being read when the file broke off keeps the defaults
            // of a new task, and they are saved too.
            const size_t newTask = 105 + size_t(TTaskEnvironment::Current(settings).DefaultFontName.size()) +
                                   std::strlen(TTask::NewNoteText);
            const TAllocationWatch watch(size_t(bytes.size()) + newTask + Slack, blockSize);
            saved = list.SaveToBytes();
        }
        // What the list and the notes then show of every task.
        for (const TTask *task : list.Tasks()) {
            DecodeText(task->FontName);
            DecodeText(task->Text);
            FirstNonBlankLine(task->Text);
        }
    }
    TTaskList again(settings);
    if (const QString error = Load(again, saved); !error.isEmpty())
        return QStringLiteral("the saved file does not load: ") + error;
    const QByteArray resaved = again.SaveToBytes();
    if (resaved != saved)
        return Failure(QStringLiteral("the saved file does not read back as saved"), saved, resaved);
    return QString();
}

size_t SettingsParseLimit(const QByteArray &bytes)
{
    // A line's text as UTF-16 takes two bytes per byte; the table of lines
    // takes one record per line (80 bytes on 64-bit systems).
    const size_t lines = size_t(bytes.count('\n') + bytes.count('\r')) + 1;
    return std::max(2 * size_t(bytes.size()), IniLineRecord * lines) + Slack;
}

QString ReadSettingsFile(const QByteArray &bytes)
{
    PinEnvironment();
    {
        TIniFile ini{QString()};
        {
            const TAllocationWatch watch(SettingsParseLimit(bytes));
            ini.LoadFromBytes(bytes);
        }
        const QByteArray written = ini.ToBytes();
        TIniFile again{QString()};
        again.LoadFromBytes(written);
        if (again.ToBytes() != written)
            return Failure(QStringLiteral("the settings lines do not read back as written"), written,
                           again.ToBytes());
    }

    const QString folder = WorkFolder();
    TUserInfo first(folder);
    if (!WriteWhole(first.FileName(), bytes))
        return QStringLiteral("cannot write ") + first.FileName();
    first.LoadSettings();
    try {
        first.SaveSettings();
    } catch (const EJbxError &error) {
        return QStringLiteral("saving the settings failed: ") + error.Message();
    }
    const QByteArray saved = ReadWhole(first.FileName());
    TUserInfo second(folder);
    second.LoadSettings();
    second.SaveSettings();
    const QByteArray resaved = ReadWhole(first.FileName());
    if (resaved != saved)
        return Failure(QStringLiteral("saving settings read back changed the file"), saved, resaved);
    if (!(second == first))
        return QStringLiteral("the saved settings read back differently");
    return QString();
}

} // namespace ReaderEntries
