#include "tasklist/TListSkinFrame.h"

#include "base/JbxError.h"
#include "controls/TSkinImage.h"
#include "model/UnitGlobalData.h"
#include "platform/Dialogs.h"
#include "platform/NativePlace.h"
#include "platform/TWindowDrag.h"
#include "settings/TUserInfo.h"
#include "tasklist/ListPictures.h"
#include "tasklist/SkinArt.h"

#include <QEvent>
#include <QLabel>
#include <QWidget>
#include <algorithm>

namespace {
// The hint comes before the object name: a hint is text the user reads and
// goes through tr(), the name is the part's design name and never does.
TSkinImage *NewImage(QWidget *parent, bool stretch, const QString &hint, const char *name)
{
    auto *image = new TSkinImage(parent);
    image->setObjectName(QLatin1String(name));
    image->SetStretch(stretch);
    if (!hint.isEmpty()) {
        image->setToolTip(hint);
        image->setCursor(Qt::PointingHandCursor);
    }
    return image;
}
} // namespace

TListSkinFrame::TListSkinFrame(QWidget *window) : QObject(window), FWindow(window)
{
    BuildTitleBar();
    BuildClient();
    BuildFrameDrag();
}

void TListSkinFrame::BuildTitleBar()
{
    PanelTitle = new QWidget(FWindow);
    PanelTitle->setObjectName(QStringLiteral("PanelTitle"));
    // Painted in this order, each over the ones before.
    ImageTopMid = NewImage(PanelTitle, true, {}, "ImageTopMid");
    LabelTitle = new QLabel(QStringLiteral("Jotterbox"), PanelTitle);
    LabelTitle->setObjectName(QStringLiteral("LabelTitle"));
    LabelTitle->setAttribute(Qt::WA_TranslucentBackground);
    QPalette ink = LabelTitle->palette();
    ink.setColor(QPalette::WindowText, Qt::black);
    LabelTitle->setPalette(ink);
    LabelTitle->move(28, 8);
    ImageTopLeft = NewImage(PanelTitle, false, {}, "ImageTopLeft");
    ImageIcon = NewImage(PanelTitle, false, {}, "ImageIcon");
    ImageIcon->SetPicture(ListIconPicture());
    ImageIcon->move(7, 7);
    ImageTopRight = NewImage(PanelTitle, false, {}, "ImageTopRight");
    ImageX = NewImage(PanelTitle, false, tr("Close"), "ImageX");
    ImageS = NewImage(PanelTitle, false, tr("Shrink/Expand"), "ImageS");
    ImageH = NewImage(PanelTitle, false, tr("Help"), "ImageH");
    ImageH->SetPicture(HelpButtonPicture());
    for (TSkinImage *button : {ImageX, ImageS, ImageH})
        button->SetTransparent(true);

    connect(ImageX, &TSkinImage::Clicked, this, &TListSkinFrame::CloseClicked);
    connect(ImageS, &TSkinImage::Clicked, this, &TListSkinFrame::ShrinkClicked);
    connect(ImageH, &TSkinImage::Clicked, this, &TListSkinFrame::HelpClicked);
    for (TSkinImage *part : {ImageTopMid, ImageTopLeft, ImageIcon, ImageTopRight})
        connect(part, &TSkinImage::DoubleClicked, this, &TListSkinFrame::ShrinkClicked);
    PanelTitle->installEventFilter(this);
    LabelTitle->installEventFilter(this);
}

