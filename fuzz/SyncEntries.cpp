#include "fuzz/SyncEntries.h"

#include "base/Clock.h"
#include "base/TextCodec.h"
#include "model/TTask.h"
#include "settings/TUserInfo.h"
#include "sync/VTodo.h"

#include <QLocale>

namespace SyncEntries {

namespace {
// The same inputs take the same paths on every run.
void PinEnvironment()
{
    static const bool pinned = [] {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        TClock::Set(QDateTime(QDate(2024, 3, 15), QTime(9, 30)));
        return true;
    }();
    Q_UNUSED(pinned);
}

// Every line ends CR LF and holds at most 75 octets; in an object that is
// UTF-8 throughout, every line holds whole characters.
QString FoldingProblem(const QByteArray &object)
{
    const bool utf8 = IsValidUtf8(object);
    qsizetype start = 0;
    while (start < object.size()) {
        const qsizetype end = object.indexOf("\r\n", start);
        if (end < 0)
            return QStringLiteral("the object does not end with CR LF");
        if (end - start > 75)
            return QStringLiteral("a line of %1 octets").arg(end - start);
        if (utf8 && !IsValidUtf8(object.mid(start, end - start)))
            return QStringLiteral("a line ends inside a character");
        start = end + 2;
    }
    return QString();
}
} // namespace

QString ReadCalendarObject(const QByteArray &bytes)
{
    PinEnvironment();
    TUserInfo settings;
    TTask task(settings);
    TRemoteItem item;
    QString error;
    if (!CalendarObjectToTask(bytes, task, item, error))
        return error.isEmpty() ? QStringLiteral("refused without a reason") : QString();
    const QByteArray written = TaskToCalendarObject(task, item.Uid, bytes);
    if (written.isEmpty())
        return QStringLiteral("the task was not written");
    if (const QString folding = FoldingProblem(written); !folding.isEmpty())
        return folding;
    TTask again(settings);
    TRemoteItem itemAgain;
    if (!CalendarObjectToTask(written, again, itemAgain, error))
        return QStringLiteral("the written object does not read: ") + error;
    if (TravellingDigest(again) != TravellingDigest(task))
        return QStringLiteral("the written object reads as another task");
    if (itemAgain.Uid != item.Uid)
        return QStringLiteral("the UID changed");
    if (!itemAgain.HasKey || itemAgain.Key != task.Created)
        return QStringLiteral("the key was not written");
    return QString();
}

} // namespace SyncEntries
