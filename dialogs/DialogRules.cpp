#include "dialogs/DialogRules.h"

#include "base/JbxError.h"
#include "base/TextCodec.h"
#include "settings/TUserInfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

QStringList SplitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        lines << text.mid(start, end - start);
        if (end < size && text[end] == u'\r')
            ++end;
        if (end < size && text[end] == u'\n')
            ++end;
        start = end;
    }
    return lines;
}

QStringList ReadTips(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.read(MaxTipsBytes);
    // A line cut at the limit is no tip; the lines before it are whole.
    if (!file.atEnd()) {
        const qsizetype lastBreak = std::max(bytes.lastIndexOf('\n'), bytes.lastIndexOf('\r'));
        bytes.truncate(lastBreak < 0 ? 0 : lastBreak);
    }
    return SplitLines(DecodeText(bytes));
}

int TipToShow(qint32 nextTip, qsizetype count)
{
    if (count <= 0)
        return -1;
    return nextTip < 0 || nextTip >= count ? 0 : nextTip;
}

QPoint AboutBoxPlace(const QRect &screen, const QSize &frame)
{
    return {screen.x() + (screen.width() - frame.width()) / 2, screen.y() + screen.height() / 5};
}

QStringList SkinEntries(const QString &skinsDirectory)
{
    // Dot files are the desktop's bookkeeping, never skins; anything else
    // that is not a skin is told to the user when its name is read.
    return QDir(skinsDirectory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
}

QString ReadSkinName(const QString &fileName)
{
    // A pipe in the file's place would hold up the dialog for good.
    QFile file(fileName);
    if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly))
        throw EJbxError(JbxMessages::CannotOpenFile(fileName));
    // The name is on the first line; a skin's name is never long.
    QByteArray bytes = file.read(4096);
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        if (bytes[at] == '\r' || bytes[at] == '\n') {
            bytes.truncate(at);
            break;
        }
    }
    return DecodeText(bytes);
}