void TListSkinFrame::BuildClient()
{
    PanelClient = new QWidget(FWindow);
    PanelClient->setObjectName(QStringLiteral("PanelClient"));
    ImageBottomMid = NewImage(PanelClient, true, {}, "ImageBottomMid");
    ImageLeftMid = NewImage(PanelClient, true, {}, "ImageLeftMid");
    ImageRightMid = NewImage(PanelClient, true, {}, "ImageRightMid");
    ImageRightTop = NewImage(PanelClient, false, {}, "ImageRightTop");
    ImageBottomLeft = NewImage(PanelClient, false, {}, "ImageBottomLeft");
    ImageBottomRight = NewImage(PanelClient, false, {}, "ImageBottomRight");
    ImageSearch = NewImage(PanelClient, false, {}, "ImageSearch");
    ImageNew = NewImage(PanelClient, false, tr("New Note"), "ImageNew");
    ImageDel = NewImage(PanelClient, false, tr("Delete Selected Note"), "ImageDel");
    connect(ImageNew, &TSkinImage::Clicked, this, &TListSkinFrame::NewClicked);
    connect(ImageDel, &TSkinImage::Clicked, this, &TListSkinFrame::DelClicked);

    // These show no menu of their own, and not the window's either.
    for (QWidget *quiet : std::initializer_list<QWidget *>{ImageX, ImageS, ImageH, ImageNew, ImageDel})
        quiet->setContextMenuPolicy(Qt::PreventContextMenu);
}

void TListSkinFrame::BuildFrameDrag()
{
    auto *drag = new TWindowDrag(FWindow);
    // Dragged before it settled: the window settles now, or the settle
    // would undo the drag.
    connect(drag, &TWindowDrag::Starting, this, &TListSkinFrame::DragStarting);
    auto add = [this, drag](QWidget *widget, TListPart part) {
        drag->AddPart(widget, [this, part](QPoint point, QSize size) {
            return ListHitZone(part, point, size, UserInfo().V_Expanded, ImageBottomLeft->height());
        });
    };
    add(ImageTopLeft, TListPart::TopLeft);
    add(ImageTopRight, TListPart::TopRight);
    add(ImageTopMid, TListPart::TopMid);
    add(LabelTitle, TListPart::TitleLabel);
    add(ImageIcon, TListPart::TitleLabel);
    add(ImageLeftMid, TListPart::LeftMid);
    add(ImageRightMid, TListPart::RightMid);
    add(ImageRightTop, TListPart::RightMid);
    add(ImageBottomMid, TListPart::BottomMid);
    add(ImageBottomLeft, TListPart::BottomLeft);
    add(ImageBottomRight, TListPart::BottomRight);
    add(ImageSearch, TListPart::Search);
    add(PanelClient, TListPart::Client);
}

