// The program's application object: an exception that leaves an event
// handler, sent or posted, is reported and the program goes on.

#include "app/TGuardedApplication.h"
#include "base/JbxError.h"
#include "support/ShellFixture.h"

#include <QTest>
#include <stdexcept>

namespace {
constexpr auto FailsOurWay = QEvent::User;
constexpr auto FailsOtherwise = QEvent::Type(QEvent::User + 1);

class TFailingHandler : public QObject {
public:
    int Handled = 0;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == FailsOurWay)
            throw EJbxError(QStringLiteral("'9:30' is not a valid time"));
        if (event->type() == FailsOtherwise)
            throw std::runtime_error("out of order");
        if (event->type() == QEvent::Type(QEvent::User + 2))
            ++Handled;
        return QObject::event(event);
    }
};
} // namespace

class TestGuardedApplication : public QObject {
    Q_OBJECT

private slots:
    void exceptionLeavingAHandlerIsReportedAndTheProgramGoesOn()
    {
        TScriptedDialogs dialogs;
        TFailingHandler handler;
        QEvent sent(FailsOurWay);
        QVERIFY(!QCoreApplication::sendEvent(&handler, &sent));
        QCoreApplication::postEvent(&handler, new QEvent(FailsOtherwise));
        QCoreApplication::postEvent(&handler, new QEvent(QEvent::Type(QEvent::User + 2)));
        QCoreApplication::sendPostedEvents(&handler);
        QCOMPARE(dialogs.Errors, (QStringList{"'9:30' is not a valid time", "out of order"}));
        QCOMPARE(handler.Handled, 1);
    }
};

int main(int argc, char *argv[])
{
    TGuardedApplication app(argc, argv);
    TestGuardedApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_guardedapplication.moc"
