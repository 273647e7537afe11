#pragma once

// What the whole-process benchmarks share: installing the program into a
// folder of its own, a data file to start it with, starting it up to its
// first idle pass, ending it the way a session end does, and reading its
// CPU time, memory and wake-ups from /proc. The including target defines
// JBX_CMAKE_COMMAND and JBX_BUILD_DIR.

#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"
#include "support/XServer.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>
#include <unistd.h>
#include <vector>

namespace ProcessBench {

inline double Median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One "Key:   value kB" line of /proc/PID/status (or of a thread's), as a
// number; -1 when the process is gone or has no such line.
inline double StatusValue(const QString &statusPath, const QByteArray &key)
{
    QFile status(statusPath);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key) && line.size() > key.size() && line[key.size()] == ':')
            return line.mid(key.size() + 1).trimmed().split(' ').value(0).toDouble();
    return -1;
}

// Peak resident memory of a live process, in MiB.
inline double PeakMiB(qint64 pid)
{
    return StatusValue(QStringLiteral("/proc/%1/status").arg(pid), "VmHWM") / 1024.0;
}

// Resident memory of a live process now, in MiB.
inline double RssMiB(qint64 pid)
{
    return StatusValue(QStringLiteral("/proc/%1/status").arg(pid), "VmRSS") / 1024.0;
}

// User plus system CPU time of a live process (all its threads), in seconds.
inline double CpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // Fields 14 and 15 of the line; the list starts at field 3.
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

// One thread's name and how often it went to sleep of its own accord (a
// wake-up follows each) or was put aside by the scheduler.
struct TThreadSwitches {
    QString Name;
    qint64 Voluntary = 0;
    qint64 Involuntary = 0;
};

// Every live thread of the process by thread id; the main thread's id is
// the process id.
inline QMap<qint64, TThreadSwitches> ThreadSwitches(qint64 pid)
{
    QMap<qint64, TThreadSwitches> threads;
    const QString base = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString &tid : QDir(base).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        TThreadSwitches thread;
        QFile comm(base + u'/' + tid + QStringLiteral("/comm"));
        if (comm.open(QIODevice::ReadOnly))
            thread.Name = QString::fromUtf8(comm.readAll().trimmed());
        const QString status = base + u'/' + tid + QStringLiteral("/status");
        thread.Voluntary = qint64(StatusValue(status, "voluntary_ctxt_switches"));
        thread.Involuntary = qint64(StatusValue(status, "nonvoluntary_ctxt_switches"));
        if (thread.Voluntary >= 0)
            threads.insert(tid.toLongLong(), thread);
    }
    return threads;
}

// Reads what the process printed until a line holds `marker`, keeping it
// all in `output` when asked for.
inline bool WaitForLine(QProcess &process, const QByteArray &marker, int timeoutMs = 30000,
                        QByteArray *output = nullptr)
{
    QByteArray own;
    QByteArray &text = output ? *output : own;
    QDeadlineTimer deadline(timeoutMs);
    while (!text.contains(marker)) {
        if (deadline.hasExpired() || process.state() == QProcess::NotRunning)
            return false;
        process.waitForReadyRead(100);
        text += process.readAll();
    }
    return true;
}

inline bool WaitForIdle(QProcess &process, int timeoutMs = 30000, QByteArray *output = nullptr)
{
    return WaitForLine(process, "jbx.events: idle", timeoutMs, output);
}

// Ends the process as the end of a session does, which saves first.
inline void End(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    ::kill(pid_t(process.processId()), SIGTERM);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
    }
}

struct TRun {
    double Ms = -1;
    double PeakMiB = -1;
    // When the windows shown at start had drawn themselves ("notes shown").
    double ShownMs = -1;
};

// Starts the program, measures it at its first idle pass (and at its notes
// on screen, on the way), leaves it running.
inline TRun StartOne(QProcess &process, const QString &program, const QString &folder,
                     const QProcessEnvironment &environment, int timeoutMs = 30000,
                     const QStringList &arguments = {})
{
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(folder);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    process.start();
    TRun run;
    QByteArray output;
    const QDeadlineTimer deadline(timeoutMs);
    while (!output.contains("jbx.events: idle")) {
        if (deadline.hasExpired() || process.state() == QProcess::NotRunning)
            return {};
        process.waitForReadyRead(100);
        output += process.readAll();
        if (run.ShownMs < 0 && output.contains("jbx.events: notes shown"))
            run.ShownMs = double(clock.nsecsElapsed()) / 1e6;
    }
    run.Ms = double(clock.nsecsElapsed()) / 1e6;
    run.PeakMiB = PeakMiB(process.processId());
    return run;
}

inline TRun RunOnce(const QString &program, const QString &folder, const QProcessEnvironment &environment,
                    int timeoutMs = 30000, const QStringList &arguments = {})
{
    QProcess process;
    const TRun run = StartOne(process, program, folder, environment, timeoutMs, arguments);
    End(process);
    return run;
}

// The program folder as `cmake --install` lays it out.
inline bool Install(const QString &folder)
{
    QProcess install;
    install.start(
        QStringLiteral(JBX_CMAKE_COMMAND),
        {QStringLiteral("--install"), QStringLiteral(JBX_BUILD_DIR), QStringLiteral("--prefix"), folder});
    return install.waitForFinished(120000) && install.exitCode() == 0;
}

// A data file of `count` tasks beside the program, the first `open` of them
// saved with their notes on screen, spread out. `shape`, when given, makes
// each task what the benchmark needs.
inline void WriteTasks(const QString &folder, int count, int open,
                       const std::function<void(TTask *, int)> &shape = {})
{
    TUserInfo settings(folder + u'/');
    TTaskList tasks(settings);
    for (int i = 0; i < count; ++i) {
        TTask *task = tasks.AddNewTask();
        task->Text =
            "Task " + QByteArray::number(i) + "\r\nCall the office about the order\r\nand the invoice";
        task->ReminderTime = 0;
        task->NoteOpen = i < open;
        task->Left = 40 + 60 * i;
        task->Top = 40 + 30 * i;
        if (shape)
            shape(task, i);
    }
    tasks.SaveToFile(folder + QStringLiteral("/Jotterbox.dat"));
}

// A private display for the run; false, having said why, without one.
inline bool StartDisplay(TXServer &x, const char *bench)
{
    QString error;
    if (x.Start(true, true, &error))
        return true;
    std::fprintf(stderr, "%s: no X display: %s\n", bench, qPrintable(error));
    return false;
}

// A session's runtime folder is a tmpfs (/run/user/UID), where the lock the
// program takes at start costs no disk flush; /dev/shm stands in for it when
// there is one, so the figures hold no flush a user never waits for.
inline QString SessionRuntimeFolder(const QString &wanted)
{
    static QTemporaryDir shared(QStringLiteral("/dev/shm/jbx-bench-XXXXXX"));
    if (!shared.isValid())
        return wanted;
    return shared.filePath(QString::number(qHash(wanted), 16));
}

// The private display's environment, with a runtime folder of the run's
// own (the single-instance lock lives there) and the program's event log on.
inline QProcessEnvironment Environment(const TXServer &x, const QString &wanted,
                                       const QString &loggingRules = QStringLiteral("jbx.events=true"))
{
    QProcessEnvironment environment = x.Environment();
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), loggingRules);
    const QString runtime = SessionRuntimeFolder(wanted);
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    return environment;
}

} // namespace ProcessBench
