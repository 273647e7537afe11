// Crash test of the save: the installed program, holding 20,000 tasks, is
// made to save and killed with SIGKILL at a random moment spread over that
// save. After every kill the data file and the seven backups must each hold
// exactly the old or exactly the new content, whole; the folder must hold no
// leftover temporary file.
//
// Every task is saved with a reminder already due, so the program's first
// reminder scan (right after the start) changes every task and marks the
// data changed: the new content then differs from the old in every record,
// and a mix of the two or a shortened file cannot pass for either. Saves
// come two ways, in turn: the end of the session (SIGTERM, whose path saves
// before the program exits) and a tick of the save timer. Each trial also
// sets LastBackup to 0, so the same save writes today's backup.
//
//   bench_crashsave [--trials N] [--seed S]

#include "BenchSupport.h"
#include "CrashSaveCheck.h"
#include "CrashSaveChild.h"
#include "CrashSaveWatch.h"
#include "ProcessBench.h"

#include "model/TStream.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"
#include "support/XServer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <random>
#include <sys/stat.h>

namespace {

using TSteady = std::chrono::steady_clock;
using TPoint = TSteady::time_point;
using std::chrono::microseconds;
using std::chrono::milliseconds;

using namespace CrashSave;

// The save timer's tick for the timed trials: after the first reminder scan
// (1 s, both timers are coarse, 5 %), soon enough not to wait long.
constexpr int TickIntervalMs = 1300;

enum class TMode { Term, Tick };

const char *ModeName(TMode mode) { return mode == TMode::Term ? "SIGTERM" : "save tick"; }

double Ms(TSteady::duration d)
{
    return double(std::chrono::duration_cast<microseconds>(d).count()) / 1000.0;
}

void SleepUntil(TPoint moment)
{
    const auto since = moment.time_since_epoch();
    timespec at{};
    at.tv_sec = time_t(std::chrono::duration_cast<std::chrono::seconds>(since).count());
    at.tv_nsec = long(std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() % 1000000000);
    // steady_clock is CLOCK_MONOTONIC on Linux.
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool Install(const QString &folder)
{
    TCrashSaveChild install;
    if (!install.Start(
            QStringLiteral(JBX_CMAKE_COMMAND),
            {QStringLiteral("--install"), QStringLiteral(JBX_BUILD_DIR), QStringLiteral("--prefix"), folder},
            QProcessEnvironment::systemEnvironment().toStringList()))
        return false;
    install.ReadToEnd();
    install.Wait();
    return install.ExitCode() == 0;
}

// The old content: realistic texts, every reminder due a while ago.
QByteArray MakeOldContent(const QString &folder)
{
    TUserInfo settings(folder + u'/');
    TTaskList tasks(settings);
    std::mt19937 rng(20000);
    const TDateTime now = QDateTimeToDateTime(QDateTime::currentDateTime());
    for (int i = 0; i < TaskCount; ++i) {
        TTask *task = tasks.AddNewTask();
        task->Text = MakeText(rng);
        task->ReminderTime = now - 1.0 - double(i) / TaskCount;
        task->DueDate = now + 1.0;
    }
    return tasks.SaveToBytes();
}

// What the program must save once its first reminder scan has fired them all.
QByteArray ExpectedNewContent(const QString &folder, const QByteArray &old)
{
    TUserInfo settings(folder + u'/');
    TTaskList tasks(settings);
    TMemoryStream stream(old);
    tasks.LoadFromStream(stream);
    for (TTask *task : tasks.Tasks()) {
        task->ReminderTime = 0;
        task->Alerting = true;
    }
    return tasks.SaveToBytes();
}

void PrepareTrial(const TFolder &folder)
{
    WriteAll(folder.DataFile(), folder.Old);
    WriteAll(folder.File(QStringLiteral("Jotterbox.ini")), folder.Ini);
    for (int n = 0; n < BackupCount; ++n)
        QFile::remove(folder.File(QStringLiteral("%1.log").arg(n)));
}

bool StartProgram(TCrashSaveChild &child, const TFolder &folder, TMode mode)
{
    QStringList environment = folder.Environment;
    if (mode == TMode::Tick)
        environment << QStringLiteral("JBX_SAVE_INTERVAL_MS=%1").arg(TickIntervalMs);
    return child.Start(folder.File(QStringLiteral("Jotterbox")), {}, environment);
}

// The first reminder scan has fired every reminder once the tray alert starts.
std::optional<TPoint> WaitForScan(TCrashSaveChild &child)
{
    if (child.WaitForOutput("jbx.events: tray alert", 0, TSteady::now() + std::chrono::seconds(60)) < 0)
        return std::nullopt;
    return TSteady::now();
}

bool LogHasSaved(const TFolder &folder)
{
    for (int n = 0; n < BackupCount; ++n)
        if (ReadAll(folder.File(QStringLiteral("%1.log").arg(n))).contains("TimerSaveTimer"))
            return true;
    return false;
}

// The debug log line that opens the timed save: the first log written after
// the scan. The line is checked, in case anything else wrote one first.
std::optional<TPoint> WaitForTickStart(TCrashSaveWatch &watch, const TFolder &folder, TPoint deadline)
{
    while (auto event = watch.Next(deadline))
        if ((event->Mask & IN_CLOSE_WRITE) && event->Name.endsWith(".log") && LogHasSaved(folder))
            return event->Seen;
    return std::nullopt;
}

bool IsCommitOf(const TCrashSaveWatch::TEvent &event, const QByteArray &name)
{
    return (event.Mask & (IN_MOVED_TO | IN_CREATE)) && event.Name == name;
}

struct TCalibration {
    double SaveMs = -1;         // from the trigger to the end of the save
    double TriggerAfterMs = -1; // from the scan seen to the timed save's start
    bool ContentOk = false;
};

// One save allowed to finish: how long it takes, and what it writes.
TCalibration Calibrate(const TFolder &folder, TCrashSaveWatch &watch, TMode mode)
{
    TCalibration result;
    PrepareTrial(folder);
    for (int n = 0; n < BackupCount; ++n)
        WriteAll(folder.BackupFile(n), folder.Old);
    watch.Clear();
    TCrashSaveChild child;
    if (!StartProgram(child, folder, mode))
        return result;
    const std::optional<TPoint> scan = WaitForScan(child);
    if (!scan)
        return result;
    if (mode == TMode::Term) {
        SleepUntil(*scan + milliseconds(20));
        const TPoint start = TSteady::now();
        child.Signal(SIGTERM);
        child.ReadToEnd();
        child.Wait();
        result.SaveMs = Ms(TSteady::now() - start);
    } else {
        if (LogHasSaved(folder))
            return result; // the tick came before the scan
        watch.Clear();
        const std::optional<TPoint> start = WaitForTickStart(watch, folder, *scan + std::chrono::seconds(10));
        if (!start)
            return result;
        result.TriggerAfterMs = Ms(*start - *scan);
        // Done once the settings after the backup are in place.
        bool backup = false;
        while (auto event = watch.Next(*start + std::chrono::seconds(30))) {
            if (event->Name.startsWith("Jotterbox_Backup_") && event->Name.endsWith(".dat") &&
                IsCommitOf(*event, event->Name))
                backup = true;
            if (backup && IsCommitOf(*event, "Jotterbox.ini")) {
                result.SaveMs = Ms(event->Seen - *start);
                break;
            }
        }
        child.Signal(SIGKILL);
        child.Wait();
    }
    int newBackups = 0;
    for (int n = 0; n < BackupCount; ++n)
        newBackups += ReadAll(folder.BackupFile(n)) == folder.New;
    result.ContentOk = ReadAll(folder.DataFile()) == folder.New && newBackups == 1;
    return result;
}

enum class TPhase { Before, During, After, Invalid };

// What the process has open at the moment of the kill: a save in progress
// holds its unnamed temporary file in the program folder ("#inode (deleted)").
struct TOpenSave {
    bool Open = false;
    qint64 Bytes = 0;
};

TOpenSave OpenSaveFile(pid_t pid, const QByteArray &folder)
{
    TOpenSave result;
    const QByteArray fds = "/proc/" + QByteArray::number(pid) + "/fd/";
    DIR *dir = ::opendir(fds.constData());
    if (!dir)
        return result;
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const QByteArray link = fds + entry->d_name;
        char target[4096];
        const ssize_t n = ::readlink(link.constData(), target, sizeof target - 1);
        if (n <= 0)
            continue;
        const QByteArray name(target, n);
        if (!name.startsWith(folder) || !name.endsWith(" (deleted)"))
            continue;
        result.Open = true;
        struct stat info {};
        if (::stat(link.constData(), &info) == 0)
            result.Bytes = qMax<qint64>(result.Bytes, info.st_size);
    }
    ::closedir(dir);
    return result;
}

// The kill, with a note of what it interrupted, read just before.
void Kill(TCrashSaveChild &child, const TFolder &folder, TTally &tally)
{
    const TOpenSave open = OpenSaveFile(child.Pid(), QFile::encodeName(folder.Path));
    if (child.Signal(SIGKILL) && open.Open) {
        ++tally.MidWrite;
        tally.MidWriteBytes += open.Bytes > 0;
    }
    child.Wait();
}

struct TWindow {
    double PreMs = 0;  // how long before the save the window opens
    double SpanMs = 0; // its whole length
};

// One trial: start, wait for the scan, trigger the save, kill at `offsetMs`
// from the save's start, check the files.
void RunTrial(const TFolder &folder, TCrashSaveWatch &watch, TMode mode, double offsetMs,
              double tickAfterScanMs, int trial, TTally &tally, TTotals &totals)
{
    ++tally.Trials;
    PrepareTrial(folder);
    const TInodes before = BackupInodes(folder);
    watch.Clear();
    TCrashSaveChild child;
    std::optional<TPoint> scan;
    if (StartProgram(child, folder, mode))
        scan = WaitForScan(child);
    if (!scan) {
        ++tally.Phase[int(TPhase::Invalid)];
        Fail(totals, QStringLiteral("trial %1: the program did not reach its first reminder scan: %2")
                         .arg(trial)
                         .arg(QString::fromLocal8Bit(child.Output().right(400))));
        return;
    }
    const microseconds offset(qint64(offsetMs * 1000));
    TPhase phase = TPhase::During;
    if (mode == TMode::Term) {
        const TPoint start = *scan + milliseconds(20);
        if (offset.count() < 0) {
            SleepUntil(start + offset);
            phase = TPhase::Before;
        } else {
            SleepUntil(start);
            child.Signal(SIGTERM);
            SleepUntil(start + offset);
        }
        Kill(child, folder, tally);
        if (!child.KilledBy(SIGKILL))
            phase = TPhase::After;
    } else {
        if (LogHasSaved(folder)) {
            // The tick came before the scan: nothing to measure in this one.
            ++tally.Phase[int(TPhase::Invalid)];
            Kill(child, folder, tally);
            CheckFolder(folder, before, false, trial, tally, totals);
            return;
        }
        watch.Clear();
        if (offset.count() < 0) {
            const TPoint predicted = *scan + microseconds(qint64(tickAfterScanMs * 1000));
            phase = WaitForTickStart(watch, folder, predicted + offset) ? TPhase::During : TPhase::Before;
        } else {
            const std::optional<TPoint> start =
                WaitForTickStart(watch, folder, *scan + std::chrono::seconds(10));
            if (start)
                SleepUntil(*start + offset);
            else
                Fail(totals, QStringLiteral("trial %1: no save tick came").arg(trial));
        }
        Kill(child, folder, tally);
    }
    tally.Landed += child.KilledBy(SIGKILL);
    const TStage stage = CheckFolder(folder, before, true, trial, tally, totals);
    ++tally.Stage[int(stage)];
    if (mode == TMode::Tick && phase == TPhase::During && stage == TStage::BackupNoted)
        phase = TPhase::After;
    ++tally.Phase[int(phase)];
}

// The checks must be able to fail: a file cut short, and one whose first
// half is new and second half old (the same size, and whole to the reader).
bool ChecksCatchDamage(const TFolder &folder)
{
    const QString path = folder.File(QStringLiteral("damaged.dat"));
    const qsizetype half = folder.New.size() / 2;
    bool caught = true;
    for (const QByteArray &bytes : {folder.New.left(half), folder.New.left(half) + folder.Old.mid(half)}) {
        TTotals probe;
        WriteAll(path, bytes);
        caught = CheckFile(folder, path, -1, probe) == TContent::Other && probe.Failures > 0 && caught;
    }
    QFile::remove(path);
    return caught;
}

// The floor: the new content written once with a plain write, no temporary
// file, no rename.
double PlainWriteMs(const TFolder &folder)
{
    std::vector<double> runs;
    const QString path = folder.File(QStringLiteral("floor.tmp"));
    for (int i = 0; i < 5; ++i) {
        const TPoint start = TSteady::now();
        WriteAll(path, folder.New);
        runs.push_back(Ms(TSteady::now() - start));
    }
    QFile::remove(path);
    return Median(runs);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QElapsedTimer total;
    total.start();
    int trials = 200;
    quint32 seed = std::random_device{}();
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--trials"))
            trials = qMax(1, args[i + 1].toInt());
        if (args[i] == QLatin1String("--seed"))
            seed = args[i + 1].toUInt();
    }

