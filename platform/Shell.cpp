#include "platform/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {
std::function<bool(const QString &)> &Opener()
{
    static std::function<bool(const QString &)> opener;
    return opener;
}

std::function<bool(const QString &, const QStringList &)> &Starter()
{
    static std::function<bool(const QString &, const QStringList &)> starter;
    return starter;
}
} // namespace

bool OpenWithDesktop(const QString &fileOrAddress)
{
    if (Opener())
        return Opener()(fileOrAddress);
    // A path is opened as a local file; anything with a scheme as it stands.
    const QUrl url = QFileInfo(fileOrAddress).isAbsolute() ? QUrl::fromLocalFile(fileOrAddress)
                                                           : QUrl::fromUserInput(fileOrAddress);
    return QDesktopServices::openUrl(url);
}

bool StartProgramDetached(const QString &program, const QStringList &arguments)
{
    if (Starter())
        return Starter()(program, arguments);
    return QProcess::startDetached(program, arguments);
}

void SetDesktopOpener(std::function<bool(const QString &)> opener) { Opener() = std::move(opener); }

void SetProgramStarter(std::function<bool(const QString &, const QStringList &)> starter)
{
    Starter() = std::move(starter);
}
