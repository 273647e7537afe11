#include "TaskJson.h"

#include "base/TextCodec.h"
#include "model/TTask.h"
#include "model/TTaskList.h"

#include <cmath>
#include <cstring>

namespace {
QByteArray Quote(const QString &text)
{
    QByteArray out = "\"";
    for (QChar c : text) {
        switch (c.unicode()) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c.unicode() < 0x20)
                out += "\\u" + QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
            else
                out += QString(c).toUtf8();
        }
    }
    return out + '"';
}

class TJsonLine {
public:
    TJsonLine &Field(const char *name, const QByteArray &rawValue)
    {
        FOut += (FOut.isEmpty() ? "{" : ",") + Quote(QString::fromLatin1(name)) + ':' + rawValue;
        return *this;
    }
    TJsonLine &Int(const char *name, qint64 value) { return Field(name, QByteArray::number(value)); }
    TJsonLine &Flag(const char *name, bool value) { return Field(name, value ? "true" : "false"); }
    TJsonLine &Double(const char *name, double value)
    {
        if (std::isfinite(value)) // enough digits to give back the very same double
            return Field(name, QByteArray::number(value, 'g', 17));
        // JSON has no infinity or NaN: show the bits instead.
        quint64 bits;
        std::memcpy(&bits, &value, sizeof bits);
        Field(name, "null");
        return Field((QByteArray(name) + "Hex").constData(),
                     '"' + QByteArray::number(bits, 16).rightJustified(16, '0') + '"');
    }
    TJsonLine &Bytes(const char *name, const QByteArray &bytes)
    {
        Field(name, Quote(DecodeText(bytes)));
        if (!IsValidUtf8(bytes))
            Field((QByteArray(name) + "Hex").constData(), '"' + bytes.toHex() + '"');
        return *this;
    }
    QByteArray Done() const { return FOut + '}'; }

private:
    QByteArray FOut;
};
} // namespace

QByteArray TaskListHeaderJson(const TTaskList &list, int count)
{
    return TJsonLine().Bytes("magic", list.Magic).Bytes("digest", list.Digest).Int("count", count).Done();
}

QByteArray TaskJson(const TTask &t)
{
    return TJsonLine()
        .Int("Left", t.Left)
        .Int("Top", t.Top)
        .Int("Width", t.Width)
        .Int("Height", t.Height)
        .Int("Color", t.Color)
        .Bytes("FontName", t.FontName)
        .Int("FontSize", t.FontSize)
        .Flag("FontBold", t.FontBold)
        .Flag("FontItalic", t.FontItalic)
        .Int("FontColor", t.FontColor)
        .Flag("NoteOpen", t.NoteOpen)
        .Flag("RolledUp", t.RolledUp)
        .Int("Spare1", t.Spare1)
        .Bytes("Text", t.Text)
        .Double("DueDate", t.DueDate)
        .Double("Spare2", t.Spare2)
        .Double("ReminderTime", t.ReminderTime)
        .Flag("Alerting", t.Alerting)
        .Int("Spare3", t.Spare3)
        .Int("Spare4", t.Spare4)
        .Int("CreatedDayOfWeek", t.CreatedDayOfWeek)
        .Int("CreatedYear", t.CreatedYear)
        .Int("CreatedMonth", t.CreatedMonth)
        .Int("CreatedDay", t.CreatedDay)
        .Double("Created", t.Created)
        .Double("Modified", t.Modified)
        .Flag("Finished", t.Finished)
        .Int("Priority", t.Priority)
        .Done();
}
