#include "tasklist/ListRules.h"

#include "base/LocaleFormats.h"
#include "base/TextCodec.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "model/UnitGlobalProc.h"

std::vector<TTask *> ListedTasks(const TTaskList &tasks, bool displayCompleted, const QString &search)
{
    std::vector<TTask *> rows;
    const bool searching = !search.trimmed().isEmpty();
    // A search may keep few rows: room for all would stay with the model.
    if (!searching)
        rows.reserve(tasks.Tasks().size());
    for (TTask *task : tasks.Tasks()) {
        if (task->Finished && !displayCompleted)
            continue;
        if (searching && !DecodeText(task->Text).contains(search, Qt::CaseInsensitive))
            continue;
        rows.push_back(task);
    }
    return rows;
}

QString SubjectText(const TTask &task) { return DecodeText(FirstNonBlankLineView(task.Text).toByteArray()); }

QString DueDateText(const TTask &task)
{
    return task.DueDate > 0 ? TLocaleFormats::DateToStr(task.DueDate) : QString();
}

bool IsOverdue(const TTask &task, double now) { return task.DueDate > 0 && now > task.DueDate; }

TTask *UnwrittenNewNote(const TTaskList &tasks)
{
    for (TTask *task : tasks.Tasks())
        if (!task->Finished && task->Text == TTask::NewNoteText)
            return task;
    return nullptr;
}

QString RowLine(const TTask &task)
{
    const QString due = DueDateText(task);
    const QString subject = SubjectText(task);
    return due.isEmpty() ? subject : subject + QStringLiteral(" (") + due + u')';
}

QStringList RowLines(const std::vector<TTask *> &rows)
{
    QStringList lines;
    lines.reserve(qsizetype(rows.size()));
    for (const TTask *task : rows)
        lines.append(RowLine(*task));
    return lines;
}

QByteArray ExportBytes(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += EncodeText(line);
        bytes += "\r\n";
    }
    return bytes;
}
