#include "e2e/TProgram.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <csignal>

TProgram::TProgram(const QString &folder, const QProcessEnvironment &environment)
{
    FProcess.setProgram(folder + QStringLiteral("/Jotterbox"));
    FProcess.setWorkingDirectory(folder);
    FProcess.setProcessEnvironment(environment);
    FProcess.setProcessChannelMode(QProcess::MergedChannels);
}

TProgram::~TProgram()
{
    if (Running()) {
        FProcess.kill();
        FProcess.waitForFinished(5000);
    }
}

void TProgram::Start() { FProcess.start(); }

bool TProgram::Running() const { return FProcess.state() != QProcess::NotRunning; }

QString TProgram::Output()
{
    FOutput += QString::fromLocal8Bit(FProcess.readAll());
    return FOutput;
}

bool TProgram::WaitForLine(const QString &line, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!Output().contains(line)) {
        if (deadline.hasExpired() || (!Running() && FProcess.bytesAvailable() == 0))
            return false;
        FProcess.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    }
    return true;
}

int TProgram::Stop(int signal)
{
    if (!Running())
        return FProcess.exitStatus() == QProcess::NormalExit ? FProcess.exitCode() : -1;
    ::kill(pid_t(FProcess.processId()), signal);
    if (!FProcess.waitForFinished(20000))
        return -1;
    Output();
    return FProcess.exitStatus() == QProcess::NormalExit ? FProcess.exitCode() : -1;
}

QString InstallProgram(const QString &folder)
{
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(
        QStringLiteral(JBX_CMAKE_COMMAND),
        {QStringLiteral("--install"), QStringLiteral(JBX_BUILD_DIR), QStringLiteral("--prefix"), folder});
    if (!install.waitForFinished(60000) || install.exitStatus() != QProcess::NormalExit ||
        install.exitCode() != 0)
        return QStringLiteral("cmake --install failed: ") + QString::fromLocal8Bit(install.readAll());
    return {};
}

bool MakeRuntimeFolder(const QString &path)
{
    return QDir().mkpath(path) &&
           QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
