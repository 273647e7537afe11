// The installed program at rest on a private X display: 1,000 tasks, ten of
// them on screen as notes, the task list and the toolbar shown. Once it has
// settled, over a stretch of S seconds: its CPU time, how often each of its
// threads wakes up, and every widget paint (the program's own paint log,
// QT_LOGGING_RULES=jbx.paint=true). Beside it, over the same stretch, the
// bare Qt tray program (the floor).
//
// What a resting program may do: the reminder scan once a second, the
// toolbar's clock every 20 s, the save check once a minute; a paint only
// where something on screen changed (the clock's hands once a minute).
//
//   bench_idle [--seconds S] [--tasks N] [--notes N]

#include "ProcessBench.h"
#include "support/XServer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

using namespace ProcessBench;

namespace {

constexpr double CpuTarget = 0.1; // seconds of CPU per idle minute
// The main thread's timers: reminder scan, toolbar clock, save check.
constexpr double TimerWakeups = 1.0 + 1.0 / 20 + 1.0 / 60;
constexpr int SettleQuietMs = 3000; // no paint for this long counts as settled
// The notes reopened at the start mark the data changed, so the first
// minute's save check writes the file (a dozen waits on the disk); the
// stretch starts after it. A program that saves nothing waits this long.
constexpr int FirstSaveMs = 75000;

// One process watched over the stretch.
struct TWatch {
    QString Label;
    QProcess Process;
    double Cpu = 0;
    QMap<qint64, TThreadSwitches> Threads;
    QByteArray Pending;                               // printed during the stretch, not yet a whole line
    std::vector<std::pair<double, QByteArray>> Lines; // whole lines, by second of the stretch
};

void TakeLines(TWatch &watch, double second)
{
    watch.Pending += watch.Process.readAll();
    const qsizetype end = watch.Pending.lastIndexOf('\n');
    if (end < 0)
        return;
    for (const QByteArray &line : watch.Pending.left(end).split('\n'))
        watch.Lines.emplace_back(second, line);
    watch.Pending.remove(0, end + 1);
}

void Snapshot(TWatch &watch)
{
    watch.Cpu = CpuSeconds(watch.Process.processId());
    watch.Threads = ThreadSwitches(watch.Process.processId());
}

// Reads what the program prints until it has painted nothing for a while
// (the notes, the list and the toolbar are placed and drawn) and its data
// file was written once since `started`. Says how long that took.
bool Settle(QProcess &process, const QString &dataFile, const QDateTime &started, double *seconds,
            bool *painted)
{
    QElapsedTimer total, quiet;
    total.start();
    quiet.start();
    auto saved = [&] { return QFileInfo(dataFile).lastModified() > started; };
    while (quiet.elapsed() < SettleQuietMs || !saved()) {
        if (total.elapsed() > FirstSaveMs || process.state() == QProcess::NotRunning)
            break;
        process.waitForReadyRead(100);
        if (process.readAll().contains("jbx.paint:")) {
            quiet.restart();
            *painted = true;
        }
    }
    *seconds = double(total.elapsed()) / 1000;
    return quiet.elapsed() >= SettleQuietMs && saved();
}

// The settings the stretch needs: the list on screen, no tip of the day.
void WriteSettings(const QString &folder)
{
    TUserInfo settings(folder + u'/');
    settings.Showing = true;
    settings.ShowTips = false;
    settings.ShowToolBar = true;
    settings.SaveSettings();
}

void PrintProcess(const TWatch &before, const TWatch &after, double seconds)
{
    const double cpu = after.Cpu - before.Cpu;
    std::printf("%s: CPU %.3f s = %.3f s per minute\n", qPrintable(after.Label), cpu, cpu * 60 / seconds);
    qint64 total = 0;
    for (auto it = after.Threads.begin(); it != after.Threads.end(); ++it) {
        const TThreadSwitches start = before.Threads.value(it.key());
        const qint64 voluntary = it->Voluntary - start.Voluntary;
        const qint64 involuntary = it->Involuntary - start.Involuntary;
        total += voluntary;
        const bool main = it.key() == after.Process.processId();
        std::printf("    thread %-16s %s %7.2f wake-ups/s (%lld; %lld pre-empted)%s\n", qPrintable(it->Name),
                    main ? "main " : "other", double(voluntary) / seconds, qint64(voluntary),
                    qint64(involuntary), before.Threads.contains(it.key()) ? "" : " new");
    }
    std::printf("    all threads          %7.2f wake-ups/s\n", double(total) / seconds);
}

// What Qt's own threads wait for, so their wake-ups can be read.
void ExplainThreads()
{
    std::printf("  QXcbEventQueue reads the X connection: it wakes for each batch of X events (replies to a "
                "paint, the window manager's messages)\n"
                "  QDBusConnection serves the session bus: it wakes only for bus traffic (none here)\n"
                "  Thread (pooled) are Qt's worker threads from the start-up; idle, they end after 30 s\n"
                "  CPU time is counted in whole 10 ms clock ticks\n");
}

qint64 MainWakeups(const TWatch &before, const TWatch &after)
{
    const qint64 pid = after.Process.processId();
    return after.Threads.value(pid).Voluntary - before.Threads.value(pid).Voluntary;
}

// The paints of the stretch: how many, by what was painted, and in how
// many bursts (one change on screen paints a widget, its parents and
// siblings beneath it at once), and the bursts outside the toolbar.
struct TPaints {
    int Total = 0;
    int Bursts = 0;
    int OtherBursts = 0;
    QMap<QString, int> Counts;
    QStringList BurstTimes;
};

TPaints Paints(const TWatch &watch)
{
    static const QRegularExpression paint(
        QStringLiteral("jbx\\.paint: paint (\\S+ '[^']*' in (\\S+) '[^']*')"));
    TPaints paints;
    double last = -1;
    bool otherInBurst = false;
    for (const auto &[second, text] : watch.Lines) {
        const QRegularExpressionMatch match = paint.match(QString::fromUtf8(text));
        if (!match.hasMatch())
            continue;
        ++paints.Counts[match.captured(1)];
        ++paints.Total;
        const bool other = match.captured(2) != QLatin1String("TFormToolBar");
        if (last < 0 || second - last > 0.1) {
            ++paints.Bursts;
            if (paints.BurstTimes.size() < 20)
                paints.BurstTimes << QString::number(second, 'f', 1);
            else if (paints.BurstTimes.size() == 20)
                paints.BurstTimes << QStringLiteral("...");
            otherInBurst = false;
        }
        if (other && !otherInBurst) {
            ++paints.OtherBursts;
            otherInBurst = true;
        }
        last = second;
    }
    return paints;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int seconds = 60;
    int taskCount = 1000;
    int noteCount = 10;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--seconds"))
            seconds = qMax(1, args[i + 1].toInt());
        if (args[i] == QLatin1String("--tasks"))
            taskCount = qMax(0, args[i + 1].toInt());
        if (args[i] == QLatin1String("--notes"))
            noteCount = qMax(0, args[i + 1].toInt());
    }
    noteCount = qMin(noteCount, taskCount);

