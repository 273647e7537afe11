// Sync with a real Radicale server beside vdirsyncer, a CalDAV client
// nobody here wrote, syncing the same collections in the same run: the
// first sync of N tasks each way, and one change among N. Prints seconds
// and the ratio to vdirsyncer's; asserts nothing.
//
//   bench_sync [--sizes 1000,10000]

#include "BenchSupport.h"
#include "base/Clock.h"
#include "support/SyncMachine.h"
#include "support/TRadicale.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <cstdio>
#include <functional>

namespace {

// vdirsyncer between a local folder of .ics files and one collection.
class TVdirsyncer {
public:
    TVdirsyncer(const TRadicale &server, const QString &collection, const QString &folder) : FFolder(folder)
    {
        QDir().mkpath(folder + QStringLiteral("/items"));
        QFile config(folder + QStringLiteral("/config"));
        if (config.open(QIODevice::WriteOnly))
            config.write(QStringLiteral("[general]\nstatus_path = \"%1/status\"\n\n"
                                        "[pair p]\na = \"local\"\nb = \"remote\"\ncollections = null\n\n"
                                        "[storage local]\ntype = \"filesystem\"\npath = \"%1/items\"\n"
                                        "fileext = \".ics\"\n\n"
                                        "[storage remote]\ntype = \"caldav\"\nurl = \"%2\"\n"
                                        "username = \"%3\"\npassword = \"%4\"\n")
                             .arg(folder, server.Url(collection).toString(), server.User(), server.Password())
                             .toUtf8());
    }

    QString Items() const { return FFolder + QStringLiteral("/items"); }

    // Seconds the command took; negative when it failed.
    double Run(const QString &command)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VDIRSYNCER_CONFIG"), FFolder + QStringLiteral("/config"));
        process.setProcessEnvironment(environment);
        QElapsedTimer clock;
        clock.start();
        process.start(QStringLiteral("vdirsyncer"), {command, QStringLiteral("p")});
        process.waitForFinished(-1);
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        if (process.exitCode() != 0) {
            std::fprintf(stderr, "vdirsyncer %s failed: %s\n", qPrintable(command),
                         process.readAllStandardError().constData());
            return -1;
        }
        return seconds;
    }

private:
    QString FFolder;
};

double Seconds(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return double(clock.nsecsElapsed()) / 1e9;
}

void Row(const char *what, int n, double ours, double theirs, const QString &note = {})
{
    if (theirs > 0)
        std::printf("%-34s %6d  %8.2f s  %8.2f s  %6.2fx  %s\n", what, n, ours, theirs, ours / theirs,
                    qPrintable(note));
    else
        std::printf("%-34s %6d  %8.2f s  %10s  %7s  %s\n", what, n, ours, "-", "-", qPrintable(note));
    std::fflush(stdout);
}

// A failed round says why, in the row's note.
QString Failure(const TSyncOutcome &outcome)
{
    return outcome.Result == TSyncOutcome::Failed ? QStringLiteral(" FAILED: ") + outcome.Failure.Message
                                                  : QString();
}

void Fill(TSyncMachine &machine, int n)
{
    std::mt19937 rng(42);
    for (int i = 0; i < n; ++i) {
        TTask *task = machine.List.AddNewTask();
        task->Text = MakeText(rng);
        task->Created = TClock::Now() + i / 86400000.0; // a millisecond apart
        task->Modified = task->Created;
        if (i % 3 == 0)
            task->ReminderTime = TClock::Now() + 1 + i % 30;
    }
}

// Radicale reads every stored item of the collection on each PUT (to refuse
// a second item with the same UID), so sending N new items costs the server
// N*N/2 item reads whoever the client is: 1,000 take a minute, 10,000 would
// take hours. Above this size the items are put straight into the server's
// storage instead, and the first sync is measured receiving only.
constexpr int KLargestSent = 2000;

