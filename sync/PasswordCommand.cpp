#include "sync/PasswordCommand.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>

namespace {
// A password is a line; anything far longer is not one.
constexpr qint64 KMaxOutput = 64 * 1024;
} // namespace

bool RunPasswordCommand(const QString &command, QString &password, QString &error, int timeoutMs)
{
    password.clear();
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    // Nobody reads what it says there, so nothing may pile up from it.
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    if (!process.waitForStarted(timeoutMs)) {
        error = QCoreApplication::translate("PasswordCommand", "The password command could not be started.");
        return false;
    }
    // Read as it arrives and cut off at the bound: a command that never
    // stops printing (`yes`) must not fill the memory until its time is up.
    QByteArray output;
    const QDeadlineTimer deadline(timeoutMs);
    bool tooLong = false;
    for (;;) {
        output += process.read(KMaxOutput + 1 - output.size());
        if (output.size() > KMaxOutput) {
            tooLong = true;
            break;
        }
        if (process.state() == QProcess::NotRunning || deadline.hasExpired())
            break;
        if (!process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))) &&
            process.state() != QProcess::NotRunning && !deadline.hasExpired())
            process.waitForFinished(int(qMax<qint64>(1, qMin<qint64>(50, deadline.remainingTime()))));
    }
    if (tooLong || process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
        error = tooLong ? QCoreApplication::translate("PasswordCommand",
                                                      "The password command printed more than 64 KiB.")
                        : QCoreApplication::translate("PasswordCommand",
                                                      "The password command did not finish in time.");
        return false;
    }
    output += process.read(KMaxOutput + 1 - output.size());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        error = QCoreApplication::translate("PasswordCommand", "The password command failed (exit code %1).")
                    .arg(process.exitCode());
        return false;
    }
    const qsizetype end = output.indexOf('\n');
    password = QString::fromUtf8(end < 0 ? output : output.left(end));
    if (password.endsWith(u'\r'))
        password.chop(1);
    if (password.isEmpty()) {
        error = QCoreApplication::translate("PasswordCommand", "The password command printed no password.");
        return false;
    }
    return true;
}
