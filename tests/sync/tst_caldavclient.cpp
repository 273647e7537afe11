#include <QtTest>

class TstCalDavClient : public QObject {
    Q_OBJECT
};

QTEST_GUILESS_MAIN(TstCalDavClient)
#include "tst_caldavclient.moc"
