#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>
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
    void SetStretch(bool stretch)
    {
        FStretch = stretch;
        update();
    }
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

// The widest and tallest skin bitmap read: a frame piece larger than any
// screen is damage, and reading it would cost memory by the hundred
// megabytes for nothing.
inline constexpr int MaxSkinBitmapSide = 4096;

// Reads one bitmap of a skin into `picture`; empty, or the message that
// tells the user why it could not be read (the file is missing, or it is no
// Windows bitmap of a sensible size). `picture` changes only on success.
QString ReadSkinBitmap(const QString &path, QImage &picture);
