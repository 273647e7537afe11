// Whole-process start-up of the installed program, from the spawn to its
// first idle pass of the event loop, with 0, 1,000 and 10,000 tasks, and
// its peak memory there; beside a bare Qt program with a tray icon measured
// in the same run (the floor). The notes shown at start, until each has
// drawn itself, beside a bare Qt program that shows as many frameless
// windows holding a text editor, measured to the same moment. Then the time
// a second start takes to step aside, and with --idle-seconds the CPU time
// the program uses while idle.
//
//   bench_startup [--runs N] [--idle-seconds S]

#include "ProcessBench.h"
#include "support/XServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <vector>

using namespace ProcessBench;

namespace {

constexpr double StartTarget = 1.5;    // x the floor, with 1,000 tasks
constexpr double OneNoteTarget = 1.2;  // x the notes floor showing one window
constexpr double TenNotesTarget = 1.5; // ... ten windows
constexpr double IdleCpuTarget = 0.1;  // seconds of CPU per idle minute

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int runs = 11;
    int idleSeconds = 0; // bench_idle measures the idle program in full
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs"))
            runs = qMax(1, args[i + 1].toInt());
        if (args[i] == QLatin1String("--idle-seconds"))
            idleSeconds = qMax(0, args[i + 1].toInt());
    }

    TXServer x;
    if (!StartDisplay(x, "bench_startup"))
        return 1;
    QTemporaryDir dir;
    const QProcessEnvironment environment = Environment(x, dir.filePath(QStringLiteral("runtime")));

    struct TCase {
        int Tasks;
        int Open; // notes saved open, shown at start-up
    };
    const TCase cases[] = {{0, 0}, {1000, 0}, {1000, 10}, {10000, 0}, {1, 1}};
    QStringList folders;
    for (const TCase &c : cases) {
        const QString folder = dir.filePath(QStringLiteral("tasks%1_%2").arg(c.Tasks).arg(c.Open));
        if (!Install(folder)) {
            std::fprintf(stderr, "bench_startup: cannot install the program\n");
            return 1;
        }
        if (c.Tasks > 0)
            WriteTasks(folder, c.Tasks, c.Open);
        folders << folder;
    }
    const QString floorProgram = QStringLiteral(JBX_FLOOR_PATH);
    const QString notesFloor = QStringLiteral(JBX_NOTES_FLOOR_PATH);

    // Warm the caches, then take turns so drift hits both sides alike.
    RunOnce(floorProgram, dir.path(), environment);
    for (const QString &folder : folders)
        RunOnce(folder + QStringLiteral("/Jotterbox"), folder, environment);
    std::vector<double> floorMs, floorMiB, oneWindowMs, tenWindowsMs;
    std::vector<std::vector<double>> ms(folders.size()), shownMs(folders.size()), mib(folders.size());
    for (int r = 0; r < runs; ++r) {
        const TRun floor = RunOnce(floorProgram, dir.path(), environment);
        floorMs.push_back(floor.Ms);
        floorMiB.push_back(floor.PeakMiB);
        oneWindowMs.push_back(
            RunOnce(notesFloor, dir.path(), environment, 30000, {QStringLiteral("1")}).ShownMs);
        tenWindowsMs.push_back(
            RunOnce(notesFloor, dir.path(), environment, 30000, {QStringLiteral("10")}).ShownMs);
        for (int f = 0; f < folders.size(); ++f) {
            const TRun run = RunOnce(folders[f] + QStringLiteral("/Jotterbox"), folders[f], environment);
            ms[size_t(f)].push_back(run.Ms);
            shownMs[size_t(f)].push_back(run.ShownMs);
            mib[size_t(f)].push_back(run.PeakMiB);
        }
    }
    const double floor = Median(floorMs);
    std::printf("start-up to first idle pass, median of %d runs (floor: bare Qt tray program "
                "%.1f ms, %.1f MiB peak)\n",
                runs, floor, Median(floorMiB));
    for (int f = 0; f < folders.size(); ++f) {
        const double m = Median(ms[size_t(f)]);
        const TCase &c = cases[f];
        const bool target = c.Tasks == 1000 && c.Open == 0;
        std::printf("  %6d tasks, %2d notes: %6.1f ms = %.2fx floor%s   peak %.1f MiB = %.2fx floor\n",
                    c.Tasks, c.Open, m, m / floor,
                    target ? (m / floor <= StartTarget ? " (target 1.5x: met)" : " (target 1.5x: MISSED)")
                           : "",
                    Median(mib[size_t(f)]), Median(mib[size_t(f)]) / Median(floorMiB));
    }

    // The notes shown at start beside as many bare text windows.
    const double oneWindow = Median(oneWindowMs), tenWindows = Median(tenWindowsMs);
    const double oneNote = Median(shownMs[4]), tenNotes = Median(shownMs[2]);
    std::printf("note windows at start, until drawn, beside a bare Qt program showing as many "
                "frameless text windows:\n"
                "  1 note: %.1f ms, floor %.1f ms: %.2fx (target %.1fx: %s)\n"
                "  10 notes: %.1f ms, floor %.1f ms: %.2fx (target %.1fx: %s)\n",
                oneNote, oneWindow, oneNote / oneWindow, OneNoteTarget,
                oneNote / oneWindow <= OneNoteTarget ? "met" : "MISSED", tenNotes, tenWindows,
                tenNotes / tenWindows, TenNotesTarget,
                tenNotes / tenWindows <= TenNotesTarget ? "met" : "MISSED");

    // A second start while one runs: how long until it has stepped aside.
    {
        QProcess first;
        StartOne(first, folders[1] + QStringLiteral("/Jotterbox"), folders[1], environment);
        std::vector<double> second;
        for (int r = 0; r < runs; ++r) {
            QProcess process;
            process.setProcessEnvironment(environment);
            QElapsedTimer clock;
            clock.start();
            process.start(folders[1] + QStringLiteral("/Jotterbox"), {});
            process.waitForFinished(10000);
            second.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        std::vector<double> trueMs;
        for (int r = 0; r < runs; ++r) {
            QProcess process;
            QElapsedTimer clock;
            clock.start();
            process.start(QStringLiteral("/bin/true"), {});
            process.waitForFinished(10000);
            trueMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        std::printf("second start while one runs: %.1f ms to exit (/bin/true: %.1f ms)\n", Median(second),
                    Median(trueMs));

        if (idleSeconds > 0) {
            const double before = CpuSeconds(first.processId());
            QThread::sleep(unsigned(idleSeconds));
            const double used = CpuSeconds(first.processId()) - before;
            std::printf("idle with 1,000 tasks: %.3f s CPU over %d s (target under %.1f s per 60 s: %s)\n",
                        used, idleSeconds, IdleCpuTarget,
                        used * 60.0 / idleSeconds < IdleCpuTarget ? "met" : "MISSED");
        }
        End(first);
    }
    return 0;
}
