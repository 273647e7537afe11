#include <QtTest>

class TstSyncRound : public QObject {
    Q_OBJECT
};

QTEST_GUILESS_MAIN(TstSyncRound)
#include "tst_syncround.moc"
