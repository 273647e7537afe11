#include "dialogs/TConnectionTest.h"

#include "sync/PasswordCommand.h"

#include <QThread>
#include <QUrl>
#include <memory>

namespace {
struct TOutcome {
    bool Ok = false;
    TDavResult::TFailure Failure = TDavResult::None;
    QString Message;
};
} // namespace

QString TConnectionTest::UrlProblem(const QString &url)
{
    const QString typed = url.trimmed();
    if (typed.isEmpty())
        return tr("Type the address of the task list first.");
    const QUrl parsed(typed, QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || (scheme != QLatin1String("https") && scheme != QLatin1String("http")) ||
        parsed.host().isEmpty())
        return tr("The address must start with https:// and name a server, as in "
                  "https://cloud.example.org/remote.php/dav/calendars/me/tasks/.");
    return {};
}

void TConnectionTest::Start(const TCalDavClient::TOptions &options, const QString &passwordCommand,
                            const QString &passwordProblem)
{
    if (FThread)
        return;
    auto outcome = std::make_shared<TOutcome>();
    // The client is made on the worker thread: its network access belongs
    // to the thread that makes it.
    QThread *thread = QThread::create([options, passwordCommand, outcome] {
        TCalDavClient::TOptions used = options;
        if (used.Password.isEmpty() && !passwordCommand.isEmpty() &&
            !RunPasswordCommand(passwordCommand, used.Password, outcome->Message))
            return;
        TCalDavClient client(used);
        QByteArray token;
        const TDavResult result = client.Probe(token);
        outcome->Ok = result.Ok();
        outcome->Failure = result.Failure;
        outcome->Message = result.Message;
    });
    connect(thread, &QThread::finished, this, [this, outcome, passwordProblem] {
        FThread = nullptr;
        if (outcome->Ok)
            emit Finished(true, tr("Connected: the task list is there."));
        else if (outcome->Failure == TDavResult::WrongPassword && !passwordProblem.isEmpty())
            emit Finished(false, passwordProblem);
        else
            emit Finished(false, outcome->Message);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    FThread = thread;
    thread->start();
}
