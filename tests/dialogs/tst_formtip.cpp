// The tip of the day: splitting tips.txt into tips, stepping through them
// across showings, the show-at-start-up box, and the tips the program ships.

#include "DialogsFixture.h"
#include "dialogs/DialogRules.h"
#include "dialogs/TFormTip.h"
#include "settings/TUserInfo.h"

#include <QCheckBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

class TestFormTip : public QObject {
    Q_OBJECT

    std::unique_ptr<TDialogsWorld> FWorld;

    static QString Shown(const TFormTip &tip) { return tip.Memo1->toPlainText(); }

private slots:
    void init() { FWorld = std::make_unique<TDialogsWorld>(); }
    void cleanup() { FWorld.reset(); }

    void linesEndAtAnyLineBreak_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        const QStringList three{"One", "Two", "Three"};
        QTest::newRow("LF") << "One\nTwo\nThree\n" << three;
        QTest::newRow("CRLF") << "One\r\nTwo\r\nThree\r\n" << three;
        QTest::newRow("CR") << "One\rTwo\rThree\r" << three;
        QTest::newRow("mixed, no final break") << "One\r\nTwo\rThree" << three;
        QTest::newRow("blank lines kept") << "One\n\nThree\n\n" << QStringList{"One", "", "Three", ""};
        QTest::newRow("LF then CR is two breaks") << "One\n\rThree" << QStringList{"One", "", "Three"};
        QTest::newRow("nothing") << "" << QStringList{};
    }
    void linesEndAtAnyLineBreak()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(SplitLines(text), lines);
    }

    void showingStepsThroughTheTips_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QStringList>("shown"); // at the showing, then after each Next
        QTest::addColumn<int>("storedAfter");
        QTest::newRow("third") << 2 << QStringList{"Third tip.", "First tip.", ""} << 2;
        QTest::newRow("past the end") << 7 << QStringList{"First tip.", "", "Third tip."} << 3;
        QTest::newRow("negative") << -1 << QStringList{"First tip.", "", "Third tip."} << 3;
    }
    void showingStepsThroughTheTips()
    {
        QFETCH(int, stored);
        QFETCH(QStringList, shown);
        QFETCH(int, storedAfter);
        FWorld->Write("tips.txt", "First tip.\r\n\r\nThird tip.\r\n"); // a blank line is an empty tip
        UserInfo().NextTip = stored;
        TFormTip tip;
        QCOMPARE(tip.Tips, (QStringList{"First tip.", "", "Third tip."}));
        tip.show();
        QCOMPARE(Shown(tip), shown[0]);
        QCOMPARE(UserInfo().NextTip, stored == 2 ? 3 : 1);
        for (int next = 1; next < shown.size(); ++next) {
            QTest::mouseClick(tip.BtnNext, Qt::LeftButton);
            QCOMPARE(Shown(tip), shown[next]);
        }
        QCOMPARE(UserInfo().NextTip, storedAfter);
        QTest::mouseClick(tip.BtnClose, Qt::LeftButton);
        QVERIFY(!tip.isVisible());
        tip.show(); // every showing moves on
        QCOMPARE(Shown(tip), tip.Tips[storedAfter % 3]);
    }

    void withoutTipsNextDoesNothing()
    {
        UserInfo().NextTip = 4;
        TFormTip tip; // no tips.txt
        QVERIFY(tip.Tips.isEmpty());
        tip.show();
        tip.BtnNextClick();
        QCOMPARE(Shown(tip), QString());
        QCOMPARE(UserInfo().NextTip, 4);
        QVERIFY(FWorld->Dialogs.Errors.isEmpty());
    }

    void theBoxSwitchesTheTipsAtOnce()
    {
        FWorld->Write("tips.txt", "Only tip.\n");
        TFormTip tip;
        // The tips are read at once, the controls made for the first showing.
        QCOMPARE(tip.Tips.size(), 1);
        QVERIFY(tip.findChildren<QWidget *>().isEmpty());
        QVERIFY(!(tip.windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint)));
        tip.show();
        QVERIFY(tip.CBShowTips->isChecked());
        QTest::mouseClick(tip.CBShowTips, Qt::LeftButton);
        QVERIFY(!UserInfo().ShowTips);
        tip.hide();
        QVERIFY(!UserInfo().ShowTips);
        tip.show();
        QVERIFY(!tip.CBShowTips->isChecked());
        QTest::mouseClick(tip.CBShowTips, Qt::LeftButton);
        QVERIFY(UserInfo().ShowTips);
    }

    // Whatever lies in the tips' place, the tip window opens and nothing is
    // reported; what can be read of the file is read.
    void damagedTipsFile()
    {
        // Bytes that are not UTF-8 read as Windows-1252, NULs and all.
        FWorld->Write("tips.txt", QByteArray("Caf\xe9\r\n\x00\x01\xff\xfe\n", 11));
        {
            TFormTip tip;
            QCOMPARE(tip.Tips,
                     QStringList({QStringLiteral("Caf\u00e9"), QStringLiteral("\u0000\u0001\u00ff\u00fe")}));
        }
        // A folder in the file's place: no tips.
        QFile::remove(FWorld->Path("tips.txt"));
        QVERIFY(QDir().mkpath(FWorld->Path("tips.txt")));
        {
            UserInfo().NextTip = 2;
            TFormTip tip;
            QVERIFY(tip.Tips.isEmpty());
            tip.show();
            QCOMPARE(Shown(tip), QString());
            QCOMPARE(UserInfo().NextTip, 2);
        }
        QVERIFY(QDir(FWorld->Path("tips.txt")).removeRecursively());
        // A huge file: only its start is read, and no tip is cut in two.
        const QByteArray line = QByteArray("A tip of a few words.").append('\n');
        FWorld->Write("tips.txt", line.repeated(MaxTipsBytes / line.size() + 1000));
        {
            TFormTip tip;
            QCOMPARE(tip.Tips.size(), MaxTipsBytes / line.size());
            QCOMPARE(tip.Tips.last(), QStringLiteral("A tip of a few words."));
        }
        QVERIFY(FWorld->Dialogs.Errors.isEmpty());
    }

    void theShippedTipsAreOnePerLine()
    {
        QFile file(QStringLiteral(JBX_SOURCE_DIR "/assets/tips.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(!bytes.contains('\r') && bytes.endsWith('\n'));
        const QStringList tips = SplitLines(QString::fromUtf8(bytes));
        QVERIFY(tips.size() >= 15);
        for (const QString &tip : tips) // not blank, and within the tip area
            QVERIFY2(!tip.trimmed().isEmpty() && tip.size() <= 400, qPrintable(tip));
    }
};

QTEST_MAIN(TestFormTip)
#include "tst_formtip.moc"
