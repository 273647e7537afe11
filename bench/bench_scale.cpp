// The installed program with 100,000 tasks on a private X display: the time
// from its spawn to its first idle pass of the event loop and its peak
// memory there, with the list hidden (as it starts by default) and shown;
// and the time from the end of the session to the exit (the final save).
// The floor is the program's own data file tool in the same run: the time
// `jbxtool check` takes to read the same file, and `jbxtool roundtrip` to
// read and write it again. The list rebuild, a search keystroke and the
// save on their own are in bench_listview and bench_datafile.
//
//   bench_scale [--runs N] [--tasks N]

#include "BenchSupport.h"
#include "ProcessBench.h"
#include "support/XServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <random>
#include <vector>

using namespace ProcessBench;

namespace {

constexpr double StartTarget = 3.0; // x the time `jbxtool check` reads the file
constexpr int TargetTasks = 100'000;

// Milliseconds a tool run takes from spawn to exit; -1 when it fails.
double ToolMs(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    process.start(tool, arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return -1;
    return double(clock.nsecsElapsed()) / 1e6;
}

struct TStartEnd {
    TRun Start;
    double EndMs = -1;
};

// One start up to the first idle pass, then the end of the session with
// its final save, timed from the signal to the exit.
TStartEnd StartAndEnd(const QString &folder, const QProcessEnvironment &environment)
{
    QProcess process;
    TStartEnd run;
    run.Start = StartOne(process, folder + QStringLiteral("/Jotterbox"), folder, environment, 120000);
    QElapsedTimer clock;
    clock.start();
    End(process);
    if (run.Start.Ms >= 0 && process.exitStatus() == QProcess::NormalExit)
        run.EndMs = double(clock.nsecsElapsed()) / 1e6;
    return run;
}

void WriteSettings(const QString &folder, bool listShown)
{
    TUserInfo settings(folder + u'/');
    settings.Showing = listShown;
    settings.ShowTips = false;
    settings.SaveSettings();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int runs = 5;
    int taskCount = TargetTasks;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs"))
            runs = qMax(1, args[i + 1].toInt());
        if (args[i] == QLatin1String("--tasks"))
            taskCount = qMax(1, args[i + 1].toInt());
    }

    TXServer x;
    if (!StartDisplay(x, "bench_scale"))
        return 1;
    QTemporaryDir dir;
    const QProcessEnvironment environment = Environment(x, dir.filePath(QStringLiteral("runtime")));
    // The same file twice: one program folder starts with the list hidden,
    // the other with it shown.
    const QString folders[] = {dir.filePath(QStringLiteral("hidden")), dir.filePath(QStringLiteral("shown"))};
    std::mt19937 rng{1};
    std::uniform_int_distribution<int> percent(0, 99), day(0, 364);
    QByteArray file;
    for (int f = 0; f < 2; ++f) {
        if (!Install(folders[f])) {
            std::fprintf(stderr, "bench_scale: cannot install the program\n");
            return 1;
        }
        if (f == 0) {
            // Real-sized texts, a few notes on screen, due dates, some
            // reminders far ahead and some tasks finished.
            WriteTasks(folders[f], taskCount, 0, [&](TTask *task, int i) {
                task->Text = MakeText(rng);
                task->NoteOpen = i % 20000 == 7;
                task->Finished = percent(rng) < 20;
                task->Priority = 1 + percent(rng) % 3;
                if (percent(rng) < 50)
                    task->DueDate = 45000 + day(rng);
                if (percent(rng) < 5)
                    task->ReminderTime = 80000 + day(rng);
            });
            QFile data(folders[f] + QStringLiteral("/Jotterbox.dat"));
            if (data.open(QIODevice::ReadOnly))
                file = data.readAll();
        } else {
            QFile data(folders[f] + QStringLiteral("/Jotterbox.dat"));
            if (!data.open(QIODevice::WriteOnly) || data.write(file) != file.size()) {
                std::fprintf(stderr, "bench_scale: cannot copy the data file\n");
                return 1;
            }
        }
        WriteSettings(folders[f], f == 1);
    }
    const QString data = folders[0] + QStringLiteral("/Jotterbox.dat");
    const QString tool = folders[0] + QStringLiteral("/jbxtool");
    const QString copy = dir.filePath(QStringLiteral("roundtrip.dat"));

    // Warm the caches, then take turns so drift hits every side alike.
    ToolMs(tool, {QStringLiteral("check"), data});
    for (const QString &folder : folders)
        StartAndEnd(folder, environment);
    std::vector<double> checkMs, roundtripMs;
    std::vector<double> startMs[2], endMs[2], peak[2];
    for (int r = 0; r < runs; ++r) {
        checkMs.push_back(ToolMs(tool, {QStringLiteral("check"), data}));
        roundtripMs.push_back(ToolMs(tool, {QStringLiteral("roundtrip"), data, copy}));
        for (int f = 0; f < 2; ++f) {
            const TStartEnd run = StartAndEnd(folders[f], environment);
            startMs[f].push_back(run.Start.Ms);
            peak[f].push_back(run.Start.PeakMiB);
            endMs[f].push_back(run.EndMs);
        }
    }
    const double check = Median(checkMs);
    const double roundtrip = Median(roundtripMs);
    std::printf("%d tasks, %.1f MiB data file, median of %d runs\n", taskCount,
                double(file.size()) / (1 << 20), runs);
    std::printf("floor: jbxtool check %.1f ms, jbxtool roundtrip %.1f ms\n", check, roundtrip);
    for (int f = 0; f < 2; ++f) {
        const double start = Median(startMs[f]);
        const double end = Median(endMs[f]);
        // Below the target size the fixed cost of a start (the display, the
        // windows) outweighs the file, and the ratio says little.
        const char *verdict = start < 0 || check < 0         ? "FAILED"
                              : taskCount < TargetTasks      ? "set for 100,000 tasks"
                              : start / check <= StartTarget ? "met"
                                                             : "MISSED";
        std::printf("list %s: start-up to first idle pass %.1f ms = %.2fx check (target %.0fx: %s), peak "
                    "%.1f MiB; end with final save %.1f ms = %.2fx roundtrip\n",
                    f == 0 ? "hidden" : "shown ", start, start / check, StartTarget, verdict, Median(peak[f]),
                    end, end / roundtrip);
    }
    return 0;
}
