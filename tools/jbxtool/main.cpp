// jbxtool: look into a data file without starting the program, for support
// and recovery. It reads files with the program's own code.

#include "TaskJson.h"

#include "base/JbxError.h"
#include "base/TextCodec.h"
#include "model/TStream.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <optional>

namespace {
const char *Usage = "usage: jbxtool dump FILE | check FILE | roundtrip IN OUT | export FILE\n";

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

std::optional<QByteArray> ReadWholeFile(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = JbxMessages::CannotOpenFile(path);
        return std::nullopt;
    }
    return file.readAll();
}

// Loads every task it can; says where the file broke, if it did.
struct TLoad {
    TUserInfo Settings;
    TTaskList List{Settings};
    bool Complete = true;
    QString Error;
    qint64 BreakOffset = -1;
    qint64 TrailingBytes = 0;
    int WholeTasks = 0;

    bool Run(const QString &path)
    {
        std::optional<QByteArray> bytes = ReadWholeFile(path, Error);
        if (!bytes)
            return false;
        TMemoryStream stream(*bytes);
        try {
            List.LoadFromStream(stream);
            WholeTasks = List.Count();
            TrailingBytes = stream.BytesLeft();
        } catch (const EJbxError &error) {
            Complete = false;
            Error = error.Message();
            BreakOffset = stream.Position();
            // The task being read when the file broke is in the list too.
            WholeTasks = std::max(0, List.Count() - 1);
        }
        return true;
    }
};

int Dump(const QString &path)
{
    TLoad load;
    if (!load.Run(path))
        return Fail(load.Error);
    Print(TaskListHeaderJson(load.List));
    for (int i = 0; i < load.WholeTasks; ++i)
        Print(TaskJson(*load.List.GetTask(i)));
    if (!load.Complete)
        return Fail(QStringLiteral("%1: %2 at byte offset %3").arg(path, load.Error).arg(load.BreakOffset));
    return 0;
}

int Check(const QString &path)
{
    TLoad load;
    if (!load.Run(path))
        return Fail(load.Error);
    if (!load.Complete) {
        std::printf("%s: damaged: %d tasks read whole, the file breaks at byte offset %lld (%s)\n",
                    qPrintable(path), load.WholeTasks, static_cast<long long>(load.BreakOffset),
                    qPrintable(load.Error));
        return 1;
    }
    std::printf("%s: complete: %d tasks\n", qPrintable(path), load.WholeTasks);
    if (load.TrailingBytes > 0)
        std::printf("%s: note: %lld bytes after the last task are ignored\n", qPrintable(path),
                    static_cast<long long>(load.TrailingBytes));
    return 0;
}

int RoundTrip(const QString &in, const QString &out)
{
    TLoad load;
    if (!load.Run(in))
        return Fail(load.Error);
    if (!load.Complete)
        return Fail(QStringLiteral("%1: %2 at byte offset %3").arg(in, load.Error).arg(load.BreakOffset));
    try {
        load.List.SaveToFile(out);
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
    if (!load.Complete)
        return Fail(QStringLiteral("%1: %2 at byte offset %3; the tasks before it were exported")
                        .arg(path, load.Error)
                        .arg(load.BreakOffset));
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
    std::fputs(Usage, stderr);
    return 2;
}
