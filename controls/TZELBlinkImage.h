#pragma once

#include <QLabel>
#include <QPixmap>

class QTimer;

// A picture that alternates between two pictures every Interval ms while
// Blink is on, and rests on the first one otherwise.
class TZELBlinkImage : public QLabel {
    Q_OBJECT

public:
    explicit TZELBlinkImage(QWidget *parent = nullptr);

    QPixmap Picture1() const { return FPicture1; }
    // Shows it and locks the control to its size.
    void SetPicture1(const QPixmap &picture);
    void SetPicture2(const QPixmap &picture);
    bool Blink() const { return FBlink; }
    // On: the timer runs, the picture changes at the first tick. Off: the
    // timer stops and Picture1 shows at once.
    void SetBlink(bool value);
    int Interval() const;
    void SetInterval(int msecs);

    // One timer tick: shows Picture2 in phase 0 and Picture1 in phase 1,
    // then flips the phase (never reset).
    void BlinkTick();
    // Which picture shows now: 1 or 2.
    int ShownPicture() const { return FShown; }
    QTimer *Timer() const { return FTimer; }

protected:
    // Out of sight the blinking rests: there is nothing to show.
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QPixmap FPicture1;
    QPixmap FPicture2;
    bool FBlink = false;
    int FBlinkPhase = 0;
    int FShown = 1;
    QTimer *FTimer;
};
