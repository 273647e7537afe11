// The installed program at rest on a private X display, in two cases: one
// note open and nothing due (no list, no toolbar); and 1,000 tasks whose
// reminders are spread over the next month, ten notes, the list and the
// toolbar shown. Once it has settled and the keyboard focus went to another
// program's window (as when the user works elsewhere), over a stretch of S
// seconds: its CPU time, how often each of its threads wakes up, and every
// widget paint (the program's own paint log, QT_LOGGING_RULES=jbx.paint=true).
// Beside it, over the same stretch, the floors: the bare Qt tray program,
// and xpad (a GTK sticky-notes program) when it is installed.
//
// What a resting program may do: nothing while nothing is due; the
// toolbar's clock once a minute while it shows, and a paint there.
//
//   bench_idle [--seconds S] [--runs N]

#include "ProcessBench.h"
#include "base/DateTime.h"
#include "support/XServer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

using namespace ProcessBench;

namespace {

constexpr int SettleQuietMs = 3000; // no paint for this long counts as settled
constexpr int SettleLongestMs = 60000;

// CPU time of each live thread of a process, in nanoseconds: the
// scheduler's own count, finer than the clock ticks of /proc/PID/stat.
QMap<qint64, double> CpuNanos(qint64 pid)
{
    QMap<qint64, double> threads;
    const QString base = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString &tid : QDir(base).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(base + u'/' + tid + QStringLiteral("/schedstat"));
        if (stat.open(QIODevice::ReadOnly))
            threads.insert(tid.toLongLong(), stat.readAll().split(' ').value(0).toDouble());
    }
    return threads;
}

// The CPU time spent between two readings by the threads alive at the
// second (a thread that ended meanwhile, an idle pooled one, is left out).
double CpuSpent(const QMap<qint64, double> &before, const QMap<qint64, double> &after)
{
    double spent = 0;
    for (auto it = after.begin(); it != after.end(); ++it)
        spent += it.value() - before.value(it.key(), 0);
    return spent;
}

// One process watched over the stretch.
struct TWatch {
    QString Label;
    QProcess Process;
    QMap<qint64, double> Cpu; // ns by thread
    QMap<qint64, TThreadSwitches> Threads;
    QByteArray Pending;                               // printed during the stretch, not yet a whole line
    std::vector<std::pair<double, QByteArray>> Lines; // whole lines, by second of the stretch
};

struct TFigures {
    double CpuMsPerMinute = 0;
    double MainPerMinute = 0;
    double AllPerMinute = 0;
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

void Snapshot(TWatch &watch, QMap<qint64, double> *cpu, QMap<qint64, TThreadSwitches> *threads)
{
    *cpu = CpuNanos(watch.Process.processId());
    *threads = ThreadSwitches(watch.Process.processId());
}

// Reads what the program prints until it has painted nothing for a while
// (the notes, the list and the toolbar are placed and drawn).
bool Settle(QProcess &process, bool *painted)
{
    QElapsedTimer total, quiet;
    total.start();
    quiet.start();
    while (quiet.elapsed() < SettleQuietMs) {
        if (total.elapsed() > SettleLongestMs || process.state() == QProcess::NotRunning)
            return false;
        process.waitForReadyRead(100);
        if (process.readAll().contains("jbx.paint:")) {
            quiet.restart();
            *painted = true;
        }
    }
    return true;
}

TFigures Figures(const TWatch &watch, const QMap<qint64, double> &cpuBefore,
                 const QMap<qint64, TThreadSwitches> &before, double seconds, bool print)
{
    TFigures figures;
    figures.CpuMsPerMinute = CpuSpent(cpuBefore, watch.Cpu) / 1e6 * 60 / seconds;
    if (print)
        std::printf("  %s: CPU %.2f ms per minute\n", qPrintable(watch.Label), figures.CpuMsPerMinute);
    qint64 total = 0;
    for (auto it = watch.Threads.begin(); it != watch.Threads.end(); ++it) {
        const TThreadSwitches start = before.value(it.key());
        const qint64 voluntary = it->Voluntary - start.Voluntary;
        total += voluntary;
        const bool main = it.key() == watch.Process.processId();
        if (main)
            figures.MainPerMinute = double(voluntary) * 60 / seconds;
        if (print && (voluntary > 0 || main))
            std::printf("    thread %-16s %s %7.1f wake-ups/min (%lld; %lld pre-empted)%s\n",
                        qPrintable(it->Name), main ? "main " : "other", double(voluntary) * 60 / seconds,
                        qint64(voluntary), qint64(it->Involuntary - start.Involuntary),
                        before.contains(it.key()) ? "" : " new");
    }
    figures.AllPerMinute = double(total) * 60 / seconds;
    if (print)
        std::printf("    all threads          %7.1f wake-ups/min\n", figures.AllPerMinute);
    return figures;
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

struct TCase {
    const char *Name;
    int Tasks;
    int Notes;
    bool ListAndToolbar;
    bool Reminders;     // spread over the next month
    double WakeTarget;  // per minute, all threads
    double CpuTargetMs; // per minute
};

// The settings of a case: no tip of the day, the last backup an hour ago
// (none falls due in the stretch).
void WriteSettings(const QString &folder, bool listAndToolbar)
{
    TUserInfo settings(folder + u'/');
    settings.Showing = listAndToolbar;
    settings.ShowTips = false;
    settings.ShowToolBar = listAndToolbar;
    settings.LastBackup = QDateTimeToDateTime(QDateTime::currentDateTime().addSecs(-3600));
    settings.SaveSettings();
}

struct TResult {
    TFigures Program;
    QMap<QString, TFigures> Floors;
    bool PaintsMet = true;
};

bool RunCase(const TCase &kind, const TXServer &x, int seconds, bool print, TResult *result)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("program"));
    if (!Install(folder)) {
        std::fprintf(stderr, "bench_idle: cannot install the program\n");
        return false;
    }
    const double now = QDateTimeToDateTime(QDateTime::currentDateTime());
    WriteTasks(folder, kind.Tasks, kind.Notes, [&](TTask *task, int i) {
        if (kind.Reminders)
            task->ReminderTime = now + 30.0 * (i + 1) / kind.Tasks;
        if (i % 4 == 1)
            task->DueDate = std::floor(now) + 1 + i % 30;
        task->Left = 40 + 60 * (i % 12);
    });
    WriteSettings(folder, kind.ListAndToolbar);

