#include "sync/DavXml.h"

#include <QUrl>
#include <QXmlStreamReader>

namespace {
const QString KDav = QStringLiteral("DAV:");
const QString KCalDav = QStringLiteral("urn:ietf:params:xml:ns:caldav");

// The elements this reader acts on; everything else is walked over.
enum TElement {
    Other,
    Multistatus,
    Response,
    Href,
    Status,
    Propstat,
    Prop,
    GetEtag,
    ResourceType,
    Collection,
    Calendar,
    CalendarData,
    ComponentSet,
    Comp,
    SyncToken,
};

TElement Classify(const QXmlStreamReader &reader)
{
    const QStringView space = reader.namespaceUri();
    const QStringView name = reader.name();
    if (space == KDav) {
        if (name == u"multistatus")
            return Multistatus;
        if (name == u"response")
            return Response;
        if (name == u"href")
            return Href;
        if (name == u"status")
            return Status;
        if (name == u"propstat")
            return Propstat;
        if (name == u"prop")
            return Prop;
        if (name == u"getetag")
            return GetEtag;
        if (name == u"resourcetype")
            return ResourceType;
        if (name == u"collection")
            return Collection;
        if (name == u"sync-token")
            return SyncToken;
    } else if (space == KCalDav) {
        if (name == u"calendar")
            return Calendar;
        if (name == u"calendar-data")
            return CalendarData;
        if (name == u"supported-calendar-component-set")
            return ComponentSet;
        if (name == u"comp")
            return Comp;
    }
    return Other;
}

// "HTTP/1.1 404 Not Found" gives 404; anything unreadable 0.
int StatusCode(const QString &line)
{
    const QStringList words = line.simplified().split(u' ');
    return words.size() >= 2 ? words.at(1).toInt() : 0;
}

// Hrefs compare as decoded paths, whether the server wrote a path or a
// whole URL, and however it chose to percent-encode.
QString DecodedPath(const QString &href)
{
    const QString text = href.trimmed();
    QString path = text;
    if (text.contains(QLatin1String("://"))) {
        const QUrl url(text);
        path = url.path(QUrl::FullyEncoded);
    }
    return QUrl::fromPercentEncoding(path.toUtf8());
}

// What one propstat says about its resource, applied only when its
// status is 200: the others name properties the server does not have.
struct TProps {
    QByteArray ETag;
    QByteArray Data;
    QByteArray SyncToken;
    bool IsCollection = false;
    bool IsCalendar = false;
    bool ComponentSetSeen = false;
    bool NamesTodo = false;
    int Status = 0;
};

struct TParser {
    QXmlStreamReader Reader;
    QList<TElement> Path; // the open elements, outermost first
    TDavMultistatus &Out;
    TDavResponse Current;
    TProps Props;
    QString Text;          // of the text element being read
    bool HrefSeen = false; // a response's own href, not one nested deeper
    bool AnyProps = false; // a propstat of the response applied
    bool ComponentSetSeen = false;
    bool NamesTodo = false;
    int OtherStatus = 0; // of its first propstat that was not 200

    TParser(const QByteArray &xml, TDavMultistatus &out) : Reader(xml), Out(out) {}

    // Parent(0) is the element just opened or about to close, Parent(1)
    // the one around it.
    TElement Parent(int up) const { return Path.size() > up ? Path.at(Path.size() - 1 - up) : Other; }

    void Start(TElement element)
    {
        switch (element) {
        case Response:
            if (Parent(1) == Multistatus) {
                Current = TDavResponse();
                HrefSeen = AnyProps = ComponentSetSeen = NamesTodo = false;
                OtherStatus = 0;
            }
            break;
        case Propstat: Props = TProps(); break;
        case Collection:
            if (Parent(1) == ResourceType)
                Props.IsCollection = true;
            break;
        case Calendar:
            if (Parent(1) == ResourceType)
                Props.IsCalendar = true;
            break;
        case ComponentSet:
            if (Parent(1) == Prop)
                Props.ComponentSetSeen = true;
            break;
        case Comp:
            if (Parent(1) == ComponentSet &&
                Reader.attributes().value(QLatin1String("name")).compare(u"VTODO", Qt::CaseInsensitive) == 0)
                Props.NamesTodo = true;
            break;
        default: break;
        }
        Text.clear();
    }

