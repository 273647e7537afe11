#include "notes/TNoteMenu.h"

#include "base/JbxError.h"
#include "base/TextCodec.h"
#include "controls/MenuGroups.h"
#include "controls/TAppCommands.h"
#include "model/TTask.h"
#include "model/UnitGlobalData.h"
#include "notes/TFormNote.h"
#include "platform/ColorRef.h"
#include "platform/Dialogs.h"
#include "platform/PrintText.h"
#include "platform/SaveText.h"
#include "settings/TUserInfo.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>

namespace {

// A colour item shows its colour and no text: a swatch 13 pixels wide with a
// pixel free above and below.
QIcon Swatch(qint32 color)
{
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(Qt::black);
    painter.setBrush(ColorRefToQColor(color));
    painter.drawRect(1, 1, 13, 13);
    return QIcon(picture);
}

} // namespace

TNoteMenu::TNoteMenu(TFormNote *note)
    : QObject(note), PMSysMenu(new QMenu(note)), Edit1(new QMenu(tr("&Edit"), PMSysMenu)),
      ChangeColor1(new QMenu(tr("Change Color            "), PMSysMenu)),
      SaveAs1(new QAction(tr("Save &As..."), this)), Print1(new QAction(tr("&Print..."), this)),
      Delete1(new QAction(tr("&Delete"), this)), Cut1(new QAction(tr("Cu&t"), this)),
      Copy1(new QAction(tr("&Copy"), this)), Paste1(new QAction(tr("&Paste"), this)),
      SelectAll1(new QAction(tr("Select &All     "), this)),
      ActionChangeFont(new QAction(tr("Change &Font..."), this)), FNote(note)
{
    connect(SaveAs1, &QAction::triggered, this, &TNoteMenu::SaveAs1Click);
    connect(Print1, &QAction::triggered, this, &TNoteMenu::Print1Click);
    connect(Delete1, &QAction::triggered, this, &TNoteMenu::Delete1Click);
    connect(ActionChangeFont, &QAction::triggered, this, &TNoteMenu::ActionChangeFontExecute);

    Cut1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    Copy1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    Paste1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    // The text area answers these keys itself; the items show them and act
    // from the menu.
    for (QAction *item : {Cut1, Copy1, Paste1})
        item->setShortcutContext(Qt::WidgetShortcut);
    // Ctrl+A is given and taken as the note becomes active and inactive.
    note->addAction(SelectAll1);
    Edit1->addActions({Cut1, Copy1, Paste1});
    Edit1->addSeparator();
    Edit1->addAction(SelectAll1);

    for (int number = 1; number <= 5; ++number) {
        QAction *item = ChangeColor1->addAction(QString());
        // No text: a menu draws an action's icon text where it has none.
        item->setObjectName(QStringLiteral("C%1").arg(number) + u'1'); // "C11" to "C51"
        item->setData(number);
        connect(item, &QAction::triggered, this, [this, number] { ColorClick(number); });
        ColorItems[number - 1] = item;
    }
}

void TNoteMenu::AttachMemo(QPlainTextEdit *memo)
{
    FMemo = memo;
    connect(Cut1, &QAction::triggered, memo, &QPlainTextEdit::cut);
    connect(Copy1, &QAction::triggered, memo, &QPlainTextEdit::copy);
    connect(Paste1, &QAction::triggered, memo, &QPlainTextEdit::paste);
    connect(SelectAll1, &QAction::triggered, memo, &QPlainTextEdit::selectAll);
}

void TNoteMenu::PMSysMenuPopup()
{
    const TAppCommands shared = Commands ? *Commands : TAppCommands();
    PMSysMenu->clear();
    if (shared.ActionAddNewNote) {
        PMSysMenu->addAction(shared.ActionAddNewNote);
        PMSysMenu->addSeparator();
    }
    PMSysMenu->addActions({SaveAs1, Print1, Delete1});
    PMSysMenu->addSeparator();
    PMSysMenu->addMenu(Edit1);
    PMSysMenu->addSeparator();
    PMSysMenu->addMenu(ChangeColor1);
    PMSysMenu->addAction(ActionChangeFont);
    AddActionGroups(PMSysMenu, {{shared.ActionShowList, shared.ActionShowToolbar}, {shared.ActionOptions}});

    // The colours follow the settings, which the options may have changed.
    for (int number = 1; number <= 5; ++number)
        ColorItems[number - 1]->setIcon(Swatch(UserInfo().NoteColor(number)));

    if (FNote->InfoPanelShown()) {
        for (QAction *item : {Cut1, Copy1, Paste1, SelectAll1, ActionChangeFont})
            item->setEnabled(false);
        return;
    }
    const bool selection = FMemo->textCursor().hasSelection();
    Cut1->setEnabled(selection);
    Copy1->setEnabled(selection);
    const QMimeData *clipboard = QGuiApplication::clipboard()->mimeData();
    Paste1->setEnabled(clipboard && clipboard->hasText());
    SelectAll1->setEnabled(true);
    ActionChangeFont->setEnabled(true);
}

void TNoteMenu::Popup(QPoint globalPos)
{
    PMSysMenuPopup();
    PMSysMenu->popup(globalPos);
}

void TNoteMenu::ColorClick(int number)
{
    FNote->SetNoteColor(UserInfo().NoteColor(number));
    FNote->Task->Color = FNote->NoteColor();
    DataModified.Mark();
}

void TNoteMenu::ActionChangeFontExecute()
{
    TTask &task = *FNote->Task;
    TFontChoice choice;
    choice.Font = QFont(DecodeText(task.FontName));
    choice.Font.setPointSize(std::max(1, int(task.FontSize)));
    choice.Font.setBold(task.FontBold);
    choice.Font.setItalic(task.FontItalic);
    choice.Color = ColorRefToQColor(task.FontColor);
    const TFontChoice given = choice;
    if (!Dialogs().ChooseFont(FNote, choice))
        return;
    // What comes back as it went in keeps the task's own bytes: a name the
    // text codec would spell otherwise, a size the chooser cannot show, a
    // colour with flags in its high byte.
    if (choice.Font.family() != given.Font.family())
        task.FontName = EncodeText(choice.Font.family());
    if (choice.Font.pointSize() != given.Font.pointSize() && choice.Font.pointSize() > 0)
        task.FontSize = choice.Font.pointSize();
    // Underline and strike-out are not kept.
    task.FontBold = choice.Font.bold();
    task.FontItalic = choice.Font.italic();
    if (choice.Color != given.Color)
        task.FontColor = QColorToColorRef(choice.Color);
    FNote->ApplyFont();
    DataModified.Mark();
}

void TNoteMenu::SaveAs1Click()
{
    SaveTextFileAs(FNote, QString(), QString(), [this] { return EncodeText(FNote->MemoText()); });
}

void TNoteMenu::Print1Click()
{
    QPrinter printer;
    if (!Dialogs().SetUpPrinter(FNote, printer))
        return;
    try {
        PrintPlainText(printer, FMemo->toPlainText(), QFont(QStringLiteral("Arial"), 10), tr("Jotterbox"));
    } catch (const EJbxError &error) {
        Dialogs().ErrorBox(error.Message());
    }
}

void TNoteMenu::Delete1Click()
{
    if (!Dialogs().YesNo(tr("Confirmation"), tr("Are you sure that you want to delete this note?")))
        return;
    FNote->Task->Text.clear();
    DataModified.Mark();
    // The close finds the text empty and takes the task out of the list.
    FNote->close();
}
