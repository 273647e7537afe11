#include "controls/LinkStyle.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QWidget>

void ApplyLinkStyle(QWidget *widget)
{
    // Only the underline is set on top of the widget's own font, so the family
    // and size still follow the parent's font.
    QFont font = widget->font();
    font.setUnderline(true);
    widget->setFont(font);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    widget->setPalette(palette);
    widget->setCursor(Qt::PointingHandCursor);
}
