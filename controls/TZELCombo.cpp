#include "controls/TZELCombo.h"

#include "base/JbxError.h"
#include "controls/LinkStyle.h"

#include <QMenu>
#include <QMouseEvent>

TZELCombo::TZELCombo(QWidget *parent) : QLabel(parent), FMenu(new QMenu(this))
{
    setTextFormat(Qt::PlainText); // items are shown as typed, never as markup
    ApplyLinkStyle(this);
    adjustSize();
}

void TZELCombo::SetItems(const QStringList &items) { FItems = items; }

void TZELCombo::SetItemIndex(int index)
{
    FItemIndex = index;
    if (index == -1) {
        SetText(QString());
        return;
    }
    if (index < 0 || index >= FItems.size())
        throw EJbxError(JbxMessages::ListIndexOutOfBounds(index));
    SetText(FItems[index]);
}

void TZELCombo::SetText(const QString &value)
{
    setText(value);
    adjustSize();
}

void TZELCombo::ShowMenu()
{
    FMenu->clear();
    for (int i = 0; i < FItems.size(); ++i) {
        QAction *action = FMenu->addAction(FItems[i]);
        connect(action, &QAction::triggered, this, [this, i] { ItemClick(i); });
    }
    // popup() returns at once: the choice arrives later through ItemClick.
    FMenu->popup(mapToGlobal(QPoint(0, height() - 2)));
}

void TZELCombo::ItemClick(int index)
{
    emit Selecting();
    SetText(FItems.value(index));
    FItemIndex = index;
    emit Selected();
}

void TZELCombo::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        ShowMenu();
}
