#include "support/TRadicale.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <csignal>
#include <sys/prctl.h>

namespace {
const QString KPython = QStringLiteral("/usr/bin/python3");
constexpr int KStartTimeoutMs = 10000;
constexpr int KStopTimeoutMs = 5000;
constexpr int KRequestTimeoutMs = 15000;
constexpr int KStartAttempts = 3; // the free port may be taken between finding and binding it

// A port nothing listens on right now: the system picks it for a listener
// that is closed again at once, and the server binds it next.
quint16 FreePort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

bool WriteFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

// In memory where the system offers it: Radicale syncs every file it
// writes to disk, which is most of its time on a real disk.
std::unique_ptr<QTemporaryDir> NewFolder()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    if (shm.isDir() && shm.isWritable()) {
        auto folder = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/jbx-radicale-XXXXXX"));
        if (folder->isValid())
            return folder;
    }
    return std::make_unique<QTemporaryDir>();
}
} // namespace

TRadicale::TRadicale() : FDir(NewFolder()) {}

TRadicale::~TRadicale() { Stop(); }

bool TRadicale::Installed()
{
    QProcess probe;
    probe.start(KPython, {QStringLiteral("-c"), QStringLiteral("import radicale")});
    return probe.waitForFinished(KStartTimeoutMs) && probe.exitStatus() == QProcess::NormalExit &&
           probe.exitCode() == 0;
}

QUrl TRadicale::BaseUrl() const
{
    return QUrl(QStringLiteral("%1://127.0.0.1:%2/").arg(FTls ? "https" : "http").arg(FPort));
}

QUrl TRadicale::Url(const QString &collection) const
{
    if (collection.isEmpty())
        return BaseUrl().resolved(QUrl(User() + u'/'));
    return BaseUrl().resolved(QUrl(QStringLiteral("%1/%2/").arg(User(), collection)));
}

bool TRadicale::MakeCertificate()
{
    if (QFileInfo::exists(FDir->filePath(QStringLiteral("cert.pem"))))
        return true;
    QProcess openssl;
    openssl.setWorkingDirectory(FDir->path());
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                   "-days", "2", "-subj", "/CN=localhost", "-addext",
                   "subjectAltName=IP:127.0.0.1,DNS:localhost", "-keyout", "key.pem", "-out", "cert.pem"});
    if (!openssl.waitForFinished(KStartTimeoutMs) || openssl.exitStatus() != QProcess::NormalExit ||
        openssl.exitCode() != 0) {
        FError = QStringLiteral("openssl could not make a certificate: %1%2")
                     .arg(openssl.errorString(), QString::fromLocal8Bit(openssl.readAllStandardError()));
        return false;
    }
    return true;
}

bool TRadicale::WriteConfig()
{
    // No delay after a wrong password (tests try one on purpose) and no
    // fsync: the storage is thrown away with the folder.
    QByteArray config =
        QStringLiteral("[server]\n"
                       "hosts = 127.0.0.1:%1\n"
                       "ssl = %2\n"
                       "certificate = %3\n"
                       "key = %4\n"
                       "[auth]\n"
                       "type = htpasswd\n"
                       "htpasswd_filename = %5\n"
                       "htpasswd_encryption = plain\n"
                       "delay = 0\n"
                       "[rights]\n"
                       "type = owner_only\n"
                       "[storage]\n"
                       "filesystem_folder = %6\n"
                       "[web]\n"
                       "type = none\n"
                       "[logging]\n"
                       "level = warning\n")
            .arg(FPort)
            .arg(FTls ? "True" : "False")
            .arg(FDir->filePath(QStringLiteral("cert.pem")), FDir->filePath(QStringLiteral("key.pem")),
                 FDir->filePath(QStringLiteral("users")), FDir->filePath(QStringLiteral("collections")))
            .toUtf8();
    if (!WriteFile(FDir->filePath(QStringLiteral("config")), config) ||
        !WriteFile(FDir->filePath(QStringLiteral("users")), (User() + ':' + Password() + '\n').toUtf8())) {
        FError = QStringLiteral("cannot write the server's configuration in %1").arg(FDir->path());
        return false;
    }
    return true;
}

bool TRadicale::Start(bool tls)
{
    Stop();
    FError.clear();
    QElapsedTimer clock;
    clock.start();
    if (!FDir->isValid()) {
        FError = QStringLiteral("no temporary folder: %1").arg(FDir->errorString());
        return false;
    }
    FTls = tls;
    if (FTls && !MakeCertificate())
        return false;
    for (int attempt = 0; attempt < KStartAttempts; ++attempt) {
        // Again on the port of the last run, where clients still point.
        if (FPort == 0 || attempt > 0)
            FPort = FreePort();
        if (StartOnce()) {
            FStartMs = clock.elapsed();
            return true;
        }
        if (!FError.contains(QLatin1String("Address already in use")))
            break;
    }
    return false;
}

