#include "tasklist/TypeAhead.h"

int TTypeAhead::Type(const QString &typed, qint64 nowMsecs, int rowCount, int selectedRow,
                     const std::function<QString(int row)> &rowText)
{
    if (!FTyped || nowMsecs - FLastMsecs > PauseMsecs || nowMsecs < FLastMsecs)
        FText.clear();
    FTyped = true;
    FLastMsecs = nowMsecs;
    FText += typed;
    // With none selected the search starts after the first row, as it
    // does after a selected one.
    const int start = selectedRow < 0 ? 1 : selectedRow + 1;
    for (int i = 0; i < rowCount; ++i) {
        const int row = (start + i) % rowCount;
        if (rowText(row).startsWith(FText, Qt::CaseInsensitive))
            return row;
    }
    FText.chop(typed.size());
    return -1;
}
