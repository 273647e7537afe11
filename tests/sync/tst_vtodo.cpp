#include <QtTest>

class TstVTodo : public QObject {
    Q_OBJECT
};

QTEST_GUILESS_MAIN(TstVTodo)
#include "tst_vtodo.moc"
