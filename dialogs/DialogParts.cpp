#include "dialogs/DialogParts.h"

#include <QPushButton>

QFrame *NewBevel(QWidget *parent, QFrame::Shape shape, const QRect &place)
{
    auto *bevel = new QFrame(parent);
    bevel->setFrameStyle(shape | QFrame::Sunken);
    bevel->setGeometry(place);
    return bevel;
}

QPushButton *NewButton(QWidget *parent, const QString &text, const QRect &place, const QString &hint)
{
    auto *button = new QPushButton(text, parent);
    button->setGeometry(place);
    if (!hint.isEmpty())
        button->setToolTip(hint);
    return button;
}
