#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

// The real program, started from its folder on a test display. Its event
// lines ("jbx.events: ...") arrive on stderr and are kept in Output().
class TProgram {
public:
    TProgram(const QString &folder, const QProcessEnvironment &environment);
    ~TProgram(); // kills the program if a test left it running

    void Start();
    // Waits (bounded) until stderr holds the line; false on timeout or exit.
    bool WaitForLine(const QString &line, int timeoutMs = 20000);
    bool WaitForIdle() { return WaitForLine(QStringLiteral("jbx.events: idle")); }
    // Sends the signal and waits for the end; the exit code, or -1.
    int Stop(int signal);
    bool Running() const;
    QString Output();
    QProcess &Process() { return FProcess; }

private:
    QProcess FProcess;
    QString FOutput;
};

// Lays the program folder out at `folder` as a user would have it
// (`cmake --install` of the build); empty on success, else what went wrong.
QString InstallProgram(const QString &folder);
// A fresh per-user runtime folder (where the instance lock lives), open to
// its owner only as the desktop makes it.
bool MakeRuntimeFolder(const QString &path);
