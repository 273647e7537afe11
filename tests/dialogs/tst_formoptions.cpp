// The options dialog offscreen: settings through the controls and back,
// the automatic due-date and reminder line, colour and font panels, the
// sound file, the skin list and what the dialog keeps between showings.

#include "DialogsFixture.h"
#include "base/DateTime.h"
#include "base/LocaleFormats.h"
#include "controls/TSkinImage.h"
#include "controls/TZELEditableLabel.h"
#include "dialogs/DialogRules.h"
#include "dialogs/TFormOptions.h"
#include "dialogs/TSkinPreview.h"
#include "platform/ColorRef.h"
#include "platform/Fonts.h"
#include "settings/TUserInfo.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <QTreeWidget>
#include <QWindow>
#include <memory>

class TestFormOptions : public QObject {
    Q_OBJECT

    std::unique_ptr<TDialogsWorld> FWorld;

    // A skin folder as the program installs it.
    void AddSkin(const QString &entry, const QByteArray &name) const
    {
        FWorld->Write("skins/" + entry + "/skinname.txt", name);
        const QString from = QStringLiteral(JBX_SOURCE_DIR "/assets/skins/1/");
        for (const QString &file : QDir(from).entryList({"*.bmp"}))
            QFile::copy(from + file, FWorld->Path("skins/" + entry + '/' + file));
    }

    // The list as "name=folder", the selected item marked with a star.
    static QStringList Skins(const TFormOptions &options)
    {
        QStringList skins;
        for (int row = 0; row < options.ListViewSkins->topLevelItemCount(); ++row) {
            const QTreeWidgetItem *item = options.ListViewSkins->topLevelItem(row);
            skins << item->text(0) + u'=' + item->text(1) + (item->isSelected() ? "*" : "");
        }
        return skins;
    }

    // The automatic reminder line's three controls are usable together.
    static QString ReminderLine(const TFormOptions &options)
    {
        const int on = int(options.CBAutoReminder->isEnabled()) + int(options.TPAutoReminder->isEnabled()) +
                       int(options.STAutoReminder->isEnabled());
        return on == 3 ? QStringLiteral("on") : on == 0 ? QStringLiteral("off") : QStringLiteral("mixed");
    }

    static void PressOK(TFormOptions &options) { QTest::mouseClick(options.BtnOK, Qt::LeftButton); }

private slots:
    void initTestCase() { InstallFontSubstitutions(); }
    void init()
    {
        FWorld = std::make_unique<TDialogsWorld>();
        // Start at login writes here, never in the real home folder.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(FWorld->Path(QStringLiteral("config"))));
        AddSkin("1", "Sky Blue\r\n");
        AddSkin("2", "Sage\r\n");
    }
    void cleanup() { FWorld.reset(); }

    void okWithoutChangesKeepsEverySetting_data()
    {
        QTest::addColumn<bool>("unusual");
        QTest::newRow("unusual values") << true;
        QTest::newRow("defaults") << false;
    }
    void okWithoutChangesKeepsEverySetting()
    {
        QFETCH(bool, unusual);
        TUserInfo &s = UserInfo();
        if (unusual) {
            s.ShowTips = s.StayOnTop = s.DisplayDueDate = false;
            s.Color1 = 0x00010203;
            s.Color2 = 0x00FFFFFF;
            s.Color3 = 0;
            s.DefaultFontName = QStringLiteral("Liberation Serif");
            s.DefaultFontSize = 17;
            s.DefaultFontBold = s.DefaultFontItalic = s.QuickInputMode = s.AutoDeleteFinishedTasks = true;
            s.DefaultFontColor = 0x00336699;
            s.SoundFileName = QStringLiteral("/nowhere/ding.wav");
            s.SkinDirectoryName = QStringLiteral("2");
            s.AutoDeleteFinishedTasksDays = 36600;
            s.AutoDueDate = false; // with the reminder on: kept as it is
            s.AutoDueDateDays = 30;
            s.AutoReminder = true;
            s.AutoReminderTime = EncodeTime(23, 59, 30);
        }
        const TUserInfo before = s;
        StayOnTopChanged = true;
        TFormOptions options;
        QVERIFY(options.findChildren<QWidget *>().isEmpty()); // made at the first showing
        options.show();
        QVERIFY(!StayOnTopChanged);
        QStringList tabs;
        for (int index = 0; index < options.PageControl1->count(); ++index)
            if (options.PageControl1->isTabVisible(index))
                tabs << options.PageControl1->tabText(index);
        QCOMPARE(tabs, (QStringList{"General", "Color && Font"}));
        PressOK(options);
        QCOMPARE(options.result(), int(QDialog::Accepted));
        QVERIFY(!options.isVisible());
        QVERIFY(UserInfo() == before);
        QVERIFY(!StayOnTopChanged);
        QVERIFY(FWorld->Dialogs.Errors.isEmpty());
    }

