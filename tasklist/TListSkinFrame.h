#pragma once

#include "tasklist/ListFrame.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

class QLabel;
class QWidget;
class TSkinImage;

// The list window's skinned frame: the title bar with its icon, title and
// buttons, the edges and the bottom band with the search picture and the
// new and delete buttons, all 16 drawn from the current skin's bitmaps. It
// places its parts for a window size, lets the window be dragged and sized
// by them, and pins the window's place once the window manager has placed
// it. What sits inside (the rows, the search box) is the window's own.
class TListSkinFrame : public QObject {
    Q_OBJECT

public:
    // Builds the frame's parts as children of `window`.
    explicit TListSkinFrame(QWidget *window);

    // Where the window's own controls go inside ClientPanel().
    QWidget *ClientPanel() const { return PanelClient; }

    // Places every part for the window's size and returns where the rows and
    // the search box go.
    TListLayout Arrange();
    // The title-bar corners for a shrunk or an expanded window; the other
    // pictures. Read afresh every time, so a changed skin shows at once; a
    // file that fails keeps its picture and the first failure is told once.
    void LoadTitleSkin(bool expanded);
    void LoadFrameSkin();
    void ResetWindowRegion();

    // Shows `title` in the title bar, cut with an ellipsis where it would
    // run under the buttons. Measuring loads the fonts: `measure` false
    // shows it whole.
    void FitTitle(const QString &title, bool measure = true);
    // The title as the label shows it now.
    QString ShownTitle() const;

    // A new showing: the place is not yet pinned.
    void Unsettle() { FPlaced = false; }
    // Applies `place` again once, while the window is on screen: some
    // window managers drop the first placement of a frameless window.
    void Settle(QPoint place);
    bool Placed() const { return FPlaced; }

signals:
    void CloseClicked();
    void HelpClicked();
    // The shrink button, or a double click on the title bar.
    void ShrinkClicked();
    void NewClicked();
    void DelClicked();
    // The user starts dragging or sizing the window by the frame.
    void DragStarting();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildTitleBar();
    void BuildClient();
    void BuildFrameDrag();
    // Empty, or why the file could not be read.
    QString LoadSkinPicture(TSkinImage *image, const QString &fileName);
    void LoadSkinPictures(const QList<QPair<TSkinImage *, QString>> &pictures);
    QString SkinDirectory() const;

    QWidget *FWindow;
    QWidget *PanelTitle;
    TSkinImage *ImageTopLeft;
    TSkinImage *ImageTopMid;
    TSkinImage *ImageTopRight;
    QLabel *LabelTitle;
    TSkinImage *ImageIcon;
    TSkinImage *ImageH;
    TSkinImage *ImageS;
    TSkinImage *ImageX;
    QWidget *PanelClient;
    TSkinImage *ImageLeftMid;
    TSkinImage *ImageRightMid;
    TSkinImage *ImageBottomMid;
    TSkinImage *ImageRightTop;
    TSkinImage *ImageBottomLeft;
    TSkinImage *ImageBottomRight;
    TSkinImage *ImageSearch;
    TSkinImage *ImageNew;
    TSkinImage *ImageDel;
    bool FPlaced = false; // moves are stored only once the window was placed
};
