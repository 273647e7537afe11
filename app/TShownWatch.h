#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class QWidget;
class QWindow;

// Runs a step once every given window is on screen: in the pass after the
// last of them was first exposed, so each has drawn itself by then. A window
// closed meanwhile no longer counts, and after `boundMs` the step runs
// anyway (a window manager may never map a window it keeps elsewhere).
// With no windows the step runs in the next pass.
class TShownWatch : public QObject {
    Q_OBJECT

public:
    TShownWatch(const QList<QWidget *> &windows, int boundMs, std::function<void()> then,
                QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QPointer<QWindow>> FPending;
    std::function<void()> FThen;
    QTimer FBound;

    void Forget(QObject *window);
    void FinishSoon();
    void Finish();
};
