#include "controls/TZELEditableLabel.h"

#include "base/LocaleFormats.h"
#include "controls/LinkStyle.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

namespace {
// The edit box stands this far out beyond the caption on each side.
constexpr int EditMargin = 3;
// Room for the caret and a typed character beyond the text.
constexpr int EditSlack = 15;
} // namespace

TZELEditableLabel::TZELEditableLabel(QWidget *parent) : QWidget(parent)
{
    TLocaleFormats::UseShortTimeFormat();
    FCaption = new QLabel(this);
    FCaption->setTextFormat(Qt::PlainText);
    FCaption->move(0, 0);
    ApplyLinkStyle(FCaption);
    FCaption->installEventFilter(this);
    SetCaption(QStringLiteral("ZELEditableLabel"));
}

QString TZELEditableLabel::Caption() const { return FCaption->text(); }

void TZELEditableLabel::SetCaption(const QString &value)
{
    if (FIsTime) {
        // Parsed before anything changes, so a rejected time leaves all as it was.
        SetTime(TLocaleFormats::StrToTimeOrThrow(value));
        return;
    }
    ShowCaption(value);
}

void TZELEditableLabel::SetIsTime(bool value)
{
    FIsTime = value;
    if (value)
        SetTime(EncodeTime(9, 30));
    else
        SetCaption(QStringLiteral("ZELEditableLabel"));
}

void TZELEditableLabel::SetTime(TDateTime timeOfDay)
{
    // The caption has no seconds: the time is what it shows.
    const QTime time = DateTimeToQTime(timeOfDay);
    FTime = EncodeTime(time.hour(), time.minute());
    ShowCaption(TLocaleFormats::TimeToStr(FTime));
}

void TZELEditableLabel::ShowCaption(const QString &text)
{
    FCaption->setText(text);
    FCaption->adjustSize();
    FitToCaption();
}

void TZELEditableLabel::HideEditor()
{
    if (IsEditing())
        EndEdit();
}

void TZELEditableLabel::BeginEdit()
{
    if (IsEditing())
        return;
    move(x() - EditMargin, y() - EditMargin);
    resize(width() + 2 * EditMargin, height() + 2 * EditMargin);
    if (!FEdit) {
        FEdit = new QLineEdit(this);
        FEdit->setFrame(false);
        FEdit->move(0, 0);
        FEdit->installEventFilter(this);
        connect(FEdit, &QLineEdit::textChanged, this, &TZELEditableLabel::FitEditWidth);
    }
    FEdit->resize(FEdit->width(), height());
    FEdit->setText(Caption());
    FEdit->show();
    FEdit->raise();
    FEdit->setFocus(Qt::OtherFocusReason);
    FEdit->deselect();
    FEdit->setCursorPosition(0);
    FitEditWidth();
}

void TZELEditableLabel::EndEdit()
{
    // Hiding the focused edit box moves the focus away, which calls here
    // again; an edit ends once.
    if (FEnding || !IsEditing())
        return;
    FEnding = true;
    emit Editing();
    const QString typed = FEdit->text();
    if (!FIsTime) {
        FCaption->setText(typed);
    } else if (const auto time = TLocaleFormats::StrToTime(typed)) {
        SetTime(*time);
    } // else: not a time; the old caption stays without a word
    FCaption->adjustSize();
    move(x() + EditMargin, y() + EditMargin);
    resize(FCaption->size());
    FEdit->hide();
    FEnding = false;
    emit Edited();
}

bool TZELEditableLabel::IsEditing() const
{
    // Hidden by hand, not merely off screen with its window.
    return FEdit && !FEdit->isHidden();
}

bool TZELEditableLabel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FCaption && event->type() == QEvent::MouseButtonRelease) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton && FCaption->rect().contains(mouse->position().toPoint()))
            BeginEdit();
        return false;
    }
    if (watched != FEdit || !FEdit)
        return QWidget::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape) {
            // No undo of the typing, and no window's Escape shortcut or
            // dialog cancel either: the edit box simply stays.
            event->accept();
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            event->accept();
            if (event->type() == QEvent::KeyPress)
                EndEdit();
            return true;
        }
        break;
    }
    case QEvent::FocusOut: {
        // The edit box's own context menu, or a switch to another window,
        // takes the focus only for a while; the edit goes on.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            EndEdit();
        break;
    }
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

void TZELEditableLabel::FitEditWidth()
{
    if (!FEdit)
        return;
    // Measured in the edit box's own font, which unlike the caption's has no
    // underline.
    const int textWidth = QFontMetrics(FEdit->font()).horizontalAdvance(FEdit->text());
    FEdit->resize(textWidth + EditSlack, FEdit->height());
    resize(FEdit->width(), height());
}

void TZELEditableLabel::FitToCaption()
{
    // While the edit box shows, the widget's size follows the edit box.
    if (!IsEditing())
        resize(FCaption->size());
}
