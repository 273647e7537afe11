// jbxtool: look into a data file without starting the program, for support
// and recovery. It reads and writes files through the program's own data
// store, so the two never disagree on whether a file is whole.

#include "FolderGuard.h"
#include "SyncCommand.h"
#include "TaskJson.h"

#include "base/JbxError.h"
#include "base/TextCodec.h"
#include "model/TDataStore.h"
#include "model/TStream.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

namespace {
const char *Usage = "usage: jbxtool dump FILE | check FILE | roundtrip IN OUT | export FILE | sync FOLDER "
                    "[--allow-deletions]\n";

int Fail(const QString &message)
{
    std::fprintf(stderr, "jbxtool: %s\n", qPrintable(message));
    return 2;
}

void Print(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
}

// Loads every task it can; says where the file broke, if it did. A file
// whose count is smaller than the records it holds is damaged too (the
// program says so and keeps it aside): the records after the counted ones
// are read on until the bytes run out, so none of them is lost here.
struct TLoad {
    TUserInfo Settings;
    TTaskList List{Settings};
    bool Complete = true;
    QString Error;
    qint64 BreakOffset = -1;
    int Counted = 0;      // the tasks the file's count covers, as read
    int WholeTasks = 0;   // every task read whole, counted or found after
    qint64 CountEnd = -1; // where the counted tasks end, when bytes follow
    qint64 Uncounted = 0; // the bytes after them

    bool Run(const QString &path)
    {
        const TReadResult read = TDataStore::ReadFile(path, List);
        switch (read.Outcome) {
        case TReadResult::Missing:
        case TReadResult::Unopenable: Error = read.Error; return false;
        case TReadResult::Broken:
            Broke(read.Error, read.StopAt);
            Counted = List.Count();
            return true;
        case TReadResult::Whole:
        case TReadResult::ShortCount: break;
        }
        Counted = WholeTasks = List.Count();
        if (read.Outcome == TReadResult::ShortCount) {
            Complete = false;
            CountEnd = read.StopAt;
            Uncounted = read.BytesAfter;
            TMemoryStream stream(read.Bytes);
            stream.Seek(read.StopAt);
            ReadUncounted(stream);
        }
        return true;
    }

    bool ShortCount() const { return CountEnd >= 0; }
    int Found() const { return WholeTasks - Counted; }

    // Where the file stops making sense, and why.
    qint64 Where() const { return ShortCount() ? CountEnd : BreakOffset; }
    QString Why() const
    {
        if (!ShortCount())
            return Error;
        QString why =
            QStringLiteral("its count says %1 tasks, but %2 bytes follow them, holding %3 more tasks")
                .arg(Counted)
                .arg(Uncounted)
                .arg(Found());
        if (BreakOffset >= 0)
            why += QStringLiteral(" and then a %1 at byte offset %2").arg(Error).arg(BreakOffset);
        return why;
    }
    QString Damage(const QString &path) const
    {
        return QStringLiteral("%1: the file breaks at byte offset %2 (%3)")
            .arg(path, QString::number(Where()), Why());
    }

private:
    void Broke(const QString &error, qint64 offset)
    {
        Complete = false;
        Error = error;
        BreakOffset = offset;
        // The task being read when the file broke is in the list too.
        WholeTasks = std::max(0, List.Count() - 1);
    }

    void ReadUncounted(TMemoryStream &stream)
    {
        while (stream.BytesLeft() > 0) {
            try {
                List.AddNewTask()->LoadFromStream(stream);
            } catch (const EJbxError &error) {
                Broke(error.Message(), stream.Position());
                return;
            }
            WholeTasks = List.Count();
        }
    }
};

int Dump(const QString &path)
{
    TLoad load;
    if (!load.Run(path))
        return Fail(load.Error);
    Print(TaskListHeaderJson(load.List, load.Counted));
    for (int i = 0; i < load.WholeTasks; ++i)
        Print(TaskJson(*load.List.GetTask(i)));
    if (!load.Complete)
        return Fail(load.Damage(path));
    return 0;
}

int Check(const QString &path)
{
    TLoad load;
    if (!load.Run(path))
        return Fail(load.Error);
    if (!load.Complete) {
        std::printf("%s: damaged: %d tasks read whole, the file breaks at byte offset %lld (%s)\n",
                    qPrintable(path), load.WholeTasks, static_cast<long long>(load.Where()),
                    qPrintable(load.Why()));
        return 1;
    }
    std::printf("%s: complete: %d tasks\n", qPrintable(path), load.WholeTasks);
    return 0;
}

int RoundTrip(const QString &in, const QString &out)
{
    TLoad load;
    if (!load.Run(in))
        return Fail(load.Error);
    // Written as read, a damaged file would lose what the reader could
    // not place; nothing is written.
    if (!load.Complete)
        return Fail(load.Damage(in) + QStringLiteral("; nothing written"));
    // Not behind a running program's back: it would save its own list over it.
    TFolderLock lock(QFileInfo(out).absolutePath());
    if (InProgramFolder(out))
        if (const QString why = LockProgramFolder(lock); !why.isEmpty())
            return Fail(QStringLiteral("%1: %2; nothing written").arg(out, why));
    try {
        TDataStore::WriteFile(load.List, out);
    } catch (const EJbxError &error) {
        return Fail(error.Message());
    }
    return 0;
}

int Export(const QString &path)
{
    TLoad load;
    if (!load.Run(path))
        return Fail(load.Error);
    for (int i = 0; i < load.WholeTasks; ++i) {
        if (i > 0)
            Print(QByteArray());
        QString text = DecodeText(load.List.GetTask(i)->Text);
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        Print(text.toUtf8());
    }
    if (load.ShortCount())
        return Fail(load.Damage(path) +
                    QStringLiteral("; all %1 tasks read whole were exported").arg(load.WholeTasks));
    if (!load.Complete)
        return Fail(load.Damage(path) + QStringLiteral("; the tasks before it were exported"));
    return 0;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    if ((command == u"dump" || command == u"check" || command == u"export") && args.size() == 2) {
        if (command == u"dump")
            return Dump(args[1]);
        if (command == u"check")
            return Check(args[1]);
        return Export(args[1]);
    }
    if (command == u"roundtrip" && args.size() == 3)
        return RoundTrip(args[1], args[2]);
    if (command == u"sync" && (args.size() == 2 || (args.size() == 3 && args[2] == u"--allow-deletions")))
        return SyncFolder(args[1], args.size() == 3);
    std::fputs(Usage, stderr);
    return 2;
}
