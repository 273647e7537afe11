#pragma once

#include <QWidget>

class QTableWidget;
class TSkinImage;

// A miniature list window drawn from a skin's bitmaps, for the options'
// skin page: a top strip with its two ends, the side and bottom edges
// around a sample list, and the corner pieces laid over them.
class TSkinPreview : public QWidget {
    Q_OBJECT

public:
    explicit TSkinPreview(QWidget *parent = nullptr);

    QWidget *Panel2;
    TSkinImage *ImageTopLeft;
    TSkinImage *ImageTopMid;
    TSkinImage *ImageTopRight;
    TSkinImage *ImageLeftMid;
    TSkinImage *ImageRightMid;
    TSkinImage *ImageRightTop;
    TSkinImage *ImageBottomLeft;
    TSkinImage *ImageBottomMid;
    TSkinImage *ImageBottomRight;
    QTableWidget *dfsExtListView1;

    // Loads the pictures of the skin in `directory` (ending in a separator).
    // The first that cannot be read stops the loading and fails (EJbxError);
    // the ones before it stay loaded.
    void LoadSkin(const QString &directory);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void Arrange();
};
