// The rest of the start waits for the notes to reach the screen: it must
// run exactly once, after they did, and never hang on a window that does
// not come.

#include "app/TShownWatch.h"

#include <QTest>
#include <QWidget>
#include <QWindow>
#include <memory>

class TestShownWatch : public QObject {
    Q_OBJECT

private slots:
    void runsOnceAfterTheWindowsAreOnScreen_data()
    {
        QTest::addColumn<int>("shown");     // windows shown
        QTest::addColumn<int>("hidden");    // windows made but never shown
        QTest::addColumn<bool>("closeOne"); // one of them goes before the loop runs
        QTest::addColumn<int>("boundMs");
        QTest::newRow("no windows") << 0 << 0 << false << 60000;
        QTest::newRow("three shown") << 3 << 0 << false << 60000;
        QTest::newRow("one closed before it showed") << 2 << 0 << true << 60000;
        QTest::newRow("the only window closed") << 0 << 1 << true << 60000;
        QTest::newRow("one never shown: the bound") << 1 << 1 << false << 0;
    }

    void runsOnceAfterTheWindowsAreOnScreen()
    {
        QFETCH(int, shown);
        QFETCH(int, hidden);
        QFETCH(bool, closeOne);
        QFETCH(int, boundMs);
        std::vector<std::unique_ptr<QWidget>> windows;
        QList<QWidget *> watched;
        for (int i = 0; i < shown + hidden; ++i) {
            auto window = std::make_unique<QWidget>();
            window->resize(100, 80);
            if (i < shown)
                window->show();
            else
                window->winId(); // a native window that never maps
            watched << window.get();
            windows.push_back(std::move(window));
        }
        int runs = 0;
        bool allExposed = false;
        TShownWatch watch(watched, boundMs, [&] {
            ++runs;
            allExposed = std::all_of(windows.begin(), windows.end(), [](const auto &w) {
                return !w || !w->isVisible() || w->windowHandle()->isExposed();
            });
        });
        if (closeOne)
            windows.back().reset();
        QCOMPARE(runs, 0); // never within the start's own pass
        QVERIFY(QTest::qWaitFor([&] { return runs > 0; }, 5000));
        QVERIFY(allExposed || boundMs == 0);
        QCoreApplication::processEvents();
        for (auto &window : windows)
            if (window)
                window->hide();
        QCoreApplication::processEvents();
        QCOMPARE(runs, 1);
    }
};

QTEST_MAIN(TestShownWatch)
#include "tst_shownwatch.moc"