    TXServer x;
    if (!StartDisplay(x, "bench_idle"))
        return 1;
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("program"));
    if (!Install(folder)) {
        std::fprintf(stderr, "bench_idle: cannot install the program\n");
        return 1;
    }
    // Some reminders and due dates in the list, none of them due during
    // the stretch: the scan reads them all and fires nothing.
    WriteTasks(folder, taskCount, noteCount, [](TTask *task, int i) {
        if (i % 10 == 3)
            task->ReminderTime = 80000; // year 2119
        if (i % 4 == 1)
            task->DueDate = 80000;
        task->Left = 40 + 60 * (i % 12);
    });
    WriteSettings(folder);

    const QProcessEnvironment environment = Environment(x, dir.filePath(QStringLiteral("runtime")),
                                                        QStringLiteral("jbx.events=true;jbx.paint=true"));
    TWatch program, floor;
    program.Label = QStringLiteral("Jotterbox");
    floor.Label = QStringLiteral("floor (bare Qt tray program)");
    // After the file was written here: the program's first save is later.
    const QDateTime started = QDateTime::currentDateTime();
    StartOne(program.Process, folder + QStringLiteral("/Jotterbox"), folder, environment);
    StartOne(floor.Process, QStringLiteral(JBX_FLOOR_PATH), dir.path(), environment);
    if (program.Process.state() != QProcess::Running || floor.Process.state() != QProcess::Running) {
        std::fprintf(stderr, "bench_idle: a program did not reach its idle pass\n");
        return 1;
    }
    double settled = 0;
    bool painted = false;
    if (!Settle(program.Process, folder + QStringLiteral("/Jotterbox.dat"), started, &settled, &painted))
        std::printf("note: after %.0f s the program still painted or had not saved yet\n", settled);
    if (!painted)
        std::printf("note: the program logged no paint at all: its paint log (jbx.paint) is missing, so the "
                    "paint count below means nothing\n");
    floor.Process.readAll();

    TWatch programStart, floorStart;
    programStart.Label = program.Label;
    floorStart.Label = floor.Label;
    Snapshot(program);
    Snapshot(floor);
    programStart.Cpu = program.Cpu;
    programStart.Threads = program.Threads;
    floorStart.Cpu = floor.Cpu;
    floorStart.Threads = floor.Threads;

    QElapsedTimer stretch;
    stretch.start();
    while (stretch.elapsed() < qint64(seconds) * 1000) {
        program.Process.waitForReadyRead(
            int(std::clamp<qint64>(qint64(seconds) * 1000 - stretch.elapsed(), 1, 50)));
        TakeLines(program, double(stretch.nsecsElapsed()) / 1e9);
    }
    Snapshot(program);
    Snapshot(floor);
    const double elapsed = double(stretch.nsecsElapsed()) / 1e9;
    TakeLines(program, elapsed);

    std::printf("idle over %.1f s from %.1f s after the idle pass: %d tasks, %d notes open, list and toolbar "
                "shown\n",
                elapsed, settled, taskCount, noteCount);
    PrintProcess(programStart, program, elapsed);
    PrintProcess(floorStart, floor, elapsed);
    ExplainThreads();

    const double cpu = (program.Cpu - programStart.Cpu) * 60 / elapsed;
    const double floorCpu = (floor.Cpu - floorStart.Cpu) * 60 / elapsed;
    std::printf("CPU per minute: %.3f s, floor %.3f s, ratio %s (target under %.1f s: %s)\n", cpu, floorCpu,
                floorCpu > 0 ? qPrintable(QString::number(cpu / floorCpu, 'f', 1)) : "n/a (floor used none)",
                CpuTarget, cpu < CpuTarget ? "met" : "MISSED");
    const double mainRate = double(MainWakeups(programStart, program)) / elapsed;
    const double floorMainRate = double(MainWakeups(floorStart, floor)) / elapsed;
    std::printf("main thread wake-ups: %.2f/s, floor %.2f/s; its timers need %.2f/s: ratio %.2f "
                "(target about 1: %s)\n",
                mainRate, floorMainRate, TimerWakeups, mainRate / TimerWakeups,
                mainRate <= TimerWakeups * 1.5 + floorMainRate ? "met" : "MISSED");

    const TPaints paints = Paints(program);
    // The clock's hands move once a minute: that burst is due, nothing else.
    const int due = int(elapsed / 60) + 1;
    std::printf("paints: %d in %d bursts (at s %s), %d of them outside the toolbar; the clock's minute "
                "needs at most %d bursts; the floor has no paint log\n",
                paints.Total, paints.Bursts, qPrintable(paints.BurstTimes.join(u' ')), paints.OtherBursts,
                due);
    for (auto it = paints.Counts.begin(); it != paints.Counts.end(); ++it)
        std::printf("    %5d  %s\n", it.value(), qPrintable(it.key()));
    std::printf("nothing repaints while nothing changes: %s\n",
                paints.Bursts <= due && paints.OtherBursts == 0 ? "met" : "MISSED");

    End(program.Process);
    End(floor.Process);
    return 0;
}
