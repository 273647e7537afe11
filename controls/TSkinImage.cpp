#include "controls/TSkinImage.h"

#include "base/JbxError.h"

#include <QBitmap>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

TSkinImage::TSkinImage(QWidget *parent) : QWidget(parent) {}

void TSkinImage::SetPicture(const QPixmap &picture)
{
    FPicture = picture;
    Prepare();
    if (!FStretch && !FPicture.isNull())
        resize(FPicture.size());
    update();
}

void TSkinImage::SetTransparent(bool transparent)
{
    FTransparent = transparent;
    Prepare();
    update();
}

void TSkinImage::Prepare()
{
    FShown = FPicture;
    if (!FTransparent || FPicture.isNull())
        return;
    const QImage image = FPicture.toImage();
    const QColor key = image.pixelColor(0, image.height() - 1);
    FShown.setMask(QBitmap::fromImage(image.createMaskFromColor(key.rgb(), Qt::MaskInColor)));
}

void TSkinImage::paintEvent(QPaintEvent *)
{
    if (FShown.isNull())
        return;
    QPainter painter(this);
    if (FStretch)
        painter.drawPixmap(rect(), FShown);
    else
        painter.drawPixmap(0, 0, FShown);
}

void TSkinImage::mousePressEvent(QMouseEvent *event) { FPressed = event->button() == Qt::LeftButton; }

void TSkinImage::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click =
        FPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    FPressed = false;
    if (click)
        emit Clicked();
}

void TSkinImage::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit DoubleClicked();
}

QString ReadSkinBitmap(const QString &path, QImage &picture)
{
    if (!QFile::exists(path))
        return JbxMessages::CannotOpenFile(path);
    if (!picture.load(path))
        return QStringLiteral("Bitmap image is not valid: %1").arg(path);
    return {};
}
