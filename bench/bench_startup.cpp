// Whole-process start-up of the installed program, from the spawn to its
// first idle pass of the event loop, with 0, 1,000 and 10,000 tasks, and
// its peak memory there; beside a bare Qt program with a tray icon measured
// in the same run (the floor). Then the time a second start takes to step
// aside, and the CPU time the program uses while idle.
//
//   bench_startup [--runs N] [--idle-seconds S]

#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"
#include "support/XServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

constexpr double StartTarget = 1.5;   // x the floor, with 1,000 tasks
constexpr double IdleCpuTarget = 0.1; // seconds of CPU per idle minute

struct TRun {
    double Ms = -1;
    double PeakMiB = -1;
};

double Median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Peak resident memory of a live process, in MiB.
double PeakMiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// User plus system CPU time of a live process, in seconds.
double CpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // Fields 14 and 15 of the line; the list starts at field 3.
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

bool WaitForIdle(QProcess &process)
{
    QByteArray output;
    QDeadlineTimer deadline(30000);
    while (!output.contains("jbx.events: idle")) {
        if (deadline.hasExpired() || process.state() == QProcess::NotRunning)
            return false;
        process.waitForReadyRead(100);
        output += process.readAll();
    }
    return true;
}

void End(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(process.processId()), SIGTERM);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
    }
}

// Starts the program, measures it at its first idle pass, leaves it running.
TRun StartOne(QProcess &process, const QString &program, const QString &folder,
              const QProcessEnvironment &environment)
{
    process.setProgram(program);
    process.setWorkingDirectory(folder);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    process.start();
    if (!WaitForIdle(process))
        return {};
    TRun run;
    run.Ms = double(clock.nsecsElapsed()) / 1e6;
    run.PeakMiB = PeakMiB(process.processId());
    return run;
}

TRun RunOnce(const QString &program, const QString &folder, const QProcessEnvironment &environment)
{
    QProcess process;
    const TRun run = StartOne(process, program, folder, environment);
    End(process);
    return run;
}

bool Install(const QString &folder)
{
    QProcess install;
    install.start(
        QStringLiteral(JBX_CMAKE_COMMAND),
        {QStringLiteral("--install"), QStringLiteral(JBX_BUILD_DIR), QStringLiteral("--prefix"), folder});
    return install.waitForFinished(60000) && install.exitCode() == 0;
}

void WriteTasks(const QString &folder, int count, int open)
{
    TUserInfo settings(folder + u'/');
    TTaskList tasks(settings);
    for (int i = 0; i < count; ++i) {
        TTask *task = tasks.AddNewTask();
        task->Text =
            "Task " + QByteArray::number(i) + "\r\nCall the office about the order\r\nand the invoice";
        task->ReminderTime = 0;
        // The first few come back on screen as notes, spread out.
        task->NoteOpen = i < open;
        task->Left = 40 + 60 * i;
        task->Top = 40 + 30 * i;
    }
    tasks.SaveToFile(folder + QStringLiteral("/Jotterbox.dat"));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int runs = 11;
    int idleSeconds = 60;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs"))
            runs = qMax(1, args[i + 1].toInt());
        if (args[i] == QLatin1String("--idle-seconds"))
            idleSeconds = qMax(0, args[i + 1].toInt());
    }

    TXServer x;
    QString error;
    if (!x.Start(true, true, &error)) {
        std::fprintf(stderr, "bench_startup: no X display: %s\n", qPrintable(error));
        return 1;
    }
    QTemporaryDir dir;
    QProcessEnvironment environment = x.Environment();
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("jbx.events=true"));
    const QString runtime = dir.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);

    struct TCase {
        int Tasks;
        int Open; // notes saved open, shown at start-up
    };
    const TCase cases[] = {{0, 0}, {1000, 0}, {1000, 10}, {10000, 0}};
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

    // Warm the caches, then take turns so drift hits both sides alike.
    RunOnce(floorProgram, dir.path(), environment);
    for (const QString &folder : folders)
        RunOnce(folder + QStringLiteral("/Jotterbox"), folder, environment);
    std::vector<double> floorMs, floorMiB;
    std::vector<std::vector<double>> ms(folders.size()), mib(folders.size());
    for (int r = 0; r < runs; ++r) {
        const TRun floor = RunOnce(floorProgram, dir.path(), environment);
        floorMs.push_back(floor.Ms);
        floorMiB.push_back(floor.PeakMiB);
        for (int f = 0; f < folders.size(); ++f) {
            const TRun run = RunOnce(folders[f] + QStringLiteral("/Jotterbox"), folders[f], environment);
            ms[size_t(f)].push_back(run.Ms);
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
        std::printf(
            "  %6d tasks, %2d notes: %6.1f ms = %.2fx floor%s   peak %.1f MiB = %.2fx floor\n", c.Tasks, c.Open, m,
            m / floor,
            target ? (m / floor <= StartTarget ? " (target 1.5x: met)" : " (target 1.5x: MISSED)") : "",
            Median(mib[size_t(f)]), Median(mib[size_t(f)]) / Median(floorMiB));
    }

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