    TXServer x;
    if (!ProcessBench::StartDisplay(x, "bench_crashsave"))
        return 1;
    QTemporaryDir dir;
    TFolder folder;
    folder.Path = dir.filePath(QStringLiteral("program")) + u'/';
    if (!Install(folder.Path)) {
        std::fprintf(stderr, "bench_crashsave: cannot install the program\n");
        return 1;
    }
    QProcessEnvironment environment = x.Environment();
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("jbx.events=true"));
    const QString runtime = dir.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.remove(QStringLiteral("JBX_SAVE_INTERVAL_MS"));
    folder.Environment = environment.toStringList();

    folder.Old = MakeOldContent(folder.Path);
    folder.New = ExpectedNewContent(folder.Path, folder.Old);
    {
        TUserInfo settings(folder.Path);
        settings.DebugMode = true; // its log line marks the timed save's start
        settings.ShowTips = false;
        settings.LastBackup = 0;
        settings.SaveSettings();
        folder.Ini = ReadAll(folder.File(QStringLiteral("Jotterbox.ini")));
    }
    for (int n = 0; n < BackupCount; ++n)
        WriteAll(folder.BackupFile(n), folder.Old);
    TCrashSaveWatch watch(QFile::encodeName(folder.Path));
    if (!watch.Valid()) {
        std::fprintf(stderr, "bench_crashsave: cannot watch the program folder\n");
        return 1;
    }
    if (!ChecksCatchDamage(folder)) {
        std::fprintf(stderr, "bench_crashsave: the checks let a damaged file pass\n");
        return 1;
    }
    const double floorMs = PlainWriteMs(folder);

    // Calibration: saves that finish, three of each kind.
    std::vector<double> saveMs[2], tickAfterScan;
    for (int i = 0; i < 3; ++i)
        for (TMode mode : {TMode::Term, TMode::Tick}) {
            const TCalibration c = Calibrate(folder, watch, mode);
            if (c.SaveMs < 0 || !c.ContentOk) {
                std::fprintf(stderr, "bench_crashsave: calibration (%s) failed: save %.1f ms, content %s\n",
                             ModeName(mode), c.SaveMs, c.ContentOk ? "as expected" : "NOT as expected");
                return 1;
            }
            saveMs[int(mode)].push_back(c.SaveMs);
            if (mode == TMode::Tick)
                tickAfterScan.push_back(c.TriggerAfterMs);
        }
    for (int n = 0; n < BackupCount; ++n)
        WriteAll(folder.BackupFile(n), folder.Old);
    TWindow window[2];
    for (TMode mode : {TMode::Term, TMode::Tick}) {
        const double save = Median(saveMs[int(mode)]);
        window[int(mode)].PreMs = qMax(5.0, save * 0.1);
        window[int(mode)].SpanMs = save + 2 * window[int(mode)].PreMs;
    }
    std::printf("bench_crashsave: %d tasks, data file %lld bytes, seed %u\n", TaskCount,
                static_cast<long long>(folder.New.size()), seed);
    std::printf("save from its trigger to its end, median of 3 (floor: one plain write of the data file "
                "%.1f ms):\n",
                floorMs);
    std::printf("  SIGTERM (save, backup, final save, exit): %7.1f ms = %5.1fx floor\n",
                Median(saveMs[int(TMode::Term)]), Median(saveMs[int(TMode::Term)]) / floorMs);
    std::printf("  save tick (save, backup, settings):       %7.1f ms = %5.1fx floor\n",
                Median(saveMs[int(TMode::Tick)]), Median(saveMs[int(TMode::Tick)]) / floorMs);
    std::fflush(stdout);

    std::mt19937 rng(seed);
    TTally tally[2];
    TTotals totals;
    const double tickAfterScanMs = Median(tickAfterScan);
    for (int t = 0; t < trials; ++t) {
        const TMode mode = t % 2 == 0 ? TMode::Term : TMode::Tick;
        const TWindow &w = window[int(mode)];
        std::uniform_real_distribution<double> at(-w.PreMs, w.SpanMs - w.PreMs);
        RunTrial(folder, watch, mode, at(rng), tickAfterScanMs, t, tally[int(mode)], totals);
        if ((t + 1) % 20 == 0) {
            std::printf("  %d trials, %d failures\n", t + 1, totals.Failures);
            std::fflush(stdout);
        }
    }

    std::printf("kills spread over -%.0f..%.0f ms (SIGTERM) and -%.0f..%.0f ms (tick) around the save\n",
                window[0].PreMs, window[0].SpanMs - window[0].PreMs, window[1].PreMs,
                window[1].SpanMs - window[1].PreMs);
    int landed = 0, during = 0, midWrite = 0, oldCount = 0, newCount = 0;
    for (TMode mode : {TMode::Term, TMode::Tick}) {
        const TTally &y = tally[int(mode)];
        std::printf("  %s: %d trials, %d kills on a running process (before the trigger %d, after it %d, "
                    "after the save %d, invalid %d), %d with a temporary save file open (%d of them partly "
                    "written)\n",
                    ModeName(mode), y.Trials, y.Landed, y.Phase[0], y.Phase[1], y.Phase[2], y.Phase[3],
                    y.MidWrite, y.MidWriteBytes);
        std::printf("    left behind: nothing saved %d, data file saved %d, + backup %d, + backup noted %d; "
                    "data file old %d new %d; backups old %d new %d\n",
                    y.Stage[0], y.Stage[1], y.Stage[2], y.Stage[3], y.DataOld, y.DataNew, y.BackupOld,
                    y.BackupNew);
        landed += y.Landed;
        during += y.Phase[int(TPhase::During)];
        midWrite += y.MidWrite;
        oldCount += y.DataOld + y.BackupOld;
        newCount += y.DataNew + y.BackupNew;
    }
    for (const QString &message : totals.Messages)
        std::printf("  %s\n", qPrintable(message));
    if (!totals.FailureFolder.isEmpty())
        std::printf("  failed files kept in %s\n", qPrintable(totals.FailureFolder));
    const double seconds = double(total.elapsed()) / 1000.0;
    std::printf("bench_crashsave: %d trials, %d kills landed (%d during the save, %d mid-write), %d files "
                "checked: %d old, %d new, %d failures (target 0), %d leftover temporary files, %.0f s: %s\n",
                trials, landed, during, midWrite, totals.FilesChecked, oldCount, newCount, totals.Failures,
                totals.Leftovers, seconds, totals.Failures == 0 ? "PASS" : "FAIL");
    return totals.Failures == 0 ? 0 : 1;
}
