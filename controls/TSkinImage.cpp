#include "controls/TSkinImage.h"

#include "base/JbxError.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QtEndian>

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

namespace {
// Whether the pixels an uncompressed bitmap's header promises lie within
// the file: the reader takes a short file as it is and leaves the missing
// rows to whatever its memory held.
bool PixelsWithinFile(QFile &file)
{
    char header[34] = {};
    const qint64 read = file.read(header, sizeof header);
    if (read < 26)
        return false;
    const auto le32 = [&header](int at) { return qFromLittleEndian<qint32>(header + at); };
    const auto le16 = [&header](int at) { return qFromLittleEndian<quint16>(header + at); };
    const qint64 offset = quint32(le32(10));
    qint64 width, height, bits, compression = 0;
    if (le32(14) == 12) { // the oldest header: 16-bit sizes, never compressed
        width = le16(18);
        height = le16(20);
        bits = le16(24);
    } else {
        if (read < qint64(sizeof header))
            return false;
        width = le32(18);
        height = qAbs(qint64(le32(22)));
        bits = le16(28);
        compression = le32(30);
    }
    constexpr qint64 Rgb = 0, BitFields = 3, AlphaBitFields = 6;
    if (compression != Rgb && compression != BitFields && compression != AlphaBitFields)
        return true; // run-length coded: the reader stops where the codes do
    const qint64 rowBytes = (qMax<qint64>(width, 0) * bits + 31) / 32 * 4;
    return offset + rowBytes * height <= file.size();
}
} // namespace

QString ReadSkinBitmap(const QString &path, QImage &picture)
{
    const QFileInfo file(path);
    if (!file.exists())
        return JbxMessages::CannotOpenFile(path);
    const QString invalid =
        QCoreApplication::translate("TSkinImage", "Bitmap image is not valid: %1").arg(path);
    // A folder or a pipe in a bitmap's place is no bitmap; a pipe would not
    // even open without a writer.
    if (!file.isFile())
        return invalid;
    // Skins are Windows bitmaps, read as nothing else: another format under
    // the name is as wrong as any other content.
    QFile bytes(path);
    if (!bytes.open(QIODevice::ReadOnly))
        return JbxMessages::CannotOpenFile(path);
    QImageReader reader(&bytes, "bmp");
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > MaxSkinBitmapSide || size.height() > MaxSkinBitmapSide)
        return invalid;
    if (!bytes.seek(0) || !PixelsWithinFile(bytes) || !bytes.seek(0))
        return invalid;
    QImage read;
    if (!reader.read(&read))
        return invalid;
    picture = read;
    return {};
}
