#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// An INI file read and written the way the Windows private-profile calls do
// it, because users edit the settings by hand: names match without regard to
// case, blanks around names and values are ignored, a value in a matching
// pair of quotes loses them, the first of duplicated sections or keys wins,
// ';' starts a comment, and a value is cut to 2047 characters. Writing
// replaces one key's value in place and keeps every other line as it was.
class TIniFile {
public:
    static constexpr int MaxValueLength = 2047;
    // Settings written by hand or by the program fill a few kilobytes; a
    // file far past that is not read.
    static constexpr qint64 MaxFileBytes = qint64(4) << 20;

    explicit TIniFile(const QString &path);

    const QString &FileName() const { return FPath; }

    // Reads the file; a missing file reads as empty, and so does one that
    // exists but cannot be read, is no regular file or is past the bound,
    // which Save() then refuses to replace.
    void Load();
    void LoadFromBytes(const QByteArray &content);

    // The value, or nothing when the section or the key is missing.
    std::optional<QString> Value(const QString &section, const QString &key) const;
    // Missing section or key: the default.
    QString ReadString(const QString &section, const QString &key, const QString &defaultValue) const;

    // Changes the in-memory lines; Save() writes them. A line break in the
    // value becomes a blank, so a value can never add lines of its own; a
    // value that reading would change (blanks at its ends, or in a pair of
    // quotes already) is written in double quotes.
    void WriteString(const QString &section, const QString &key, const QString &value);

    // Writes every line with CR LF through a temporary file and a rename;
    // fails with "Unable to write to %s".
    void Save() const;
    QByteArray ToBytes() const;

private:
    struct TLine {
        QByteArray Raw;
        enum Kind { Other, Section, Entry } Type = Other;
        QString Name; // section name or key, trimmed
        QString Value;
    };

    static TLine ParseLine(const QByteArray &raw);
    qsizetype FindSection(const QString &section) const;
    qsizetype SectionEnd(qsizetype sectionLine) const;
    qsizetype FindKey(qsizetype sectionLine, const QString &key) const;

    QString FPath;
    QList<TLine> FLines;
    QByteArray FBom; // a UTF-8 mark at the start, kept as found
    bool FUnreadable = false;
};