    const QString runtime = dir.filePath(QStringLiteral("runtime"));
    const QProcessEnvironment environment =
        Environment(x, runtime, QStringLiteral("jbx.events=true;jbx.paint=true"));
    std::vector<std::unique_ptr<TWatch>> floors;
    TWatch program;
    program.Label = QStringLiteral("Jotterbox");
    StartOne(program.Process, folder + QStringLiteral("/Jotterbox"), folder, environment);
    if (program.Process.state() != QProcess::Running) {
        std::fprintf(stderr, "bench_idle: the program did not reach its idle pass\n");
        return false;
    }
    auto floor = std::make_unique<TWatch>();
    floor->Label = QStringLiteral("floor: bare Qt tray program");
    StartOne(floor->Process, QStringLiteral(JBX_FLOOR_PATH), dir.path(), environment);
    floors.push_back(std::move(floor));
    if (QFileInfo::exists(QStringLiteral("/usr/bin/xpad"))) {
        auto xpad = std::make_unique<TWatch>();
        xpad->Label = QStringLiteral("floor: xpad");
        QProcessEnvironment home = environment;
        home.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
        QDir().mkpath(dir.filePath(QStringLiteral("home")));
        xpad->Process.setProcessEnvironment(home);
        xpad->Process.setProcessChannelMode(QProcess::MergedChannels);
        xpad->Process.start(QStringLiteral("/usr/bin/xpad"), {});
        xpad->Process.waitForStarted();
        floors.push_back(std::move(xpad));
    }

    bool painted = false;
    if (!Settle(program.Process, &painted) && print)
        std::printf("  note: the program still painted after %d s\n", SettleLongestMs / 1000);
    if (!painted && print)
        std::printf("  note: the program logged no paint at all: its paint log (jbx.paint) is missing\n");
    // The keyboard focus goes to another program's window, as when the
    // user works elsewhere: no text cursor blinks in a note.
    QProcess elsewhere;
    elsewhere.setProcessEnvironment(environment);
    elsewhere.start(QStringLiteral("xmessage"),
                    {QStringLiteral("-geometry"), QStringLiteral("+600+400"), QStringLiteral("elsewhere")});
    elsewhere.waitForStarted();
    Settle(program.Process, &painted);
    for (auto &watch : floors)
        watch->Process.readAll();

    QMap<qint64, double> programCpu;
    QMap<qint64, TThreadSwitches> programThreads;
    Snapshot(program, &programCpu, &programThreads);
    std::vector<std::pair<QMap<qint64, double>, QMap<qint64, TThreadSwitches>>> floorStart(floors.size());
    for (size_t i = 0; i < floors.size(); ++i)
        Snapshot(*floors[i], &floorStart[i].first, &floorStart[i].second);

    QElapsedTimer stretch;
    stretch.start();
    while (stretch.elapsed() < qint64(seconds) * 1000) {
        program.Process.waitForReadyRead(
            int(std::clamp<qint64>(qint64(seconds) * 1000 - stretch.elapsed(), 1, 50)));
        TakeLines(program, double(stretch.nsecsElapsed()) / 1e9);
    }
    Snapshot(program, &program.Cpu, &program.Threads);
    for (auto &watch : floors)
        Snapshot(*watch, &watch->Cpu, &watch->Threads);
    const double elapsed = double(stretch.nsecsElapsed()) / 1e9;
    TakeLines(program, elapsed);

