#pragma once

#include <QString>
#include <functional>

// Finding a row by typing the beginning of its text: characters typed
// within a second of each other add up to one search text, a longer pause
// starts a new one. The search starts at the row after the selected one
// and wraps to the top.
class TTypeAhead {
public:
    static constexpr qint64 PauseMsecs = 1000;

    // The row found for `typed` at `nowMsecs`, or -1; then the text drops
    // its last character again (the caller beeps).
    int Type(const QString &typed, qint64 nowMsecs, int rowCount, int selectedRow,
             const std::function<QString(int row)> &rowText);
    QString Text() const { return FText; }

private:
    QString FText;
    qint64 FLastMsecs = 0;
    bool FTyped = false;
};
