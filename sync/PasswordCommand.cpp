#include "sync/PasswordCommand.h"

#include <QCoreApplication>
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
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    if (!process.waitForStarted(timeoutMs)) {
        error = QCoreApplication::translate("PasswordCommand", "The password command could not be started.");
        return false;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        error =
            QCoreApplication::translate("PasswordCommand", "The password command did not finish in time.");
        return false;
    }
    const QByteArray output = process.readAllStandardOutput().left(KMaxOutput);
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