    result->Program = Figures(program, programCpu, programThreads, elapsed, print);
    for (size_t i = 0; i < floors.size(); ++i)
        result->Floors[floors[i]->Label] =
            Figures(*floors[i], floorStart[i].first, floorStart[i].second, elapsed, print);

    const TPaints paints = Paints(program);
    // The clock's hands move once a minute: that burst is due, nothing else.
    const int due = kind.ListAndToolbar ? int(elapsed / 60) + 1 : 0;
    result->PaintsMet = paints.Bursts <= due && paints.OtherBursts == 0;
    if (print) {
        std::printf("  paints: %d in %d bursts (at s %s), %d of them outside the toolbar; the clock's minute "
                    "needs at most %d\n",
                    paints.Total, paints.Bursts, qPrintable(paints.BurstTimes.join(u' ')), paints.OtherBursts,
                    due);
        for (auto it = paints.Counts.begin(); it != paints.Counts.end(); ++it)
            std::printf("    %5d  %s\n", it.value(), qPrintable(it.key()));
    }

    End(program.Process);
    for (auto &watch : floors)
        End(watch->Process);
    elsewhere.kill();
    elsewhere.waitForFinished();
    return true;
}

// What Qt's own threads wait for, so their wake-ups can be read.
void ExplainThreads()
{
    std::printf("  QXcbEventQueue reads the X connection: it wakes for each batch of X events\n"
                "  QDBusConnection serves the session bus: it wakes only for bus traffic (none here)\n"
                "  Thread (pooled) are Qt's worker threads from the start-up; idle, they end after 30 s\n");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int seconds = 60;
    int runs = 1;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--seconds"))
            seconds = qMax(1, args[i + 1].toInt());
        if (args[i] == QLatin1String("--runs"))
            runs = qMax(1, args[i + 1].toInt());
    }

    TXServer x;
    if (!StartDisplay(x, "bench_idle"))
        return 1;
    const TCase cases[] = {
        {"one note open, nothing due, no list or toolbar", 1, 1, false, false, 2, 0.5},
        {"1,000 tasks with reminders over the next month, 10 notes, list and toolbar shown", 1000, 10, true,
         true, 3, 1.0},
    };
    for (const TCase &kind : cases) {
        std::printf("%s: idle %d s after settling, %d run(s)%s\n", kind.Name, seconds, runs,
                    runs > 1 ? "; the first run in full, then medians" : "");
        std::vector<TResult> results;
        for (int run = 0; run < runs; ++run) {
            TResult result;
            if (!RunCase(kind, x, seconds, run == 0, &result))
                return 1;
            results.push_back(result);
        }
        auto median = [&](const std::function<double(const TResult &)> &value) {
            std::vector<double> values;
            for (const TResult &result : results)
                values.push_back(value(result));
            return Median(values);
        };
        const double cpu = median([](const TResult &r) { return r.Program.CpuMsPerMinute; });
        const double wakes = median([](const TResult &r) { return r.Program.AllPerMinute; });
        const double mainWakes = median([](const TResult &r) { return r.Program.MainPerMinute; });
        std::printf("  Jotterbox: %.1f wake-ups per minute (main thread %.1f), CPU %.2f ms per minute\n",
                    wakes, mainWakes, cpu);
        for (auto it = results.front().Floors.begin(); it != results.front().Floors.end(); ++it) {
            const QString label = it.key();
            const double floorCpu = median([&](const TResult &r) { return r.Floors[label].CpuMsPerMinute; });
            const double floorWakes = median([&](const TResult &r) { return r.Floors[label].AllPerMinute; });
            std::printf("  %s: %.1f wake-ups per minute, CPU %.2f ms per minute; Jotterbox's CPU ratio %s\n",
                        qPrintable(label), floorWakes, floorCpu,
                        floorCpu > 0 ? qPrintable(QString::number(cpu / floorCpu, 'f', 1)) : "n/a");
        }
        std::printf("  target at most %.0f wake-ups and %.1f ms CPU per minute: %s; nothing repaints while "
                    "nothing changes: %s\n",
                    kind.WakeTarget, kind.CpuTargetMs,
                    wakes <= kind.WakeTarget && cpu <= kind.CpuTargetMs ? "met" : "MISSED",
                    std::all_of(results.begin(), results.end(), [](const TResult &r) { return r.PaintsMet; })
                        ? "met"
                        : "MISSED");
    }
    ExplainThreads();
    return 0;
}
