#include "settings/IniFile.h"

#include "base/JbxError.h"
#include "base/SafeFile.h"
#include "base/TextCodec.h"

#include <QFile>

namespace {
bool SameName(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

QString Unquote(QString value)
{
    if (value.size() >= 2) {
        QChar first = value.front();
        if ((first == u'"' || first == u'\'') && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

// Blanks and tabs only: that is what the profile calls skip.
QByteArray TrimBlanks(const QByteArray &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    return text.mid(begin, end - begin);
}
} // namespace

TIniFile::TIniFile(const QString &path) : FPath(path) {}

void TIniFile::Load()
{
    LoadFromBytes(QByteArray());
    QFile file(FPath);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        FUnreadable = true; // writing now would lose what the user has in it
        return;
    }
    LoadFromBytes(file.readAll());
}

void TIniFile::LoadFromBytes(const QByteArray &content)
{
    FLines.clear();
    FUnreadable = false;
    const QByteArray bom("\xEF\xBB\xBF");
    FBom = content.startsWith(bom) ? bom : QByteArray();
    qsizetype start = FBom.size();
    while (start < content.size()) {
        qsizetype end = content.indexOf('\n', start);
        if (end < 0)
            end = content.size();
        QByteArray raw = content.mid(start, end - start);
        if (raw.endsWith('\r'))
            raw.chop(1);
        FLines.append(ParseLine(raw));
        start = end + 1;
    }
}

TIniFile::TLine TIniFile::ParseLine(const QByteArray &raw)
{
    TLine line;
    line.Raw = raw;
    const QByteArray text = TrimBlanks(raw);
    if (text.isEmpty() || text.startsWith(';'))
        return line;
    if (text.startsWith('[')) {
        qsizetype close = text.indexOf(']');
        line.Type = TLine::Section;
        line.Name = DecodeText(TrimBlanks(text.mid(1, close < 0 ? -1 : close - 1)));
        return line;
    }
    qsizetype equals = text.indexOf('=');
    if (equals <= 0)
        return line;
    line.Type = TLine::Entry;
    line.Name = DecodeText(TrimBlanks(text.left(equals)));
    line.Value = Unquote(DecodeText(TrimBlanks(text.mid(equals + 1)))).left(MaxValueLength);
    return line;
}

qsizetype TIniFile::FindSection(const QString &section) const
{
    for (qsizetype i = 0; i < FLines.size(); ++i)
        if (FLines[i].Type == TLine::Section && SameName(FLines[i].Name, section))
            return i;
    return -1;
}

qsizetype TIniFile::SectionEnd(qsizetype sectionLine) const
{
    qsizetype i = sectionLine + 1;
    while (i < FLines.size() && FLines[i].Type != TLine::Section)
        ++i;
    return i;
}

qsizetype TIniFile::FindKey(qsizetype sectionLine, const QString &key) const
{
    const qsizetype end = SectionEnd(sectionLine);
    for (qsizetype i = sectionLine + 1; i < end; ++i)
        if (FLines[i].Type == TLine::Entry && SameName(FLines[i].Name, key))
            return i;
    return -1;
}

std::optional<QString> TIniFile::Value(const QString &section, const QString &key) const
{
    const qsizetype sectionLine = FindSection(section);
    const qsizetype keyLine = sectionLine < 0 ? -1 : FindKey(sectionLine, key);
    if (keyLine < 0)
        return std::nullopt;
    return FLines[keyLine].Value;
}

QString TIniFile::ReadString(const QString &section, const QString &key, const QString &defaultValue) const
{
    return Value(section, key).value_or(defaultValue);
}

void TIniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    QString oneLine = value;
    oneLine.replace(u'\r', u' ').replace(u'\n', u' ');
    const QByteArray raw = EncodeText(key) + '=' + EncodeText(oneLine);
    qsizetype sectionLine = FindSection(section);
    if (sectionLine < 0) {
        TLine header;
        header.Raw = '[' + EncodeText(section) + ']';
        header.Type = TLine::Section;
        header.Name = section;
        FLines.append(header);
        sectionLine = FLines.size() - 1;
    }
    const qsizetype keyLine = FindKey(sectionLine, key);
    if (keyLine >= 0) {
        FLines[keyLine] = ParseLine(raw);
        return;
    }
    // A new key goes after the last entry of its section, so comments and
    // blank lines that close the section stay where the user put them.
    qsizetype insertAt = sectionLine + 1;
    const qsizetype end = SectionEnd(sectionLine);
    for (qsizetype i = sectionLine + 1; i < end; ++i)
        if (FLines[i].Type == TLine::Entry)
            insertAt = i + 1;
    FLines.insert(insertAt, ParseLine(raw));
}

QByteArray TIniFile::ToBytes() const
{
    QByteArray out = FBom;
    for (const TLine &line : FLines)
        out += line.Raw + "\r\n";
    return out;
}

void TIniFile::Save() const
{
    if (FUnreadable || WriteFileSafely(FPath, ToBytes(), false) != TSafeWrite::Done)
        throw EJbxError(JbxMessages::UnableToWrite(FPath));
}
