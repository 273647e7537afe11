#pragma once

#include <QFrame>
#include <QRect>
#include <QString>

class QPushButton;
class QWidget;

// The pieces the dialogs are laid out with, each at its place in pixels.

// A sunken separator line, across (HLine) or down (VLine).
QFrame *NewBevel(QWidget *parent, QFrame::Shape shape, const QRect &place);
// A push button with its caption and, when given, its hint.
QPushButton *NewButton(QWidget *parent, const QString &text, const QRect &place,
                       const QString &hint = QString());
