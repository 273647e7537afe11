#include "sync/TSyncState.h"

#include "base/RegularFile.h"
#include "base/SafeFile.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int KFormat = 1;
// A state file is small (a few hundred bytes per task, so 100,000 tasks
// take some 30 MB); one far past that is not ours.
constexpr qint64 KMaxStateBytes = 64LL << 20;

} // namespace

QString TSyncState::FileNameFor(const QString &dataPath)
{
    const QFileInfo info(dataPath);
    return info.path() + u'/' + info.completeBaseName() + QStringLiteral(".sync");
}

bool TSyncState::Load(const QString &path)
{
    *this = TSyncState();
    const TFileRead file = ReadRegularFile(path, KMaxStateBytes);
    return file.Ok() && FromBytes(file.Bytes);
}

bool TSyncState::Save(const QString &path) const
{
    return WriteFileSafely(path, ToBytes(), true) == TSafeWrite::Done;
}

QByteArray TSyncState::ToBytes() const
{
    QJsonArray entries;
    for (const TSyncEntry &entry : Entries) {
        entries.append(QJsonObject{
            {QStringLiteral("key"), QString::number(entry.Key, 'g', 17)},
            {QStringLiteral("ordinal"), entry.Ordinal},
            {QStringLiteral("uid"), QString::fromUtf8(entry.Uid)},
            {QStringLiteral("href"), entry.Href},
            {QStringLiteral("etag"), QString::fromUtf8(entry.ETag)},
            {QStringLiteral("digest"), QString::fromLatin1(entry.Digest.toHex())},
            {QStringLiteral("base"), QString::fromLatin1(entry.Base.toBase64())},
        });
    }
    const QJsonObject root{
        {QStringLiteral("format"), KFormat},  {QStringLiteral("url"), Url},
        {QStringLiteral("user"), User},       {QStringLiteral("syncToken"), QString::fromUtf8(SyncToken)},
        {QStringLiteral("entries"), entries},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool TSyncState::FromBytes(const QByteArray &bytes)
{
    *this = TSyncState();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    const QJsonObject root = document.object();
    if (error.error != QJsonParseError::NoError || root.value(QStringLiteral("format")).toInt() != KFormat)
        return false;
    TSyncState read;
    read.Url = root.value(QStringLiteral("url")).toString();
    read.User = root.value(QStringLiteral("user")).toString();
    read.SyncToken = root.value(QStringLiteral("syncToken")).toString().toUtf8();
    for (const QJsonValue &value : root.value(QStringLiteral("entries")).toArray()) {
        const QJsonObject object = value.toObject();
        TSyncEntry entry;
        bool keyOk = false;
        entry.Key = object.value(QStringLiteral("key")).toString().toDouble(&keyOk);
        entry.Ordinal = object.value(QStringLiteral("ordinal")).toInt(-2);
        entry.Uid = object.value(QStringLiteral("uid")).toString().toUtf8();
        entry.Href = object.value(QStringLiteral("href")).toString();
        entry.ETag = object.value(QStringLiteral("etag")).toString().toUtf8();
        entry.Digest = QByteArray::fromHex(object.value(QStringLiteral("digest")).toString().toLatin1());
        entry.Base = QByteArray::fromBase64(object.value(QStringLiteral("base")).toString().toLatin1());
        // An entry that names no item, or no task, is damage: trust none of it.
        if (!keyOk || entry.Ordinal < -1 || entry.Href.isEmpty() || entry.Uid.isEmpty())
            return false;
        read.Entries.push_back(std::move(entry));
    }
    *this = std::move(read);
    return true;
}

void TSyncState::BelongTo(const QString &url, const QString &user)
{
    if (Url == url && User == user)
        return;
    *this = TSyncState();
    Url = url;
    User = user;
}
