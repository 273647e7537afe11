#pragma once

#include "platform/Dialogs.h"

#include <QDialog>

class QFontDialog;
class QPushButton;

// The font chooser with a colour row: Qt's font dialog has no colour, and a
// note's font always comes with the colour its text is drawn in. The font
// part is a QFontDialog embedded as a widget; the colour is a swatch button
// that opens the colour chooser.
class TFontColorDialog final : public QDialog {
    Q_OBJECT
public:
    explicit TFontColorDialog(const TFontChoice &initial, QWidget *parent = nullptr);

    // The embedded font part, so tests can pick a font without a user.
    QFontDialog *FontDialog() const { return FFontDialog; }
    QColor Color() const { return FColor; }
    // The font and colour now shown: what OK hands back. What the user left
    // as the chooser opened keeps the value it was given, so OK without a
    // change hands back the font it came with, name and all.
    TFontChoice Choice() const;

public slots:
    void SetColor(const QColor &color);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void PickColor();

private:
    QFontDialog *FFontDialog;
    QPushButton *FSwatch;
    QColor FColor;
    QFont FGiven;  // the font the caller handed in
    QFont FOpened; // the chooser's font as it opened on it
};
