#include "e2e/TE2eTest.h"

#include "e2e/TProgram.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"

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
