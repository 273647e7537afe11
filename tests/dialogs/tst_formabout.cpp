// The about box offscreen: its text, where it shows, the web-site link and
// the help button.

#include "DialogsFixture.h"
#include "dialogs/DialogRules.h"
#include "dialogs/TFormAbout.h"
#include "settings/TUserInfo.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <memory>

class TestFormAbout : public QObject {
    Q_OBJECT

    std::unique_ptr<TDialogsWorld> FWorld;

private slots:
    void init() { FWorld = std::make_unique<TDialogsWorld>(); }
    void cleanup() { FWorld.reset(); }

    void laterShowingsSitHighUpAndCentred()
    {
        QCOMPARE(AboutBoxPlace(QRect(0, 0, 1024, 768), QSize(351, 255)), QPoint(336, 153));
        // A primary screen right of another one.
        QCOMPARE(AboutBoxPlace(QRect(1280, 0, 1024, 768), QSize(351, 255)), QPoint(1616, 153));

        TFormAbout about;
        QVERIFY(about.findChildren<QWidget *>().isEmpty());
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        about.show();
        QCOMPARE(about.size(), QSize(345, 229));
        QVERIFY((about.frameGeometry().center() - screen.center()).manhattanLength() <= 2);
        about.BtnOKClick();
        QCOMPARE(about.result(), int(QDialog::Accepted));
        about.move(3, 4);
        about.show();
        QCOMPARE(about.pos(), AboutBoxPlace(screen, about.frameGeometry().size()));
        QCOMPARE(about.y(), screen.height() / 5);
    }

    void namesTheProgramAndItsVersion()
    {
        UserInfo().Version = QStringLiteral("0.99");
        TFormAbout about;
        about.show();
        QCOMPARE(about.windowTitle(), QStringLiteral("Jotterbox"));
        QCOMPARE(about.Label1->text(),
                 QStringLiteral("Jotterbox\nVersion 1.03\nTask List and Notes Software"));
        QCOMPARE(about.BtnOK->toolTip(), QStringLiteral("Click to close this dialog box."));
        QCOMPARE(about.BtnHelp->toolTip(), QStringLiteral("Learn how to use Jotterbox."));
        QCOMPARE(about.Label5->toolTip(), QStringLiteral("Click to visit the Web site."));
    }

    // The band between the two rules is not left empty: it says what the
    // program does and names the folder that holds everything it keeps.
    void theBandBetweenTheRulesSaysWhatAndWhere()
    {
        TFormAbout about;
        about.show();
        const int top = about.Bevel1->geometry().bottom(), bottom = about.Bevel2->y();
        QStringList texts;
        for (const QLabel *label : about.findChildren<QLabel *>())
            if (label->isVisible() && label->y() > top && label->geometry().bottom() < bottom)
                texts << label->text();
        QVERIFY2(texts.join(u' ').contains(QDir::toNativeSeparators(AppDir)), qPrintable(texts.join(u'|')));
    }

    // The project has no web site: the link names its manual and opens it,
    // whole inside the box and clear of the notice above it.
    void theLinkOpensTheManual()
    {
        TRecordedShell shell;
        shell.OpenSucceeds = false; // not told to the user
        TFormAbout about;
        about.show();
        QTest::mouseClick(about.Label5, Qt::LeftButton);
        QCOMPARE(shell.Opened, QStringList{QUrl::fromLocalFile(AppDir + "Jotterbox.html").toString()});
        QCOMPARE(about.Label5->text(), QStringLiteral("Jotterbox.html"));
        QVERIFY(about.rect().contains(about.Label5->geometry()));
        QVERIFY(!about.Label5->geometry().intersects(about.LabelNotice->geometry()));
        QVERIFY(FWorld->Dialogs.Errors.isEmpty());
        QVERIFY(about.isVisible());
    }

    void helpButtonAsksForHelp()
    {
        TFormAbout about;
        about.show();
        QSignalSpy help(&about, &TFormAbout::HelpRequested);
        QTest::mouseClick(about.BtnHelp, Qt::LeftButton);
        QCOMPARE(help.size(), 1);
        QTest::mouseClick(about.BtnOK, Qt::LeftButton);
        QVERIFY(!about.isVisible());
    }
};

QTEST_MAIN(TestFormAbout)
#include "tst_formabout.moc"
