#include "dialogs/TSkinPreview.h"

#include "base/JbxError.h"
#include "controls/TSkinImage.h"

#include <QHeaderView>
#include <QImage>
#include <QTableWidget>
#include <algorithm>

namespace {
constexpr int StripHeight = 30;
constexpr int MinimumSide = 5;

// A picture's size as the frame uses it: never below 5 by 5, so an empty
// or tiny bitmap still leaves a visible piece.
QSize PieceSize(const TSkinImage *image)
{
    const QSize size = image->Picture().size();
    return {std::max(size.width(), MinimumSide), std::max(size.height(), MinimumSide)};
}
} // namespace

TSkinPreview::TSkinPreview(QWidget *parent) : QWidget(parent)
{
    Panel2 = new QWidget(this);
    ImageTopLeft = new TSkinImage(Panel2);
    ImageTopMid = new TSkinImage(Panel2);
    ImageTopRight = new TSkinImage(Panel2);
    ImageLeftMid = new TSkinImage(this);
    ImageRightMid = new TSkinImage(this);
    ImageBottomMid = new TSkinImage(this);

    dfsExtListView1 = new QTableWidget(0, 2, this);
    dfsExtListView1->setHorizontalHeaderLabels({tr("Subject"), tr("Due Date")});
    dfsExtListView1->setColumnWidth(0, 100);
    dfsExtListView1->setColumnWidth(1, 70);
    dfsExtListView1->verticalHeader()->hide();
    dfsExtListView1->setShowGrid(true);
    dfsExtListView1->setFrameShape(QFrame::NoFrame);
    dfsExtListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dfsExtListView1->setFocusPolicy(Qt::NoFocus);

    // Laid over the edges, so made after them.
    ImageRightTop = new TSkinImage(this);
    ImageBottomLeft = new TSkinImage(this);
    ImageBottomRight = new TSkinImage(this);
    for (TSkinImage *stretched : {ImageTopMid, ImageLeftMid, ImageRightMid, ImageBottomMid})
        stretched->SetStretch(true);
}

void TSkinPreview::LoadSkin(const QString &directory)
{
    const std::pair<TSkinImage *, const char *> pictures[] = {
        {ImageTopLeft, "top_left.bmp"},        {ImageTopMid, "top_mid.bmp"},
        {ImageTopRight, "top_right.bmp"},      {ImageLeftMid, "left_mid.bmp"},
        {ImageRightMid, "right_mid.bmp"},      {ImageRightTop, "right_top.bmp"},
        {ImageBottomLeft, "bottom_left.bmp"},  {ImageBottomMid, "bottom_mid.bmp"},
        {ImageBottomRight, "bottom_right.bmp"}};
    for (const auto &[image, name] : pictures) {
        QImage picture;
        const QString error = ReadSkinBitmap(directory + QLatin1String(name), picture);
        if (!error.isEmpty()) {
            Arrange();
            throw EJbxError(error);
        }
        image->SetPicture(QPixmap::fromImage(picture));
    }
    Arrange();
}

void TSkinPreview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Arrange();
}

void TSkinPreview::Arrange()
{
    // The list window's own arrangement in small: the top strip across the
    // whole width, the bottom edge below everything, the side edges between
    // them and the list in the middle.
    const int w = width();
    const int h = height();
    Panel2->setGeometry(0, 0, w, StripHeight);
    const int topLeft = PieceSize(ImageTopLeft).width();
    const int topRight = PieceSize(ImageTopRight).width();
    ImageTopLeft->setGeometry(0, 0, topLeft, StripHeight);
    ImageTopRight->setGeometry(w - topRight, 0, topRight, StripHeight);
    ImageTopMid->setGeometry(topLeft, 0, std::max(0, w - topLeft - topRight), StripHeight);

    const int bottom = PieceSize(ImageBottomMid).height();
    ImageBottomMid->setGeometry(0, h - bottom, w, bottom);
    const int sides = std::max(0, h - StripHeight - bottom);
    const int left = PieceSize(ImageLeftMid).width();
    const int right = PieceSize(ImageRightMid).width();
    ImageLeftMid->setGeometry(0, StripHeight, left, sides);
    ImageRightMid->setGeometry(w - right, StripHeight, right, sides);
    dfsExtListView1->setGeometry(left, StripHeight, std::max(0, w - left - right), sides);

    ImageRightTop->setGeometry(QRect(ImageRightMid->pos(), PieceSize(ImageRightTop)));
    ImageBottomLeft->setGeometry(QRect(QPoint(0, ImageBottomMid->y()), PieceSize(ImageBottomLeft)));
    const QSize corner = PieceSize(ImageBottomRight);
    ImageBottomRight->setGeometry(
        QRect(QPoint(ImageBottomMid->width() - corner.width(), ImageBottomMid->y()), corner));
}