    // Times of day read as hours and minutes in the locale's own way wherever
    // the user meets them: the reminder time of a note, the options and the
    // settings file; and the file gives back the time it holds, seconds too.
    void timesShowHoursAndMinutes_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("shown");
        QTest::newRow("en_US") << QStringLiteral("en_US") << QStringLiteral("9:30 AM");
        QTest::newRow("de_DE") << QStringLiteral("de_DE") << QStringLiteral("09:30");
        QTest::newRow("C") << QStringLiteral("C") << QStringLiteral("09:30");
    }
    void timesShowHoursAndMinutes()
    {
        QFETCH(QString, locale);
        QFETCH(QString, shown);
        QLocale::setDefault(QLocale(locale));
        const auto reset = qScopeGuard([] { TLocaleFormats::ResetTimeFormat(); });
        TZELEditableLabel reminder; // as a note's: from now on times have no seconds
        reminder.SetIsTime(true);
        QCOMPARE(reminder.Caption(), shown);

        UserInfo().AutoReminderTime = EncodeTime(9, 30);
        TFormOptions options;
        options.show();
        QCOMPARE(options.TPAutoReminder->text(), shown);
        options.reject();

        for (const TDateTime time : {EncodeTime(9, 30), EncodeTime(9, 30, 15)}) {
            UserInfo().AutoReminderTime = time;
            UserInfo().SaveSettings();
            if (time == EncodeTime(9, 30)) {
                QFile ini(FWorld->Path("Jotterbox.ini"));
                QVERIFY(ini.open(QIODevice::ReadOnly));
                const QByteArray text = ini.readAll();
                QVERIFY2(text.contains("AutoReminderTime=" + shown.toUtf8() + "\r\n"), text.constData());
            }
            TUserInfo loaded(FWorld->Folder.path() + u'/');
            loaded.LoadSettings();
            QCOMPARE(loaded.AutoReminderTime, time);
        }
    }

    void cancelCopiesNothingAndTheNextShowingReloads()
    {
        const TUserInfo before = UserInfo();
        TFormOptions options;
        options.show();
        const QPoint centred = options.pos();
        options.CBShowTips->click();
        options.CBStayOnTop->click();
        options.EditSoundFile->setText(QStringLiteral("/tmp/other.wav"));
        FWorld->Dialogs.ColorAnswer = QColor(1, 2, 3);
        options.PanelColor1Click(options.PanelColor1);
        options.PageControl1->setCurrentWidget(options.TSColorFont);
        // Moved the way the window manager moves it, not by the program.
        options.windowHandle()->setFramePosition(centred + QPoint(40, 30));
        QCoreApplication::processEvents();
        QTest::mouseClick(options.BtnCancel, Qt::LeftButton);
        QCOMPARE(options.result(), int(QDialog::Rejected));
        QVERIFY(UserInfo() == before);
        QVERIFY(!StayOnTopChanged);

        // The page and the place stay, the edits do not; Escape cancels too.
        options.show();
        QCOMPARE(options.PageControl1->currentWidget(), options.TSColorFont);
        QCOMPARE(options.pos(), centred + QPoint(40, 30));
        QCOMPARE(options.CBShowTips->isChecked(), before.ShowTips);
        QCOMPARE(options.EditSoundFile->text(), before.SoundFileName);
        QCOMPARE(options.PanelColorValue(0), before.Color1);
        options.CBQuickInputMode->click();
        QTest::keyClick(&options, Qt::Key_Escape);
        QVERIFY(!options.isVisible());
        QVERIFY(UserInfo() == before);

        QSignalSpy help(&options, &TFormOptions::HelpRequested);
        options.show();
        QTest::mouseClick(options.BtnHelp, Qt::LeftButton);
        QCOMPARE(help.size(), 1);
    }

    void startAtLoginIsTheAutostartEntry()
    {
        const QString entry = FWorld->Path(QStringLiteral("config/autostart/Jotterbox.desktop"));
        const TUserInfo before = UserInfo();
        TFormOptions options;
        options.show();
        QVERIFY(!options.CBStartAtLogin->isChecked());

        // Ticked and cancelled: nothing written.
        options.CBStartAtLogin->click();
        QTest::mouseClick(options.BtnCancel, Qt::LeftButton);
        QVERIFY(!QFile::exists(entry));

        // Ticked and confirmed: the entry starts this folder's program, and
        // no setting changed.
        options.show();
        QVERIFY(!options.CBStartAtLogin->isChecked());
        options.CBStartAtLogin->click();
        PressOK(options);
        QFile written(entry);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().contains("\nExec=" + QFile::encodeName(FWorld->Path(QStringLiteral("Jotterbox"))) +
                                           "\n"));
        QVERIFY(UserInfo() == before);

        // The next showing reads the entry; unticked, it goes.
        options.show();
        QVERIFY(options.CBStartAtLogin->isChecked());
        options.CBStartAtLogin->click();
        PressOK(options);
        QVERIFY(!QFile::exists(entry));

        // An entry made elsewhere shows ticked, and OK without a change
        // leaves it as it is.
        FWorld->Write(QStringLiteral("config/autostart/Jotterbox.desktop"), "[Desktop Entry]\nExec=mine\n");
        options.show();
        QVERIFY(options.CBStartAtLogin->isChecked());
        PressOK(options);
        QFile mine(entry);
        QVERIFY(mine.open(QIODevice::ReadOnly));
        QCOMPARE(mine.readAll(), QByteArray("[Desktop Entry]\nExec=mine\n"));

        // A folder that cannot be written says so.
        QVERIFY(QDir(FWorld->Path(QStringLiteral("config/autostart"))).removeRecursively());
        FWorld->Write(QStringLiteral("config/autostart"), "a file, not a folder");
        options.show();
        options.CBStartAtLogin->click();
        PressOK(options);
        QCOMPARE(FWorld->Dialogs.Errors.size(), 1);
        QVERIFY2(FWorld->Dialogs.Errors.first().contains(QStringLiteral("autostart")),
                 qPrintable(FWorld->Dialogs.Errors.first()));
    }

    void stayOnTopChangeIsFlagged()
    {
        UserInfo().StayOnTop = true;
        TFormOptions options;
        options.show();
        options.CBStayOnTop->setChecked(false);
        PressOK(options);
        QVERIFY(StayOnTopChanged);
        QVERIFY(!UserInfo().StayOnTop);
        options.show(); // the next showing starts afresh
        QVERIFY(!StayOnTopChanged);
        PressOK(options);
        QVERIFY(!StayOnTopChanged);
    }

    void automaticReminderNeedsAutomaticDueDate()
    {
        UserInfo().AutoDueDate = false;
        UserInfo().AutoDueDateDays = 5;
        TFormOptions options;
        options.show();
        QVERIFY(!options.CBAutoDueDate->isChecked());
        QCOMPARE(options.EditAutoDueDate->value(), 5);
        QCOMPARE(ReminderLine(options), QStringLiteral("off"));

        options.CBAutoDueDate->click();
        QCOMPARE(ReminderLine(options), QStringLiteral("on"));
        QVERIFY(!options.CBAutoReminder->isChecked());
        options.CBAutoReminder->click();
        options.CBAutoDueDate->click();
        QCOMPARE(ReminderLine(options), QStringLiteral("off"));
        QVERIFY(!options.CBAutoReminder->isChecked());

        // A changed value ticks its box.
        options.EditAutoDueDate->stepUp();
        QVERIFY(options.CBAutoDueDate->isChecked());
        QCOMPARE(ReminderLine(options), QStringLiteral("on"));
        options.TPAutoReminder->setTime(QTime(14, 15));
        QVERIFY(options.CBAutoReminder->isChecked());
        options.EditDelDays->setValue(12);
        QVERIFY(options.CBAutoDelete->isChecked());
        PressOK(options);
        QCOMPARE(UserInfo().AutoDueDateDays, 6);
        QVERIFY(UserInfo().AutoDueDate && UserInfo().AutoReminder && UserInfo().AutoDeleteFinishedTasks);
        QCOMPARE(UserInfo().AutoReminderTime, 14.25 / 24);
        QCOMPARE(UserInfo().AutoDeleteFinishedTasksDays, 12);

        // Switched off elsewhere: the line greys out again at the next showing.
        UserInfo().AutoDueDate = false;
        options.show();
        QVERIFY(!options.CBAutoDueDate->isChecked());
        QCOMPARE(ReminderLine(options), QStringLiteral("off"));
    }

    void valuesOnlyAnEditedFileHoldsAreMadeValid()
    {
        UserInfo().AutoDueDateDays = 45;
        UserInfo().AutoDeleteFinishedTasksDays = 0;
        UserInfo().AutoReminderTime = EncodeDate(2026, 5, 4) + EncodeTime(7, 5);
        TFormOptions options;
        options.show();
        QCOMPARE(options.EditAutoDueDate->value(), 30);
        QCOMPARE(options.EditDelDays->value(), 1);
        PressOK(options);
        QCOMPARE(UserInfo().AutoDueDateDays, 30);
        QCOMPARE(UserInfo().AutoDeleteFinishedTasksDays, 1);
        QCOMPARE(UserInfo().AutoReminderTime, EncodeTime(7, 5)); // the time of day alone
    }

    void colourPanelsTakeTheChosenColour()
    {
        const qint32 color5 = UserInfo().Color5;
        TFormOptions options;
        options.show();
        options.PageControl1->setCurrentWidget(options.TSColorFont);
        FWorld->Dialogs.ColorAnswer = QColor(10, 20, 30);
        QTest::mouseClick(options.PanelColor3, Qt::LeftButton);
        QCOMPARE(options.PanelColor3->palette().color(QPalette::Window), QColor(10, 20, 30));
        FWorld->Dialogs.ColorAnswer.reset(); // cancelled
        QTest::mouseClick(options.PanelColor5, Qt::LeftButton);
        QCOMPARE(options.PanelColor5->palette().color(QPalette::Window), ColorRefToQColor(color5));
        PressOK(options);
        QCOMPARE(UserInfo().Color3, 0x001E140A); // 0x00BBGGRR, as the file keeps colours
        QCOMPARE(UserInfo().Color5, color5);
    }

    void sampleFontStoresFaceSizeStyleAndColourOnly()
    {
        TUserInfo &s = UserInfo();
        s.DefaultFontName = QStringLiteral("Liberation Sans");
        s.DefaultFontSize = 12;
        s.DefaultFontColor = 0x000000FF;
        TFormOptions options;
        options.show();

        // Bold chosen, then the dialog cancelled: the next showing is regular.
        QFont bold(QStringLiteral("Liberation Sans"), 12);
        bold.setBold(true);
        FWorld->Dialogs.FontAnswer = TFontChoice{bold, Qt::black};
        options.PanelSampleFontClick();
        QCOMPARE(FWorld->Dialogs.FontShown->Font.family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(FWorld->Dialogs.FontShown->Font.pointSize(), 12);
        QCOMPARE(FWorld->Dialogs.FontShown->Color, QColor(255, 0, 0));
        QVERIFY(options.PanelSampleFont->font().bold());
        options.reject();
        options.show();
        QVERIFY(!options.PanelSampleFont->font().bold());

        QFont chosen(QStringLiteral("Liberation Serif"), 15);
        chosen.setItalic(true);
        chosen.setUnderline(true);
        chosen.setStrikeOut(true);
        FWorld->Dialogs.FontAnswer = TFontChoice{chosen, QColor(200, 128, 0)};
        QTest::mouseClick(options.PanelSampleFont, Qt::LeftButton);
        PressOK(options);
        QCOMPARE(s.DefaultFontName, QStringLiteral("Liberation Serif"));
        QCOMPARE(s.DefaultFontSize, 15);
        QVERIFY(!s.DefaultFontBold && s.DefaultFontItalic);
        QCOMPARE(s.DefaultFontColor, 0x000080C8);
        options.show();
        QVERIFY(!options.PanelSampleFont->font().underline() && !options.PanelSampleFont->font().strikeOut());
        QCOMPARE(options.PanelSampleFont->palette().color(QPalette::WindowText), QColor(200, 128, 0));
    }

    void soundFileIsChosenAndTested()
    {
        FWorld->Write("ding.wav", "RIFF");
        TCountedSound sound;
        TFormOptions options;
        options.show();
        options.EditSoundFile->setText(QStringLiteral("/old/path.wav"));
        FWorld->Dialogs.OpenPath = FWorld->Path("ding.wav");
        QTest::mouseClick(options.BtnSelectSoundFile, Qt::LeftButton);
        QCOMPARE(FWorld->Dialogs.OpenProposed, QStringList{"/old/path.wav"});
        QCOMPARE(FWorld->Dialogs.OpenFilters, QStringList{"Sound Files (*.wav)"});
        QCOMPARE(options.EditSoundFile->text(), FWorld->Path("ding.wav"));
        FWorld->Dialogs.OpenPath.clear(); // cancelled
        options.BtnSelectSoundFileClick();
        QCOMPARE(options.EditSoundFile->text(), FWorld->Path("ding.wav"));

        QTest::mouseClick(options.BtnTestSound, Qt::LeftButton);
        // Nothing typed, or nothing there: the program's own sound.
        options.EditSoundFile->clear();
        options.BtnTestSoundClick();
        options.EditSoundFile->setText(FWorld->Path("gone.wav"));
        options.BtnTestSoundClick();
        const QString own = FWorld->Path("notify.wav");
        QCOMPARE(sound.Played, (QStringList{FWorld->Path("ding.wav"), own, own}));
    }

    void skinListShowsEverySkinAndTheChosenOne()
    {
        UserInfo().SkinDirectoryName = QStringLiteral("2");
        TFormOptions options;
        options.show();
        QCOMPARE(Skins(options), (QStringList{"Sky Blue=1", "Sage=2*"}));
        QCOMPARE(options.LabelPreview->text(), QStringLiteral("Preview of Sage:"));
        QVERIFY(!options.PanelPreview->isHidden());
        const TSkinPreview &preview = *options.PanelPreview;
        QVERIFY(!preview.ImageBottomRight->Picture().isNull());
        // The corner pieces sit on the edges they belong to.
        QCOMPARE(preview.ImageRightTop->pos(), preview.ImageRightMid->pos());
        QCOMPARE(preview.ImageBottomRight->geometry().right(), preview.ImageBottomMid->geometry().right());
        QCOMPARE(preview.ImageBottomLeft->y(), preview.ImageBottomMid->y());

        options.ListViewSkins->setCurrentItem(options.ListViewSkins->topLevelItem(0)); // as a click does
        QCOMPARE(options.LabelPreview->text(), QStringLiteral("Preview of Sky Blue:"));
        PressOK(options);
        QCOMPARE(UserInfo().SkinDirectoryName, QStringLiteral("1"));

        // A folder name not listed (names are case-sensitive) stays chosen.
        UserInfo().SkinDirectoryName = QStringLiteral("sage");
        options.show();
        QCOMPARE(Skins(options), (QStringList{"Sky Blue=1", "Sage=2"}));
        QCOMPARE(options.LabelPreview->text(), QStringLiteral("Preview:"));
        QVERIFY(options.PanelPreview->isHidden());
        PressOK(options);
        QCOMPARE(UserInfo().SkinDirectoryName, QStringLiteral("sage"));
    }

    void anUnreadableSkinFileEndsTheListWithOneMessage_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("unreadable");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("no name file") << "2"
                                      << "skins/15/skinname.txt" << QStringList{"Sky Blue=1"};
        QTest::newRow("no preview picture") << "1"
                                            << "skins/1/right_top.bmp" << QStringList{"Sky Blue=1*"};
    }
    void anUnreadableSkinFileEndsTheListWithOneMessage()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, unreadable);
        QFETCH(QStringList, listed);
        FWorld->Write("skins/15/top_left.bmp", "a folder without a name file");
        QFile::remove(FWorld->Path("skins/1/right_top.bmp"));
        UserInfo().SkinDirectoryName = chosen;
        UserInfo().ShowTips = false;
        TFormOptions options;
        options.show();
        QVERIFY(options.isVisible());
        QCOMPARE(Skins(options), listed);
        QCOMPARE(FWorld->Dialogs.Errors.size(), 1);
        QVERIFY(FWorld->Dialogs.Errors.first().contains(FWorld->Path(unreadable)));
        QVERIFY(!options.CBShowTips->isChecked()); // loaded before the list
    }
};

QTEST_MAIN(TestFormOptions)
#include "tst_formoptions.moc"