void RunSize(TRadicale &server, int n)
{
    const QString up = QStringLiteral("up%1").arg(n);
    const QString theirs = QStringLiteral("vd%1").arg(n);
    server.CreateTaskList(up);
    server.CreateTaskList(theirs);

    TSyncMachine a(server, up);
    Fill(a, n);
    TSyncOutcome outcome;
    if (n <= KLargestSent) {
        // First sync from a full list to an empty collection.
        const double ourUpload = Seconds([&] { outcome = a.Round(); });
        // vdirsyncer sends the same items, as files in its folder.
        TVdirsyncer sender(server, theirs, TempDir().filePath(QStringLiteral("send%1").arg(n)));
        int i = 0;
        for (const TTask *task : a.List.Tasks()) {
            const QByteArray uid = "bench-" + QByteArray::number(i++);
            QFile file(sender.Items() + u'/' + QString::fromLatin1(uid) + QStringLiteral(".ics"));
            if (file.open(QIODevice::WriteOnly))
                file.write(TaskToCalendarObject(*task, uid, {}));
        }
        sender.Run(QStringLiteral("discover"));
        const double theirUpload = sender.Run(QStringLiteral("sync"));
        Row("first sync, sending", n, ourUpload, theirUpload,
            QStringLiteral("%1 sent").arg(outcome.Uploaded) + Failure(outcome));
    } else {
        int i = 0;
        for (const TTask *task : a.List.Tasks()) {
            const QByteArray uid = "bench-" + QByteArray::number(i++);
            server.StoreItem(up, QString::fromLatin1(uid) + QStringLiteral(".ics"),
                             TaskToCalendarObject(*task, uid, {}));
        }
        // The server reads each new file once, at the first request that
        // lists them; items PUT to it were read as they came. Unmeasured.
        TCalDavClient::TOptions patient = a.Options;
        patient.TimeoutMs = 3600 * 1000;
        QList<TDavItem> listed;
        const double warming = Seconds([&] { TCalDavClient(patient).ListAll(listed); });
        std::printf("(the server read the %lld stored items in %.1f s)\n", qint64(listed.size()), warming);
        // The list meets its own items on the server: a round without state
        // pairs every one.
        const double pairing = Seconds([&] { outcome = a.Round(); });
        Row("first sync, both sides full", n, pairing, 0,
            QStringLiteral("%1 sent, %2 received (sending skipped: the server's cost grows as N*N)")
                    .arg(outcome.Uploaded)
                    .arg(outcome.Downloaded) +
                Failure(outcome));
    }

    // First sync from a full collection to an empty list, and to an empty folder.
    TSyncMachine b(server, up);
    const double ourDownload = Seconds([&] { outcome = b.Round(); });
    TVdirsyncer receiver(server, up, TempDir().filePath(QStringLiteral("receive%1").arg(n)));
    receiver.Run(QStringLiteral("discover"));
    const double theirDownload = receiver.Run(QStringLiteral("sync"));
    Row("first sync, receiving", n, ourDownload, theirDownload,
        QStringLiteral("%1 received").arg(outcome.Downloaded) + Failure(outcome));

    // One change among them: sent by one side, received by the other.
    TTask *changed = a.List.GetTask(n / 2);
    changed->Text += " (changed)";
    changed->Modified = TClock::Now();
    const double ourSend = Seconds([&] { outcome = a.Round(); });
    const int sent = outcome.Uploaded;
    const QString sendFailure = Failure(outcome);
    const double ourReceive = Seconds([&] { outcome = b.Round(); });
    const double theirIncremental = receiver.Run(QStringLiteral("sync"));
    Row("one change, sending", n, ourSend, theirIncremental,
        QStringLiteral("%1 sent").arg(sent) + sendFailure);
    Row("one change, receiving", n, ourReceive, theirIncremental,
        QStringLiteral("%1 received, %2 sent").arg(outcome.Downloaded).arg(outcome.Uploaded) +
            Failure(outcome));
    // The least a round can take: the server's answer to a sync-token query
    // that finds nothing new, with no work on this side.
    TDavChanges changes;
    const double query = Seconds([&] { TCalDavClient(b.Options).ListChanges(b.State.SyncToken, changes); });
    Row("the server's sync-token answer", n, query, 0,
        QStringLiteral("%1 changed").arg(changes.Changed.size()));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QList<int> sizes{1000, 10000};
    const QStringList args = app.arguments();
    if (const qsizetype at = args.indexOf(QStringLiteral("--sizes")); at > 0 && at + 1 < args.size()) {
        sizes.clear();
        for (const QString &size : args[at + 1].split(u','))
            sizes << size.toInt();
    }
    if (!TRadicale::Installed() || QStandardPaths::findExecutable(QStringLiteral("vdirsyncer")).isEmpty()) {
        std::puts("bench_sync: radicale or vdirsyncer is not installed; skipped");
        return 0;
    }
    TRadicale server;
    if (!server.Start()) {
        std::fprintf(stderr, "bench_sync: %s\n", qPrintable(server.Error()));
        return 1;
    }
    TClock::Set(QDateTime(QDate(2026, 12, 7), QTime(9, 0)));
    std::printf("%-34s %6s  %10s  %10s  %7s\n", "sync with Radicale (loopback)", "tasks", "Jotterbox",
                "vdirsyncer", "ratio");
    for (int n : sizes)
        RunSize(server, n);
    return 0;
}