bool TListSkinFrame::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == PanelTitle || watched == LabelTitle) && event->type() == QEvent::MouseButtonDblClick) {
        emit ShrinkClicked();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

// --- layout ------------------------------------------------------------------

TListLayout TListSkinFrame::Arrange()
{
    const int w = FWindow->width();
    const int h = std::max(0, FWindow->height() - ListTitleHeight);

    PanelTitle->setGeometry(0, 0, w, ListTitleHeight);
    ImageTopLeft->move(0, 0);
    ImageTopRight->move(w - ImageTopRight->width(), 0);
    ImageTopMid->setGeometry(ImageTopLeft->width(), 0, w - ImageTopLeft->width() - ImageTopRight->width(),
                             ListTitleHeight);

    PanelClient->setGeometry(0, ListTitleHeight, w, h);
    const int band = ImageBottomMid->Picture().height();
    const int leftEdge = ImageLeftMid->Picture().width();
    const int rightEdge = ImageRightMid->Picture().width();
    ImageBottomMid->setGeometry(0, h - band, w, band);
    ImageLeftMid->setGeometry(0, 0, leftEdge, h - band);
    ImageRightMid->setGeometry(w - rightEdge, 0, rightEdge, h - band);

    const TListLayout layout = ListLayout(w, h);
    ImageRightTop->move(layout.RightTop);
    ImageBottomLeft->move(layout.BottomLeft);
    ImageBottomRight->move(layout.BottomRight);
    ImageSearch->move(layout.Search);
    ImageNew->setGeometry(layout.NewButton);
    ImageDel->setGeometry(layout.DelButton);
    ImageH->setGeometry(layout.HelpButton);
    ImageS->setGeometry(layout.ShrinkButton);
    ImageX->setGeometry(layout.CloseButton);
    return layout;
}

void TListSkinFrame::ResetWindowRegion() { FWindow->clearMask(); }

void TListSkinFrame::FitTitle(const QString &title, bool measure)
{
    if (!measure) {
        LabelTitle->setText(title);
        return;
    }
    // The title ends before the first of the buttons, with an ellipsis
    // where it is cut: a subject must not run under them.
    constexpr int Gap = 4;
    const int room = std::max(0, ImageH->x() - LabelTitle->x() - Gap);
    const QFontMetrics metrics = LabelTitle->fontMetrics();
    LabelTitle->setText(
        metrics.horizontalAdvance(title) <= room ? title : metrics.elidedText(title, Qt::ElideRight, room));
    LabelTitle->resize(std::min(room, std::max(50, LabelTitle->sizeHint().width())),
                       LabelTitle->sizeHint().height());
}

QString TListSkinFrame::ShownTitle() const { return LabelTitle->text(); }

void TListSkinFrame::Settle(QPoint place)
{
    if (!FWindow->isVisible() || FPlaced)
        return;
    PinWindowPlace(FWindow, place);
    FPlaced = true;
}

// --- the skin ----------------------------------------------------------------

QString TListSkinFrame::SkinDirectory() const
{
    return AppDir + QStringLiteral("skins/") + UserInfo().SkinDirectoryName + u'/';
}

QString TListSkinFrame::LoadSkinPicture(TSkinImage *image, const QString &fileName)
{
    const QString path = SkinDirectory() + fileName;
    QImage picture;
    // A skin name that leads out of skins/ reads nothing there: its pictures
    // cannot be opened, as if they were missing.
    const QString error = TUserInfo::IsSkinName(UserInfo().SkinDirectoryName)
                              ? ReadSkinBitmap(path, picture)
                              : JbxMessages::CannotOpenFile(path);
    if (error.isEmpty()) {
        image->SetPicture(QPixmap::fromImage(picture));
        return {};
    }
    // A picture never read yet gets the default skin's own drawing, so the
    // frame stays whole and usable. Drawn only then: it costs start-up time.
    if (image->Picture().isNull())
        image->SetPicture(QPixmap::fromImage(DrawSkinPart(ShippedSkinNames().value(0), fileName)));
    return error;
}

void TListSkinFrame::LoadSkinPictures(const QList<QPair<TSkinImage *, QString>> &pictures)
{
    QString firstError;
    for (const auto &[image, fileName] : pictures) {
        const QString error = LoadSkinPicture(image, fileName);
        if (firstError.isEmpty())
            firstError = error;
    }
    if (!firstError.isEmpty())
        Dialogs().ErrorBox(firstError);
}

void TListSkinFrame::LoadTitleSkin(bool expanded)
{
    LoadSkinPictures(
        {{ImageTopLeft, expanded ? QStringLiteral("top_left.bmp") : QStringLiteral("top_left_bar.bmp")},
         {ImageTopRight, expanded ? QStringLiteral("top_right.bmp") : QStringLiteral("top_right_bar.bmp")}});
}

void TListSkinFrame::LoadFrameSkin()
{
    // In loading order.
    LoadSkinPictures({{ImageTopMid, QStringLiteral("top_mid.bmp")},
                      {ImageLeftMid, QStringLiteral("left_mid.bmp")},
                      {ImageRightMid, QStringLiteral("right_mid.bmp")},
                      {ImageRightTop, QStringLiteral("right_top.bmp")},
                      {ImageBottomLeft, QStringLiteral("bottom_left.bmp")},
                      {ImageBottomMid, QStringLiteral("bottom_mid.bmp")},
                      {ImageBottomRight, QStringLiteral("bottom_right.bmp")},
                      {ImageS, QStringLiteral("s.bmp")},
                      {ImageX, QStringLiteral("x.bmp")},
                      {ImageSearch, QStringLiteral("search.bmp")},
                      {ImageNew, QStringLiteral("new.bmp")},
                      {ImageDel, QStringLiteral("del.bmp")}});
}
