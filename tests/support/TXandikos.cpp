#include "support/TXandikos.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <csignal>
#include <sys/prctl.h>

namespace {
constexpr int KStartTimeoutMs = 15000;
constexpr int KStopTimeoutMs = 5000;
constexpr int KRequestTimeoutMs = 15000;

QString Program() { return QStandardPaths::findExecutable(QStringLiteral("xandikos")); }
} // namespace

TXandikos::TXandikos() : FDir(std::make_unique<QTemporaryDir>()) {}

TXandikos::~TXandikos() { Stop(); }

bool TXandikos::Installed() { return !Program().isEmpty(); }

QUrl TXandikos::BaseUrl() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(FPort)); }

QUrl TXandikos::Url(const QString &collection) const
{
    return BaseUrl().resolved(QUrl(QStringLiteral("user/calendars/%1/").arg(collection)));
}

bool TXandikos::Start()
{
    Stop();
    FError.clear();
    if (FPort == 0) {
        QTcpServer probe;
        if (probe.listen(QHostAddress::LocalHost, 0))
            FPort = probe.serverPort();
    }
    FProcess = std::make_unique<QProcess>();
    FProcess->setProgram(Program());
    FProcess->setArguments({QStringLiteral("-d"), FDir->path(), QStringLiteral("-l"),
                            QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(FPort),
                            QStringLiteral("--autocreate")});
    FProcess->setStandardOutputFile(QProcess::nullDevice());
    FProcess->setStandardErrorFile(FDir->filePath(QStringLiteral("server.log")));
    FProcess->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    FProcess->start();
    if (!FProcess->waitForStarted(KStartTimeoutMs)) {
        FError = QStringLiteral("cannot start xandikos: %1").arg(FProcess->errorString());
        FProcess.reset();
        return false;
    }
    const QDeadlineTimer deadline(KStartTimeoutMs);
    while (!deadline.hasExpired()) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, FPort);
        if (socket.waitForConnected(200))
            return true;
        if (FProcess->waitForFinished(20) || FProcess->state() == QProcess::NotRunning) {
            FError = QStringLiteral("xandikos ended at start-up (see %1)")
                         .arg(FDir->filePath(QStringLiteral("server.log")));
            FProcess.reset();
            return false;
        }
    }
    FError = QStringLiteral("xandikos did not take connections on port %1").arg(FPort);
    Stop();
    return false;
}

void TXandikos::Stop()
{
    if (!FProcess)
        return;
    if (FProcess->state() != QProcess::NotRunning) {
        FProcess->terminate();
        if (!FProcess->waitForFinished(KStopTimeoutMs)) {
            FProcess->kill();
            FProcess->waitForFinished(KStopTimeoutMs);
        }
    }
    FProcess.reset();
}

int TXandikos::Send(const QByteArray &verb, const QString &path, const QByteArray &body,
                    const QList<QPair<QByteArray, QByteArray>> &headers, QByteArray *answer)
{
    QNetworkAccessManager network;
    QNetworkRequest request(BaseUrl().resolved(QUrl(path)));
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    if (!body.isEmpty() && !request.hasRawHeader("Content-Type"))
        request.setRawHeader("Content-Type", "application/xml; charset=utf-8");
    request.setTransferTimeout(KRequestTimeoutMs);
    QNetworkReply *reply = network.sendCustomRequest(request, verb, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (answer)
        *answer = reply->readAll();
    delete reply;
    return status;
}

bool TXandikos::CreateTaskList(const QString &name)
{
    const QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                            "<C:mkcalendar xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\">"
                            "<D:set><D:prop><D:displayname>" +
                            name.toHtmlEscaped().toUtf8() +
                            "</D:displayname><C:supported-calendar-component-set><C:comp name=\"VTODO\"/>"
                            "</C:supported-calendar-component-set></D:prop></D:set></C:mkcalendar>";
    QByteArray answer;
    const int status = Send("MKCALENDAR", Url(name).path(), body, {}, &answer);
    if (status != 201)
        FError =
            QStringLiteral("MKCALENDAR %1 gave %2: %3").arg(name).arg(status).arg(QString::fromUtf8(answer));
    return status == 201;
}
