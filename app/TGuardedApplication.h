#pragma once

#include <QApplication>

// The application whose event handlers never end the program: an exception
// that leaves one (Qt cannot carry it on and would terminate) is logged and
// shown in the error box, and the program goes on with the next event.
class TGuardedApplication : public QApplication {
    Q_OBJECT

public:
    TGuardedApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // What becomes of an exception caught at the last moment.
    static void ReportEscaped(const QString &message);
};