bool TRadicale::StartOnce()
{
    if (FPort == 0) {
        FError = QStringLiteral("no free port on 127.0.0.1");
        return false;
    }
    if (!WriteConfig())
        return false;
    FProcess = std::make_unique<QProcess>();
    FProcess->setProgram(KPython);
    FProcess->setArguments({QStringLiteral("-m"), QStringLiteral("radicale"), QStringLiteral("--config"),
                            FDir->filePath(QStringLiteral("config"))});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), FDir->path()); // no user configuration of the machine's
    FProcess->setProcessEnvironment(environment);
    FProcess->setStandardOutputFile(QProcess::nullDevice());
    // The server ends with the test even when the test dies without
    // reaching the destructor.
    FProcess->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    FProcess->start();
    if (!FProcess->waitForStarted(KStartTimeoutMs)) {
        FError = QStringLiteral("cannot start %1: %2").arg(KPython, FProcess->errorString());
        FProcess.reset();
        return false;
    }

    // Ready when the port takes a connection. Between attempts the wait is
    // on the process itself, so a server that dies is seen at once.
    const QDeadlineTimer deadline(KStartTimeoutMs);
    while (!deadline.hasExpired()) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, FPort);
        if (socket.waitForConnected(int(qMin<qint64>(200, deadline.remainingTime()))))
            return true;
        if (FProcess->waitForFinished(20) || FProcess->state() == QProcess::NotRunning) {
            FError = QStringLiteral("radicale ended at start-up: %1")
                         .arg(QString::fromLocal8Bit(FProcess->readAllStandardError()));
            FProcess.reset();
            return false;
        }
    }
    FError = QStringLiteral("radicale did not take connections on port %1 within %2 ms: %3")
                 .arg(FPort)
                 .arg(KStartTimeoutMs)
                 .arg(QString::fromLocal8Bit(FProcess->readAllStandardError()));
    Stop();
    return false;
}

void TRadicale::Stop()
{
    if (!FProcess)
        return;
    if (FProcess->state() != QProcess::NotRunning) {
        FProcess->terminate(); // SIGTERM: Radicale shuts down cleanly on it
        if (!FProcess->waitForFinished(KStopTimeoutMs)) {
            FProcess->kill();
            FProcess->waitForFinished(KStopTimeoutMs);
        }
    }
    FProcess.reset();
}

bool TRadicale::Running() const { return FProcess && FProcess->state() == QProcess::Running; }

int TRadicale::Send(const QByteArray &verb, const QString &path, const QByteArray &body,
                    const QList<QPair<QByteArray, QByteArray>> &headers, QByteArray *answer)
{
    QNetworkAccessManager network;
    QNetworkRequest request(BaseUrl().resolved(QUrl(path)));
    request.setRawHeader("Authorization", "Basic " + (User() + ':' + Password()).toUtf8().toBase64());
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    if (!body.isEmpty() && !request.hasRawHeader("Content-Type"))
        request.setRawHeader("Content-Type", "application/xml; charset=utf-8");
    if (FTls) {
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.addCaCertificates(QSslCertificate::fromPath(CaFile()));
        request.setSslConfiguration(ssl);
    }
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

bool TRadicale::CreateTaskList(const QString &name, const QStringList &components)
{
    QByteArray comps;
    for (const QString &component : components)
        comps += "<C:comp name=\"" + component.toUtf8() + "\"/>";
    const QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                            "<C:mkcalendar xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\">"
                            "<D:set><D:prop><D:displayname>" +
                            name.toHtmlEscaped().toUtf8() +
                            "</D:displayname><C:supported-calendar-component-set>" + comps +
                            "</C:supported-calendar-component-set></D:prop></D:set></C:mkcalendar>";
    QByteArray answer;
    const int status = Send("MKCALENDAR", Url(name).path(), body, {}, &answer);
    if (status != 201)
        FError =
            QStringLiteral("MKCALENDAR %1 gave %2: %3").arg(name).arg(status).arg(QString::fromUtf8(answer));
    return status == 201;
}

bool TRadicale::CreateAddressBook(const QString &name)
{
    const QByteArray body =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<D:mkcol xmlns:D=\"DAV:\" xmlns:CR=\"urn:ietf:params:xml:ns:carddav\"><D:set><D:prop>"
        "<D:resourcetype><D:collection/><CR:addressbook/></D:resourcetype>"
        "</D:prop></D:set></D:mkcol>";
    QByteArray answer;
    const int status = Send("MKCOL", Url(name).path(), body, {}, &answer);
    if (status != 201)
        FError = QStringLiteral("MKCOL %1 gave %2: %3").arg(name).arg(status).arg(QString::fromUtf8(answer));
    return status == 201;
}

QString TRadicale::CollectionFolder(const QString &collection) const
{
    return FDir->filePath(QStringLiteral("collections/collection-root/%1/%2").arg(User(), collection));
}

QStringList TRadicale::StoredItems(const QString &collection) const
{
    // Radicale's own files there (.Radicale.props, its cache) start with a dot.
    QStringList names = QDir(CollectionFolder(collection)).entryList(QDir::Files, QDir::Name);
    return names;
}

QByteArray TRadicale::StoredItem(const QString &collection, const QString &fileName) const
{
    QFile file(QDir(CollectionFolder(collection)).filePath(fileName));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TRadicale::StoreItem(const QString &collection, const QString &fileName, const QByteArray &text)
{
    return WriteFile(QDir(CollectionFolder(collection)).filePath(fileName), text);
}
