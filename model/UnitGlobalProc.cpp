#include "model/UnitGlobalProc.h"

#include "base/Clock.h"
#include "base/JbxError.h"
#include "base/LocaleFormats.h"
#include "model/TStream.h"
#include "model/UnitGlobalData.h"
#include "settings/TUserInfo.h"

#include <QFile>

QByteArrayView FirstNonBlankLineView(const QByteArray &text)
{
    const char *data = text.constData();
    qsizetype end = text.indexOf('\0');
    if (end < 0)
        end = text.size();
    qsizetype start = 0;
    while (start < end) {
        qsizetype lineEnd = start;
        while (lineEnd < end && data[lineEnd] != '\r' && data[lineEnd] != '\n')
            ++lineEnd;
        qsizetype first = start;
        qsizetype last = lineEnd;
        while (first < last && static_cast<unsigned char>(data[first]) <= 32)
            ++first;
        while (last > first && static_cast<unsigned char>(data[last - 1]) <= 32)
            --last;
        if (first < last)
            return QByteArrayView(data + first, last - first);
        start = lineEnd + 1;
    }
    return {};
}

QByteArray FirstNonBlankLine(const QByteArray &text)
{
    const QByteArrayView line = FirstNonBlankLineView(text);
    if (line.isEmpty())
        return QByteArray();
    return text.mid(line.data() - text.constData(), line.size());
}

void WriteDebugLog(const QString &message)
{
    if (!GlobalsExist() || !UserInfo().DebugMode)
        return;
    try {
        const TDateTime now = TClock::Now();
        const int day = DayOfTheWeek(now);
        QFile::remove(AppDir + QString::number((day + 1) % 7) + QStringLiteral(".log"));
        QFile file(AppDir + QString::number(day % 7) + QStringLiteral(".log"));
        // The user's alone, as every file of the program: it tells what was done when.
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append,
                       QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            return;
        const QString line = TLocaleFormats::DateToStr(now) + u' ' + TLocaleFormats::TimeToStr(now) +
                             QStringLiteral(" : ") + message + QStringLiteral("\r\n");
        file.write(line.toUtf8());
    } catch (...) {
        // The log must never disturb the program.
    }
}

Qt::WindowFlags StayOnTopFlag()
{
    return GlobalsExist() && UserInfo().StayOnTop ? Qt::WindowStaysOnTopHint : Qt::Widget;
}
