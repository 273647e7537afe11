#include "e2e/TE2eTest.h"

#include "e2e/TProgram.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"

#include <QProcess>

QString TE2eTest::StartDisplay()
{
    if (!TXServer::XvfbInstalled())
        return QStringLiteral("Xvfb is not installed: the end-to-end tests need a private X display");
    QString error;
    if (!FX.Start(true, true, &error))
        return QStringLiteral("Xvfb could not start: ") + error;
    return {};
}

QString TE2eTest::InstallFresh()
{
    FDir = std::make_unique<QTemporaryDir>();
    if (!FDir->isValid())
        return QStringLiteral("no temporary folder: ") + FDir->errorString();
    FFolder = FDir->filePath(QStringLiteral("Jotterbox"));
    FRuntime = FDir->filePath(QStringLiteral("runtime"));
    if (!MakeRuntimeFolder(FRuntime))
        return QStringLiteral("cannot make ") + FRuntime;
    return InstallProgram(FFolder);
}

QProcessEnvironment TE2eTest::Environment() const
{
    QProcessEnvironment environment = FX.Environment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), FRuntime);
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("jbx.events=true"));
    return environment;
}

void TE2eTest::WriteDataFile(const std::function<void(TTaskList &)> &fill)
{
    TUserInfo settings(FFolder + u'/');
    TTaskList tasks(settings);
    fill(tasks);
    tasks.SaveToFile(Path(QStringLiteral("Jotterbox.dat")));
}

void TE2eTest::ReadDataFile(const std::function<void(const TTaskList &)> &check) const
{
    TUserInfo settings(FFolder + u'/');
    TTaskList tasks(settings);
    tasks.LoadFromFile(Path(QStringLiteral("Jotterbox.dat")));
    check(tasks);
}

QByteArray TE2eTest::RunOnDisplay(const QString &program, const QStringList &arguments) const
{
    QProcess process;
    process.setProcessEnvironment(FX.Environment());
    process.start(program, arguments);
    process.waitForFinished(20000);
    return process.readAllStandardOutput();
}
