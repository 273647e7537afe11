#include "settings/IniFile.h"

#include "base/JbxError.h"
#include "base/RegularFile.h"
#include "base/SafeFile.h"
#include "base/TextCodec.h"

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

// The text to write for a value so that reading gives the value back: one
// with blanks or tabs at either end, or already in a matching pair of
// quotes, goes in double quotes, which reading removes again.
QString QuoteIfNeeded(const QString &value)
{
    if (value.isEmpty())
        return value;
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    if (blank(value.front()) || blank(value.back()) || Unquote(value) != value)
        return u'"' + value + u'"';
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

// Where the line from `start` ends, and in `next` where the one after it
// begins. LF, CR LF and a CR alone all end a line, so no value read holds a
// line break: written back, it could not stay one value.
qsizetype LineEnd(const QByteArray &content, qsizetype start, qsizetype &next)
{
    qsizetype end = start;
    while (end < content.size() && content[end] != '\n' && content[end] != '\r')
        ++end;
    next = end + 1;
    if (end < content.size() && content[end] == '\r' && next < content.size() && content[next] == '\n')
        ++next;
    return end;
}
} // namespace

TIniFile::TIniFile(const QString &path) : FPath(path) {}

void TIniFile::Load()
{
    LoadFromBytes(QByteArray());
    TFileRead file = ReadRegularFile(FPath, MaxFileBytes);
    if (file.Outcome == TFileRead::Missing)
        return;
    if (!file.Ok()) {
        // Writing now would lose what the user has in it, or replace what
        // is no settings file at all (a FIFO, a link to a device).
        FUnreadable = true;
        return;
    }
    LoadFromBytes(file.Bytes);
}

void TIniFile::LoadFromBytes(const QByteArray &content)
{
    FLines.clear();
    FUnreadable = false;
    const QByteArray bom("\xEF\xBB\xBF");
    FBom = content.startsWith(bom) ? bom : QByteArray();
    const qsizetype first = FBom.size();
    // One exact allocation for the table of lines: growing it line by line
    // would round it up to nearly twice its size.
    qsizetype lines = 0;
    for (qsizetype start = first, next = 0; start < content.size(); start = next) {
        LineEnd(content, start, next);
        ++lines;
    }
    FLines.reserve(lines);
    for (qsizetype start = first, next = 0; start < content.size(); start = next) {
        const qsizetype end = LineEnd(content, start, next);
        FLines.append(ParseLine(content.mid(start, end - start)));
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
    const QByteArray raw = EncodeText(key) + '=' + EncodeText(QuoteIfNeeded(oneLine));
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
    // Made readable by its owner only: it names the sync server, its user
    // and the command that prints the password.
    if (FUnreadable || WriteFileSafely(FPath, ToBytes(), true) != TSafeWrite::Done)
        throw EJbxError(JbxMessages::UnableToWrite(FPath));
}
