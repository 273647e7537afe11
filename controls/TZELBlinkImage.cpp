#include "controls/TZELBlinkImage.h"

#include <QTimer>

TZELBlinkImage::TZELBlinkImage(QWidget *parent) : QLabel(parent), FTimer(new QTimer(this))
{
    FTimer->setInterval(1000);
    connect(FTimer, &QTimer::timeout, this, &TZELBlinkImage::BlinkTick);
}

void TZELBlinkImage::SetPicture1(const QPixmap &picture)
{
    FPicture1 = picture;
    setPixmap(FPicture1);
    FShown = 1;
    setFixedSize(FPicture1.size());
}

void TZELBlinkImage::SetPicture2(const QPixmap &picture) { FPicture2 = picture; }

void TZELBlinkImage::SetBlink(bool value)
{
    FBlink = value;
    if (value) {
        FTimer->start();
        return;
    }
    FTimer->stop();
    setPixmap(FPicture1);
    FShown = 1;
}

int TZELBlinkImage::Interval() const { return FTimer->interval(); }

void TZELBlinkImage::SetInterval(int msecs) { FTimer->setInterval(msecs); }

void TZELBlinkImage::BlinkTick()
{
    FShown = FBlinkPhase == 0 ? 2 : 1;
    setPixmap(FShown == 2 ? FPicture2 : FPicture1);
    FBlinkPhase = 1 - FBlinkPhase;
}

void TZELBlinkImage::showEvent(QShowEvent *event)
{
    QLabel::showEvent(event);
    if (FBlink)
        FTimer->start();
}

void TZELBlinkImage::hideEvent(QHideEvent *event)
{
    QLabel::hideEvent(event);
    FTimer->stop();
}
