#pragma once

#include <QObject>

class QAction;
class QMenu;
class QPlainTextEdit;
class TFormNote;
struct TAppCommands;

// A note's context menu and the commands behind it that belong to the note:
// the five colours, the font, saving the text, printing it, deleting the
// note and the clipboard commands of the text. The menu also offers the
// list's and the main window's commands that exist.
class TNoteMenu : public QObject {
    Q_OBJECT

public:
    explicit TNoteMenu(TFormNote *note);
    // The note's text, which the clipboard commands act on.
    void AttachMemo(QPlainTextEdit *memo);

    // The other windows' commands the menu offers; may be none.
    const TAppCommands *Commands = nullptr;

    QMenu *PMSysMenu;
    QMenu *Edit1;
    QMenu *ChangeColor1;
    QAction *SaveAs1;
    QAction *Print1;
    QAction *Delete1;
    QAction *Cut1;
    QAction *Copy1;
    QAction *Paste1;
    QAction *SelectAll1;
    QAction *ActionChangeFont;
    QAction *ColorItems[5]; // "C1" to "C5"

    // Fills the menu with what exists now and enables the items; runs at
    // every opening.
    void PMSysMenuPopup();
    // Opens the menu at a screen point; returns at once.
    void Popup(QPoint globalPos);

    void ColorClick(int number); // 1 to 5
    void ActionChangeFontExecute();
    void SaveAs1Click();
    void Print1Click();
    void Delete1Click();

private:
    TFormNote *FNote;
    QPlainTextEdit *FMemo = nullptr;
};
