// startjbx: starts Jotterbox again once the running instance has ended.
//
// The program starts it when a setting that applies only at start-up has
// changed, and then ends itself with its final save. A new instance started
// before that save is over would be turned away by the single-instance rule
// (or, worse, read the data file before the last changes reach it), so this
// waits until the instance's lock is free and only then starts the program
// that lies beside it.
//
// Exit codes: 0 started; 1 the running instance did not end within the wait,
// nothing started; 2 the program beside startjbx is missing or could not be
// started; 3 the lock cannot be created, so the end cannot be told, nothing
// started. Every failure writes one line to stderr, and so does the start of
// a wait.
//
// JBX_STARTER_WAIT_MS (milliseconds, for tests) replaces the wait of 60 s.

#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <cstdio>

namespace {
enum TExit { Started = 0, StillRunning = 1, NoProgram = 2, NoLock = 3 };

// The final save takes moments; the wait also covers a user reading an
// error box about that save before the old instance may go.
constexpr int DefaultWaitMs = 60000;
constexpr int PollMs = 100;

int WaitMs()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("JBX_STARTER_WAIT_MS", &ok);
    return ok && ms >= 0 ? ms : DefaultWaitMs;
}

QString ProgramPath()
{
    // The executable's own folder, never the working directory: the program
    // folder is wherever the user keeps it.
    QString path = QCoreApplication::applicationDirPath() + QStringLiteral("/Jotterbox");
#ifdef Q_OS_WIN
    path += QStringLiteral(".exe");
#endif
    return path;
}

int Fail(TExit code, const QString &message)
{
    std::fprintf(stderr, "startjbx: %s\n", qUtf8Printable(message));
    return code;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString program = ProgramPath();
    // No point in waiting for a program that cannot be started afterwards.
    const QFileInfo programInfo(program);
    if (!programInfo.isFile() || !programInfo.isExecutable())
        return Fail(NoProgram, QStringLiteral("%1 is missing or not executable").arg(program));

    // The very lock the program takes at its start (same name, same folder),
    // so the two can never disagree about whether an instance runs.
    TSingleInstance instance(QStringLiteral("App_ZEL_Task_Sheet"));
    const int waitMs = WaitMs();
    QElapsedTimer waited;
    waited.start();
    for (bool told = false; !instance.TryLock(0); told = true) {
        // Said once, so whoever watches knows why nothing happens yet.
        if (!told)
            std::fprintf(stderr, "startjbx: waiting for the running Jotterbox to end\n");
        if (!instance.Error().isEmpty())
            return Fail(NoLock, instance.Error() + QStringLiteral("; Jotterbox was not started again"));
        if (waited.elapsed() >= waitMs)
            return Fail(StillRunning,
                        QStringLiteral("Jotterbox still runs after %1 s; it was not started again")
                            .arg(waitMs / 1000.0));
        QThread::msleep(PollMs);
    }
    // Free for the new instance: holding it now would turn the new one away.
    instance.Unlock();

    if (!QProcess::startDetached(program, {}, programInfo.absolutePath()))
        return Fail(NoProgram, QStringLiteral("%1 could not be started").arg(program));
    return Started;
}
