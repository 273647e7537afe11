#pragma once

#include <QPixmap>
#include <QWidget>

// A picture of a skinned frame: drawn at its own size or stretched to the
// control, and, when transparent, without the colour of its bottom-left
// pixel. Clicks and double-clicks are told as signals.
class TSkinImage : public QWidget {
    Q_OBJECT

public:
    explicit TSkinImage(QWidget *parent = nullptr);

    void SetPicture(const QPixmap &picture);
    const QPixmap &Picture() const { return FPicture; }
    // Stretched pictures fill the control; the others give it their size.
    void SetStretch(bool stretch) { FStretch = stretch; update(); }
    void SetTransparent(bool transparent);

signals:
    void Clicked();
    void DoubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void Prepare();

    QPixmap FPicture;
    QPixmap FShown; // the picture with its transparent colour taken out
    bool FStretch = false;
    bool FTransparent = false;
    bool FPressed = false;
};
