#include "sync/TCalDavClient.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QTimer>

namespace {
constexpr int KBatch = 100; // hrefs per calendar-multiget

const QByteArray KXmlType = "application/xml; charset=utf-8";
const QByteArray KXmlHead = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

TDavResult Failure(TDavResult::TFailure failure, const QString &message, int httpStatus = 0)
{
    TDavResult result;
    result.Failure = failure;
    result.Message = message;
    result.HttpStatus = httpStatus;
    return result;
}

// Why the server turned down one item it was sent; empty for an answer
// that is not about the item. The password was good enough to list the
// collection, so a 403 here is about this item.
QString RefusalReason(int status)
{
    switch (status) {
    case 400:
    case 415:
        return QCoreApplication::translate("TCalDavClient", "the server does not take this task (HTTP %1)")
            .arg(status);
    case 403: return QCoreApplication::translate("TCalDavClient", "not allowed to change this task");
    case 413: return QCoreApplication::translate("TCalDavClient", "the task is too large for the server");
    case 507: return QCoreApplication::translate("TCalDavClient", "the server has no room left");
    default: return {};
    }
}

TDavResult Success(int httpStatus)
{
    TDavResult result;
    result.HttpStatus = httpStatus;
    return result;
}

// Only this machine may be spoken to without TLS: a password sent in the
// clear goes nowhere else.
bool IsLoopback(const QString &host)
{
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

// Paths travel percent-encoded once; slashes stay what they are.
QByteArray EncodedPath(const QString &path) { return QUrl::toPercentEncoding(path, "/"); }

QString WithSlash(QString path)
{
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}

bool IsHtml(const QByteArray &body)
{
    const QByteArray start = body.left(512).trimmed().toLower();
    return start.startsWith("<!doctype html") || start.startsWith("<html");
}

// A sync-collection answer that says the token is no longer good
// (RFC 6578: the DAV:valid-sync-token precondition).
bool SaysTokenInvalid(int status, const QByteArray &body)
{
    if (status != 400 && status != 403 && status != 409)
        return false;
    return body.contains("valid-sync-token") || (status == 400 && body.contains("sync-token"));
}
} // namespace

struct TCalDavClient::TAnswer {
    TDavResult Result; // failed when no HTTP answer came, or it could not be taken
    int Status = 0;
    QByteArray Body;
    QByteArray ETag;
};

TCalDavClient::TCalDavClient(const TOptions &options) : FOptions(options) {}

TCalDavClient::~TCalDavClient() = default;

QString TCalDavClient::CollectionPath() const { return WithSlash(FOptions.Url.path(QUrl::FullyDecoded)); }

TCalDavClient::TAnswer TCalDavClient::Send(const QByteArray &verb, const QString &path,
                                           const QByteArray &body,
                                           const QList<QPair<QByteArray, QByteArray>> &headers)
{
    TAnswer answer;
    const QUrl &base = FOptions.Url;
    const QString scheme = base.scheme().toLower();
    if (!base.isValid() || base.host().isEmpty() || (scheme != u"http" && scheme != u"https")) {
        answer.Result = Failure(TDavResult::NoServer,
                                QCoreApplication::translate(
                                    "TCalDavClient", "The address is not an http:// or https:// address."));
        return answer;
    }
    if (scheme == u"http" && !IsLoopback(base.host())) {
        answer.Result =
            Failure(TDavResult::Insecure,
                    QCoreApplication::translate("TCalDavClient",
                                                "Plain http:// is allowed only to this computer; "
                                                "use https:// so the password is not sent in the clear."));
        return answer;
    }

    QUrl url = base;
    url.setQuery(QString());
    url.setFragment(QString());
    url.setPath(QString::fromLatin1(EncodedPath(path.isEmpty() ? CollectionPath() : path)),
                QUrl::TolerantMode);
    QNetworkRequest request(url);
    if (!FOptions.User.isEmpty() || !FOptions.Password.isEmpty())
        request.setRawHeader("Authorization",
                             "Basic " + (FOptions.User + u':' + FOptions.Password).toUtf8().toBase64());
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    // The credentials go to this address only, never where a redirection
    // points.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    const int timeoutMs = FOptions.TimeoutMs > 0 ? FOptions.TimeoutMs : TOptions().TimeoutMs;
    request.setTransferTimeout(timeoutMs);
    if (scheme == u"https") {
        if (!FSsl) {
            // Read once: the system's authorities are a few hundred certificates.
            QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
            if (!FOptions.CaFile.isEmpty()) {
                const QList<QSslCertificate> extra = QSslCertificate::fromPath(FOptions.CaFile);
                if (extra.isEmpty()) {
                    answer.Result =
                        Failure(TDavResult::Tls,
                                QCoreApplication::translate(
                                    "TCalDavClient", "The certificate file %1 holds no certificate that "
                                                     "could be read.")
                                    .arg(FOptions.CaFile));
                    return answer;
                }
                ssl.setCaCertificates(QSslConfiguration::systemCaCertificates() + extra);
            }
            ssl.setPeerVerifyMode(QSslSocket::VerifyPeer);
            FSsl = std::make_unique<QSslConfiguration>(ssl);
        }
        request.setSslConfiguration(*FSsl);
    }

    // One per request: it belongs to the thread it is made on, and the
    // client may be made on one thread and used on another.
    QNetworkAccessManager network;
    QNetworkReply *reply = network.sendCustomRequest(request, verb, body);
    QEventLoop loop;
    bool tooBig = false;
    bool timedOut = false;
    QStringList sslErrors;
    auto take = [&] {
        if (!reply->isOpen())
            return;
        answer.Body += reply->readAll();
        if (answer.Body.size() > MaxXmlBytes && !tooBig) {
            tooBig = true;
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > MaxXmlBytes && !tooBig) {
            tooBig = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, take);
    QObject::connect(reply, &QNetworkReply::sslErrors, &loop, [&](const QList<QSslError> &errors) {
        for (const QSslError &error : errors)
            sslErrors << error.errorString();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // The transfer timeout ends a silent server; this ends one that trickles.
    QTimer safety;
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    safety.start(timeoutMs * 3);
    if (!reply->isFinished())
        loop.exec();
    if (!tooBig)
        take();

    answer.Status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.ETag = reply->rawHeader("ETag");
    const QNetworkReply::NetworkError error = reply->error();
    const QString reason = reply->errorString();
    delete reply;

    if (tooBig) {
        answer.Result =
            Failure(TDavResult::BadAnswer,
                    QCoreApplication::translate("TCalDavClient", "The server's answer is larger than %1 MiB.")
                        .arg(MaxXmlBytes >> 20),
                    answer.Status);
    } else if (timedOut || error == QNetworkReply::TimeoutError ||
               error == QNetworkReply::OperationCanceledError) {
        // Cancelled by the transfer timeout, also when the server went
        // silent halfway through its answer.
        answer.Result =
            Failure(TDavResult::TimedOut,
                    QCoreApplication::translate("TCalDavClient", "The server did not answer in time."));
    } else if (!sslErrors.isEmpty() || error == QNetworkReply::SslHandshakeFailedError) {
        answer.Result =
            Failure(TDavResult::Tls,
                    QCoreApplication::translate("TCalDavClient", "No secure connection could be made: %1")
                        .arg(sslErrors.isEmpty() ? reason : sslErrors.join(u"; ")));
    } else if (answer.Status == 0) {
        switch (error) {
        case QNetworkReply::ConnectionRefusedError:
            answer.Result = Failure(
                TDavResult::NoServer,
                QCoreApplication::translate("TCalDavClient", "Nothing answers at %1.").arg(url.authority()));
            break;
        case QNetworkReply::HostNotFoundError:
            answer.Result =
                Failure(TDavResult::NoServer,
                        QCoreApplication::translate("TCalDavClient", "The server name %1 is not known.")
                            .arg(url.host()));
            break;
        case QNetworkReply::RemoteHostClosedError:
            // What a TLS server does with a request in the clear.
            if (scheme == u"http") {
                answer.Result = Failure(TDavResult::BadAnswer,
                                        QCoreApplication::translate(
                                            "TCalDavClient", "The server closed the connection without an "
                                                             "answer; perhaps it wants https://."));
                break;
            }
            [[fallthrough]];
        case QNetworkReply::ProtocolFailure:
        case QNetworkReply::ProtocolUnknownError:
        case QNetworkReply::ProtocolInvalidOperationError:
            answer.Result =
                Failure(TDavResult::BadAnswer,
                        QCoreApplication::translate("TCalDavClient", "The server's answer is not HTTP: %1")
                            .arg(reason));
            break;
        default:
            answer.Result =
                Failure(TDavResult::NoServer,
                        QCoreApplication::translate("TCalDavClient", "The server could not be reached: %1")
                            .arg(reason));
        }
    }
    return answer;
}

// The statuses every request reads alike; the caller has taken the ones it
// expects first.
TDavResult TCalDavClient::Unexpected(const TAnswer &answer) const
{
    const int status = answer.Status;
    if (status == 401 || status == 403)
        return Failure(
            TDavResult::WrongPassword,
            QCoreApplication::translate("TCalDavClient", "The server refused the user name or password."),
            status);
    if (status == 412)
        return Failure(
            TDavResult::Changed,
            QCoreApplication::translate("TCalDavClient", "The task was changed on the server meanwhile."),
            status);
    if (status >= 500)
        return Failure(TDavResult::ServerError,
                       QCoreApplication::translate("TCalDavClient", "The server reported an error (HTTP %1).")
                           .arg(status),
                       status);
    if (status >= 300 && status < 400)
        return Failure(TDavResult::NotCalDav,
                       QCoreApplication::translate(
                           "TCalDavClient", "The server sends this address elsewhere (HTTP %1); enter the "
                                            "address of the task list itself.")
                           .arg(status),
                       status);
    return Failure(
        TDavResult::ServerError,
        QCoreApplication::translate("TCalDavClient", "The server gave an unexpected answer (HTTP %1).")
            .arg(status),
        status);
}

// Whether an answer's response is one of the collection's items, not the
// collection itself or another collection inside it.
bool TCalDavClient::IsItem(const TDavResponse &response) const
{
    // Only an item right inside the collection: one anywhere else (another
    // collection, a folder inside, a path climbing out, another server) is
    // not ours to import, nor to delete.
    if (response.IsCollection)
        return false;
    if (!response.Origin.isEmpty()) {
        const QUrl origin(response.Origin);
        const auto port = [](const QUrl &url) {
            return url.port(url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443
                                                                                                   : 80);
        };
        if (origin.scheme().compare(FOptions.Url.scheme(), Qt::CaseInsensitive) != 0 ||
            origin.host().compare(FOptions.Url.host(), Qt::CaseInsensitive) != 0 ||
            port(origin) != port(FOptions.Url))
            return false;
    }
    const QString collection = CollectionPath();
    if (!response.Href.startsWith(collection))
        return false;
    const QStringView name = QStringView(response.Href).mid(collection.size());
    return !name.isEmpty() && !name.contains(u'/') && name != u"." && name != u"..";
}

// A multistatus answer read, or why not (any other answer is unexpected).
TDavResult TCalDavClient::Read(const TAnswer &answer, TDavMultistatus &multistatus) const
{
    if (answer.Status != 207)
        return Unexpected(answer);
    QString error;
    if (!ParseMultistatus(answer.Body, multistatus, error))
        return Failure(
            TDavResult::BadAnswer,
            QCoreApplication::translate("TCalDavClient", "The server's answer could not be read: %1")
                .arg(error),
            answer.Status);
    return Success(answer.Status);
}

namespace {
TDavResult NothingThere(int status)
{
    return Failure(
        TDavResult::NoTaskList,
        QCoreApplication::translate("TCalDavClient", "There is nothing at this address on the server."),
        status);
}
} // namespace

TDavResult TCalDavClient::Probe(QByteArray &syncToken)
{
    syncToken.clear();
    const QByteArray body = KXmlHead +
                            "<D:propfind xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\">"
                            "<D:prop><D:resourcetype/><D:sync-token/>"
                            "<C:supported-calendar-component-set/></D:prop></D:propfind>";
    const TAnswer answer = Send("PROPFIND", {}, body, {{"Depth", "0"}, {"Content-Type", KXmlType}});
    if (!answer.Result.Ok())
        return answer.Result;
    if (answer.Status == 404 || answer.Status == 410)
        return NothingThere(answer.Status);
    // A plain web server: it does not know PROPFIND, or answers it as GET.
    if (answer.Status == 405 || answer.Status == 501 || answer.Status == 400 ||
        (answer.Status >= 200 && answer.Status < 300 && answer.Status != 207))
        return Failure(
            TDavResult::NotCalDav,
            QCoreApplication::translate("TCalDavClient", "The server answers, but not as a CalDAV server."),
            answer.Status);
    if (answer.Status != 207)
        return Unexpected(answer);
    TDavMultistatus multistatus;
    if (IsHtml(answer.Body))
        return Failure(
            TDavResult::NotCalDav,
            QCoreApplication::translate("TCalDavClient", "The server answers, but not as a CalDAV server."),
            answer.Status);
    TDavResult read = Read(answer, multistatus);
    if (!read.Ok())
        return read;

    const TDavResponse *own = nullptr;
    for (const TDavResponse &response : std::as_const(multistatus.Responses))
        if (WithSlash(response.Href) == CollectionPath())
            own = &response;
    if (!own && multistatus.Responses.size() == 1)
        own = &multistatus.Responses.first(); // a server that names it differently
    if (!own || own->Status == 404)
        return Failure(
            TDavResult::NoTaskList,
            QCoreApplication::translate("TCalDavClient", "There is nothing at this address on the server."),
            answer.Status);
    if (own->Status != 200)
        return Unexpected(TAnswer{{}, own->Status, {}, {}});
    if (!own->IsCollection)
        return Failure(
            TDavResult::NoTaskList,
            QCoreApplication::translate("TCalDavClient", "This address is an item, not a task list."),
            answer.Status);
    if (!own->IsCalendar)
        return Failure(
            TDavResult::NoTaskList,
            QCoreApplication::translate("TCalDavClient", "This address is a folder, not a calendar."),
            answer.Status);
    if (!own->HoldsTodos)
        return Failure(TDavResult::NoTaskList,
                       QCoreApplication::translate("TCalDavClient", "This calendar does not hold tasks."),
                       answer.Status);
    syncToken = own->SyncToken;
    return read;
}

TDavResult TCalDavClient::ListChanges(const QByteArray &token, TDavChanges &changes)
{
    // Read before `changes` is cleared: the token is often its NewToken.
    const QByteArray since = QString::fromUtf8(token).toHtmlEscaped().toUtf8();
    changes = TDavChanges();
    const QByteArray body = KXmlHead + "<D:sync-collection xmlns:D=\"DAV:\"><D:sync-token>" + since +
                            "</D:sync-token><D:sync-level>1</D:sync-level>"
                            "<D:prop><D:getetag/></D:prop></D:sync-collection>";
    const TAnswer answer = Send("REPORT", {}, body, {{"Depth", "0"}, {"Content-Type", KXmlType}});
    if (!answer.Result.Ok())
        return answer.Result;
    if (SaysTokenInvalid(answer.Status, answer.Body))
        return Failure(TDavResult::TokenExpired,
                       QCoreApplication::translate("TCalDavClient",
                                                   "The server no longer knows the last sync; all tasks are "
                                                   "compared again."),
                       answer.Status);
    TDavMultistatus multistatus;
    TDavResult read = Read(answer, multistatus);
    if (!read.Ok())
        return read;
    for (const TDavResponse &response : std::as_const(multistatus.Responses)) {
        if (!IsItem(response))
            continue;
        if (response.Status == 404)
            changes.Removed << response.Href;
        else if (response.Status == 200)
            changes.Changed << TDavItem{response.Href, response.ETag, {}};
    }
    changes.NewToken = multistatus.SyncToken;
    return read;
}

TDavResult TCalDavClient::ListAll(QList<TDavItem> &items)
{
    items.clear();
    const QByteArray body = KXmlHead + "<D:propfind xmlns:D=\"DAV:\"><D:prop><D:getetag/><D:resourcetype/>"
                                       "</D:prop></D:propfind>";
    const TAnswer answer = Send("PROPFIND", {}, body, {{"Depth", "1"}, {"Content-Type", KXmlType}});
    if (!answer.Result.Ok())
        return answer.Result;
    if (answer.Status == 404 || answer.Status == 410)
        return NothingThere(answer.Status);
    TDavMultistatus multistatus;
    TDavResult read = Read(answer, multistatus);
    if (!read.Ok())
        return read;
    for (const TDavResponse &response : std::as_const(multistatus.Responses))
        if (response.Status == 200 && IsItem(response))
            items << TDavItem{response.Href, response.ETag, {}};
    return read;
}

TDavResult TCalDavClient::Fetch(const QStringList &hrefs, QList<TDavItem> &items)
{
    items.clear();
    TDavResult result;
    for (qsizetype first = 0; first < hrefs.size(); first += KBatch) {
        QByteArray body = KXmlHead + "<C:calendar-multiget xmlns:D=\"DAV:\" "
                                     "xmlns:C=\"urn:ietf:params:xml:ns:caldav\">"
                                     "<D:prop><D:getetag/><C:calendar-data/></D:prop>";
        for (const QString &href : hrefs.mid(first, KBatch))
            body += "<D:href>" + EncodedPath(href) + "</D:href>";
        body += "</C:calendar-multiget>";
        const TAnswer answer = Send("REPORT", {}, body, {{"Depth", "1"}, {"Content-Type", KXmlType}});
        if (!answer.Result.Ok())
            return answer.Result;
        TDavMultistatus multistatus;
        result = Read(answer, multistatus);
        if (!result.Ok())
            return result;
        for (const TDavResponse &response : std::as_const(multistatus.Responses))
            if (response.Status == 200 && !response.IsCollection)
                items << TDavItem{response.Href, response.ETag, response.Data};
    }
    return result;
}

TDavResult TCalDavClient::Put(const QString &href, const QByteArray &data, const QByteArray &etag,
                              QByteArray &newEtag)
{
    newEtag.clear();
    QList<QPair<QByteArray, QByteArray>> headers{{"Content-Type", "text/calendar; charset=utf-8"}};
    if (etag.isEmpty())
        headers.append(qMakePair(QByteArray("If-None-Match"), QByteArray("*")));
    else
        headers.append(qMakePair(QByteArray("If-Match"), etag));
    const TAnswer answer = Send("PUT", href, data, headers);
    if (!answer.Result.Ok())
        return answer.Result;
    if (const QString why = RefusalReason(answer.Status); !why.isEmpty())
        return Failure(TDavResult::Refused, why, answer.Status);
    if (answer.Status != 200 && answer.Status != 201 && answer.Status != 204)
        return Unexpected(answer);
    newEtag = answer.ETag;
    return Success(answer.Status);
}

TDavResult TCalDavClient::Delete(const QString &href, const QByteArray &etag)
{
    QList<QPair<QByteArray, QByteArray>> headers;
    if (!etag.isEmpty())
        headers.append(qMakePair(QByteArray("If-Match"), etag));
    const TAnswer answer = Send("DELETE", href, {}, headers);
    if (!answer.Result.Ok())
        return answer.Result;
    if (answer.Status != 200 && answer.Status != 204 && answer.Status != 404 && answer.Status != 410)
        return Unexpected(answer);
    return Success(answer.Status);
}

QString TCalDavClient::HrefForUid(const QByteArray &uid) const
{
    // The UID percent-encoded is one path segment of plain characters
    // whatever the UID holds ('/' included); as a decoded path its '%'
    // signs are the name's own.
    return CollectionPath() + QString::fromLatin1(QUrl::toPercentEncoding(QString::fromUtf8(uid))) +
           QStringLiteral(".ics");
}
