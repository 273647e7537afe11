#pragma once

#include "base/DateTime.h"

#include <QWidget>

class QLabel;
class QLineEdit;

// A link-style label that becomes an edit box when clicked. In time mode
// its caption is always a valid time of day in the program's time format.
class TZELEditableLabel : public QWidget {
    Q_OBJECT

public:
    // Switches the program-wide long time format to the short one, so
    // every time shown from now on has no seconds.
    explicit TZELEditableLabel(QWidget *parent = nullptr);

    QString Caption() const;
    // In time mode the text is parsed and shown normalised; an invalid time
    // fails with "'%s' is not a valid time" (EJbxError), the caption kept.
    // The widget takes the caption's size. Fires nothing.
    void SetCaption(const QString &value);
    // Also resets the caption: "9:30" in time mode, "ZELEditableLabel" else.
    void SetIsTime(bool value);
    // In time mode: the hours and minutes of `timeOfDay`, shown in the
    // program's time format, the one that reads it back. Fires nothing.
    void SetTime(TDateTime timeOfDay);
    // In time mode: the time of day the caption shows.
    TDateTime Time() const { return FTime; }

    // Ends an edit in progress (the edit box loses the focus).
    void HideEditor();
    // The caption's click: grows by 3 pixels each side and shows the edit
    // box with the caption, caret at the start.
    void BeginEdit();
    // The edit ended: Editing, the new caption (an invalid time is dropped
    // silently), back to the old place and size, Edited.
    void EndEdit();
    bool IsEditing() const;
    // The edit box; null until the first edit. For tests.
    QLineEdit *Editor() const { return FEdit; }
    QLabel *CaptionLabel() const { return FCaption; }

signals:
    // The edit is ending; the caption still shows the old text.
    void Editing();
    // The edit has ended; fires also when a typed time was rejected.
    void Edited();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void ShowCaption(const QString &text);
    void FitEditWidth();
    void FitToCaption();

    QLabel *FCaption;
    QLineEdit *FEdit = nullptr;
    bool FIsTime = false;
    TDateTime FTime = 0;
    bool FEnding = false;
};