    // Both called while the element is the last of Path.
    void End(TElement element)
    {
        const TElement around = Parent(1);
        switch (element) {
        case Href:
            if (around == Response && !HrefSeen) {
                Current.Href = DecodedPath(Text);
                if (Text.contains(QLatin1String("://")))
                    Current.Origin = QUrl(Text.trimmed())
                                         .adjusted(QUrl::RemovePath | QUrl::RemoveQuery |
                                                   QUrl::RemoveFragment | QUrl::RemoveUserInfo)
                                         .toString();
                HrefSeen = true;
            }
            break;
        case Status:
            if (around == Response)
                Current.Status = StatusCode(Text);
            else if (around == Propstat)
                Props.Status = StatusCode(Text);
            break;
        case GetEtag:
            if (around == Prop)
                Props.ETag = Text.trimmed().toUtf8();
            break;
        case CalendarData:
            if (around == Prop)
                Props.Data = Text.toUtf8();
            break;
        case SyncToken:
            if (around == Prop)
                Props.SyncToken = Text.trimmed().toUtf8();
            else if (around == Multistatus)
                Out.SyncToken = Text.trimmed().toUtf8();
            break;
        case Propstat:
            if (Props.Status == 200) {
                // Servers may split the properties over several 200s.
                if (!Props.ETag.isEmpty())
                    Current.ETag = Props.ETag;
                if (!Props.Data.isEmpty())
                    Current.Data = Props.Data;
                if (!Props.SyncToken.isEmpty())
                    Current.SyncToken = Props.SyncToken;
                Current.IsCollection |= Props.IsCollection;
                Current.IsCalendar |= Props.IsCalendar;
                ComponentSetSeen |= Props.ComponentSetSeen;
                NamesTodo |= Props.NamesTodo;
                AnyProps = true;
                if (Current.Status == 0)
                    Current.Status = 200;
            } else if (OtherStatus == 0) {
                OtherStatus = Props.Status;
            }
            break;
        case Response:
            if (around == Multistatus) {
                // No component set named: any component.
                Current.HoldsTodos = !ComponentSetSeen || NamesTodo;
                if (!AnyProps && Current.Status == 0)
                    Current.Status = OtherStatus; // none of its properties could be read
                Out.Responses.append(Current);
            }
            break;
        default: break;
        }
    }

    bool Run(QString &error)
    {
        while (!Reader.atEnd()) {
            switch (Reader.readNext()) {
            case QXmlStreamReader::DTD:
                // Refused before any entity it declares could be expanded.
                error = QStringLiteral("the answer holds a document type declaration");
                return false;
            case QXmlStreamReader::EntityReference:
                error = QStringLiteral("the answer refers to an entity");
                return false;
            case QXmlStreamReader::StartElement: {
                if (Path.size() >= MaxXmlDepth) {
                    error = QStringLiteral("the answer is nested deeper than %1 levels").arg(MaxXmlDepth);
                    return false;
                }
                const TElement element = Classify(Reader);
                if (Path.isEmpty() && element != Multistatus) {
                    error = QStringLiteral("the answer is not a multistatus document");
                    return false;
                }
                Path.append(element);
                Start(element);
                break;
            }
            case QXmlStreamReader::Characters:
                if (!Path.isEmpty() && Path.last() != Other)
                    Text += Reader.text();
                break;
            case QXmlStreamReader::EndElement:
                End(Path.last());
                Path.removeLast();
                break;
            default: break;
            }
        }
        if (Reader.hasError()) {
            error = QStringLiteral("the answer is not well-formed XML: %1 (line %2)")
                        .arg(Reader.errorString())
                        .arg(Reader.lineNumber());
            return false;
        }
        return true;
    }
};
} // namespace

bool ParseMultistatus(const QByteArray &xml, TDavMultistatus &out, QString &error)
{
    out = TDavMultistatus();
    error.clear();
    if (xml.size() > MaxXmlBytes) {
        error = QStringLiteral("the answer is larger than %1 MiB").arg(MaxXmlBytes >> 20);
        return false;
    }
    TParser parser(xml, out);
    if (!parser.Run(error)) {
        out = TDavMultistatus();
        return false;
    }
    return true;
}
