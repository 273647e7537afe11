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
#include "support/FindChild.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <QTranslator>
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
        for (int row = 0; row < Child<QTreeWidget>(options, "ListViewSkins")->topLevelItemCount(); ++row) {
            const QTreeWidgetItem *item = Child<QTreeWidget>(options, "ListViewSkins")->topLevelItem(row);
            skins << item->text(0) + u'=' + item->text(1) + (item->isSelected() ? "*" : "");
        }
        return skins;
    }

    // The automatic reminder line's three controls are usable together.
    static QString ReminderLine(const TFormOptions &options)
    {
        const int on = int(Child<QCheckBox>(options, "CBAutoReminder")->isEnabled()) +
                       int(Child<QTimeEdit>(options, "TPAutoReminder")->isEnabled()) +
                       int(Child<QLabel>(options, "STAutoReminder")->isEnabled());
        return on == 3 ? QStringLiteral("on") : on == 0 ? QStringLiteral("off") : QStringLiteral("mixed");
    }

    static void PressOK(TFormOptions &options)
    {
        QTest::mouseClick(Child<QPushButton>(options, "BtnOK"), Qt::LeftButton);
    }

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
        for (int index = 0; index < Child<QTabWidget>(options, "PageControl1")->count(); ++index)
            if (Child<QTabWidget>(options, "PageControl1")->isTabVisible(index))
                tabs << Child<QTabWidget>(options, "PageControl1")->tabText(index);
        QCOMPARE(tabs, (QStringList{"General", "Color && Font", "Sync"}));
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
        QCOMPARE(Child<QTimeEdit>(options, "TPAutoReminder")->text(), shown);
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
        Child<QCheckBox>(options, "CBShowTips")->click();
        Child<QCheckBox>(options, "CBStayOnTop")->click();
        Child<QLineEdit>(options, "EditSoundFile")->setText(QStringLiteral("/tmp/other.wav"));
        FWorld->Dialogs.ColorAnswer = QColor(1, 2, 3);
        options.PanelColor1Click(Child<QLabel>(options, "PanelColor1"));
        Child<QTabWidget>(options, "PageControl1")->setCurrentWidget(Child<QWidget>(options, "TSColorFont"));
        // Moved the way the window manager moves it, not by the program.
        options.windowHandle()->setFramePosition(centred + QPoint(40, 30));
        QCoreApplication::processEvents();
        QTest::mouseClick(Child<QPushButton>(options, "BtnCancel"), Qt::LeftButton);
        QCOMPARE(options.result(), int(QDialog::Rejected));
        QVERIFY(UserInfo() == before);
        QVERIFY(!StayOnTopChanged);

        // The page and the place stay, the edits do not; Escape cancels too.
        options.show();
        QCOMPARE(Child<QTabWidget>(options, "PageControl1")->currentWidget(),
                 Child<QWidget>(options, "TSColorFont"));
        QCOMPARE(options.pos(), centred + QPoint(40, 30));
        QCOMPARE(Child<QCheckBox>(options, "CBShowTips")->isChecked(), before.ShowTips);
        QCOMPARE(Child<QLineEdit>(options, "EditSoundFile")->text(), before.SoundFileName);
        QCOMPARE(options.PanelColorValue(0), before.Color1);
        Child<QCheckBox>(options, "CBQuickInputMode")->click();
        QTest::keyClick(&options, Qt::Key_Escape);
        QVERIFY(!options.isVisible());
        QVERIFY(UserInfo() == before);

        QSignalSpy help(&options, &TFormOptions::HelpRequested);
        options.show();
        QTest::mouseClick(Child<QPushButton>(options, "BtnHelp"), Qt::LeftButton);
        QCOMPARE(help.size(), 1);
    }

    void startAtLoginIsTheAutostartEntry()
    {
        const QString entry = FWorld->Path(QStringLiteral("config/autostart/Jotterbox.desktop"));
        const TUserInfo before = UserInfo();
        TFormOptions options;
        options.show();
        QVERIFY(!Child<QCheckBox>(options, "CBStartAtLogin")->isChecked());

        // Ticked and cancelled: nothing written.
        Child<QCheckBox>(options, "CBStartAtLogin")->click();
        QTest::mouseClick(Child<QPushButton>(options, "BtnCancel"), Qt::LeftButton);
        QVERIFY(!QFile::exists(entry));

        // Ticked and confirmed: the entry starts this folder's program, and
        // no setting changed.
        options.show();
        QVERIFY(!Child<QCheckBox>(options, "CBStartAtLogin")->isChecked());
        Child<QCheckBox>(options, "CBStartAtLogin")->click();
        PressOK(options);
        QFile written(entry);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().contains(
            "\nExec=" + QFile::encodeName(FWorld->Path(QStringLiteral("Jotterbox"))) + "\n"));
        QVERIFY(UserInfo() == before);

        // The next showing reads the entry; unticked, it goes.
        options.show();
        QVERIFY(Child<QCheckBox>(options, "CBStartAtLogin")->isChecked());
        Child<QCheckBox>(options, "CBStartAtLogin")->click();
        PressOK(options);
        QVERIFY(!QFile::exists(entry));

        // An entry made elsewhere shows ticked, and OK without a change
        // leaves it as it is.
        FWorld->Write(QStringLiteral("config/autostart/Jotterbox.desktop"), "[Desktop Entry]\nExec=mine\n");
        options.show();
        QVERIFY(Child<QCheckBox>(options, "CBStartAtLogin")->isChecked());
        PressOK(options);
        QFile mine(entry);
        QVERIFY(mine.open(QIODevice::ReadOnly));
        QCOMPARE(mine.readAll(), QByteArray("[Desktop Entry]\nExec=mine\n"));

        // A folder that cannot be written says so.
        QVERIFY(QDir(FWorld->Path(QStringLiteral("config/autostart"))).removeRecursively());
        FWorld->Write(QStringLiteral("config/autostart"), "a file, not a folder");
        options.show();
        Child<QCheckBox>(options, "CBStartAtLogin")->click();
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
        Child<QCheckBox>(options, "CBStayOnTop")->setChecked(false);
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
        QVERIFY(!Child<QCheckBox>(options, "CBAutoDueDate")->isChecked());
        QCOMPARE(Child<QSpinBox>(options, "EditAutoDueDate")->value(), 5);
        QCOMPARE(ReminderLine(options), QStringLiteral("off"));

        Child<QCheckBox>(options, "CBAutoDueDate")->click();
        QCOMPARE(ReminderLine(options), QStringLiteral("on"));
        QVERIFY(!Child<QCheckBox>(options, "CBAutoReminder")->isChecked());
        Child<QCheckBox>(options, "CBAutoReminder")->click();
        Child<QCheckBox>(options, "CBAutoDueDate")->click();
        QCOMPARE(ReminderLine(options), QStringLiteral("off"));
        QVERIFY(!Child<QCheckBox>(options, "CBAutoReminder")->isChecked());

        // A changed value ticks its box.
        Child<QSpinBox>(options, "EditAutoDueDate")->stepUp();
        QVERIFY(Child<QCheckBox>(options, "CBAutoDueDate")->isChecked());
        QCOMPARE(ReminderLine(options), QStringLiteral("on"));
        Child<QTimeEdit>(options, "TPAutoReminder")->setTime(QTime(14, 15));
        QVERIFY(Child<QCheckBox>(options, "CBAutoReminder")->isChecked());
        Child<QSpinBox>(options, "EditDelDays")->setValue(12);
        QVERIFY(Child<QCheckBox>(options, "CBAutoDelete")->isChecked());
        PressOK(options);
        QCOMPARE(UserInfo().AutoDueDateDays, 6);
        QVERIFY(UserInfo().AutoDueDate && UserInfo().AutoReminder && UserInfo().AutoDeleteFinishedTasks);
        QCOMPARE(UserInfo().AutoReminderTime, 14.25 / 24);
        QCOMPARE(UserInfo().AutoDeleteFinishedTasksDays, 12);

        // Switched off elsewhere: the line greys out again at the next showing.
        UserInfo().AutoDueDate = false;
        options.show();
        QVERIFY(!Child<QCheckBox>(options, "CBAutoDueDate")->isChecked());
        QCOMPARE(ReminderLine(options), QStringLiteral("off"));
    }

    void valuesOnlyAnEditedFileHoldsAreMadeValid()
    {
        UserInfo().AutoDueDateDays = 45;
        UserInfo().AutoDeleteFinishedTasksDays = 0;
        UserInfo().AutoReminderTime = EncodeDate(2026, 5, 4) + EncodeTime(7, 5);
        TFormOptions options;
        options.show();
        QCOMPARE(Child<QSpinBox>(options, "EditAutoDueDate")->value(), 30);
        QCOMPARE(Child<QSpinBox>(options, "EditDelDays")->value(), 1);
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
        Child<QTabWidget>(options, "PageControl1")->setCurrentWidget(Child<QWidget>(options, "TSColorFont"));
        FWorld->Dialogs.ColorAnswer = QColor(10, 20, 30);
        QTest::mouseClick(Child<QLabel>(options, "PanelColor3"), Qt::LeftButton);
        QCOMPARE(Child<QLabel>(options, "PanelColor3")->palette().color(QPalette::Window),
                 QColor(10, 20, 30));
        FWorld->Dialogs.ColorAnswer.reset(); // cancelled
        QTest::mouseClick(Child<QLabel>(options, "PanelColor5"), Qt::LeftButton);
        QCOMPARE(Child<QLabel>(options, "PanelColor5")->palette().color(QPalette::Window),
                 ColorRefToQColor(color5));
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
        QVERIFY(Child<QLabel>(options, "PanelSampleFont")->font().bold());
        options.reject();
        options.show();
        QVERIFY(!Child<QLabel>(options, "PanelSampleFont")->font().bold());

        QFont chosen(QStringLiteral("Liberation Serif"), 15);
        chosen.setItalic(true);
        chosen.setUnderline(true);
        chosen.setStrikeOut(true);
        FWorld->Dialogs.FontAnswer = TFontChoice{chosen, QColor(200, 128, 0)};
        QTest::mouseClick(Child<QLabel>(options, "PanelSampleFont"), Qt::LeftButton);
        PressOK(options);
        QCOMPARE(s.DefaultFontName, QStringLiteral("Liberation Serif"));
        QCOMPARE(s.DefaultFontSize, 15);
        QVERIFY(!s.DefaultFontBold && s.DefaultFontItalic);
        QCOMPARE(s.DefaultFontColor, 0x000080C8);
        options.show();
        QVERIFY(!Child<QLabel>(options, "PanelSampleFont")->font().underline() &&
                !Child<QLabel>(options, "PanelSampleFont")->font().strikeOut());
        QCOMPARE(Child<QLabel>(options, "PanelSampleFont")->palette().color(QPalette::WindowText),
                 QColor(200, 128, 0));
    }

    void soundFileIsChosenAndTested()
    {
        FWorld->Write("ding.wav", "RIFF");
        TCountedSound sound;
        TFormOptions options;
        options.show();
        Child<QLineEdit>(options, "EditSoundFile")->setText(QStringLiteral("/old/path.wav"));
        FWorld->Dialogs.OpenPath = FWorld->Path("ding.wav");
        QTest::mouseClick(Child<QPushButton>(options, "BtnSelectSoundFile"), Qt::LeftButton);
        QCOMPARE(FWorld->Dialogs.OpenProposed, QStringList{"/old/path.wav"});
        QCOMPARE(FWorld->Dialogs.OpenFilters, QStringList{"Sound Files (*.wav)"});
        QCOMPARE(Child<QLineEdit>(options, "EditSoundFile")->text(), FWorld->Path("ding.wav"));
        FWorld->Dialogs.OpenPath.clear(); // cancelled
        options.BtnSelectSoundFileClick();
        QCOMPARE(Child<QLineEdit>(options, "EditSoundFile")->text(), FWorld->Path("ding.wav"));

        QTest::mouseClick(Child<QPushButton>(options, "BtnTestSound"), Qt::LeftButton);
        // Nothing typed, or nothing there: the program's own sound.
        Child<QLineEdit>(options, "EditSoundFile")->clear();
        options.BtnTestSoundClick();
        Child<QLineEdit>(options, "EditSoundFile")->setText(FWorld->Path("gone.wav"));
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
        QCOMPARE(Child<QLabel>(options, "LabelPreview")->text(), QStringLiteral("Preview of Sage:"));
        QVERIFY(!Child<TSkinPreview>(options, "PanelPreview")->isHidden());
        const TSkinPreview &preview = *Child<TSkinPreview>(options, "PanelPreview");
        QVERIFY(!preview.ImageBottomRight->Picture().isNull());
        // The corner pieces sit on the edges they belong to.
        QCOMPARE(preview.ImageRightTop->pos(), preview.ImageRightMid->pos());
        QCOMPARE(preview.ImageBottomRight->geometry().right(), preview.ImageBottomMid->geometry().right());
        QCOMPARE(preview.ImageBottomLeft->y(), preview.ImageBottomMid->y());

        Child<QTreeWidget>(options, "ListViewSkins")
            ->setCurrentItem(
                Child<QTreeWidget>(options, "ListViewSkins")->topLevelItem(0)); // as a click does
        QCOMPARE(Child<QLabel>(options, "LabelPreview")->text(), QStringLiteral("Preview of Sky Blue:"));
        PressOK(options);
        QCOMPARE(UserInfo().SkinDirectoryName, QStringLiteral("1"));

        // A folder name not listed (names are case-sensitive) stays chosen.
        UserInfo().SkinDirectoryName = QStringLiteral("sage");
        options.show();
        QCOMPARE(Skins(options), (QStringList{"Sky Blue=1", "Sage=2"}));
        QCOMPARE(Child<QLabel>(options, "LabelPreview")->text(), QStringLiteral("Preview:"));
        QVERIFY(Child<TSkinPreview>(options, "PanelPreview")->isHidden());
        PressOK(options);
        QCOMPARE(UserInfo().SkinDirectoryName, QStringLiteral("sage"));
    }

    // At the font it was drawn for, every control stands where it was drawn
    // (in the dialog's own coordinates), whatever places it.
    void controlsStandWhereTheDialogWasDrawn_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        QTest::newRow("PageControl1") << "TSGeneral"
                                      << "PageControl1" << QRect(8, 8, 361, 209);
        QTest::newRow("BtnOK") << "TSGeneral"
                               << "BtnOK" << QRect(112, 224, 75, 25);
        QTest::newRow("BtnCancel") << "TSGeneral"
                                   << "BtnCancel" << QRect(200, 224, 75, 25);
        QTest::newRow("BtnHelp") << "TSGeneral"
                                 << "BtnHelp" << QRect(288, 224, 75, 25);
        QTest::newRow("CBAutoDueDate") << "TSGeneral"
                                       << "CBAutoDueDate" << QRect(18, 40, 241, 17);
        QTest::newRow("EditAutoDueDate") << "TSGeneral"
                                         << "EditAutoDueDate" << QRect(260, 38, 41, 22);
        QTest::newRow("StaticText1") << "TSGeneral"
                                     << "StaticText1" << QRect(302, 41, 56, 13);
        QTest::newRow("CBAutoReminder") << "TSGeneral"
                                        << "CBAutoReminder" << QRect(18, 64, 223, 17);
        QTest::newRow("TPAutoReminder") << "TSGeneral"
                                        << "TPAutoReminder" << QRect(242, 62, 65, 21);
        QTest::newRow("STAutoReminder") << "TSGeneral"
                                        << "STAutoReminder" << QRect(308, 65, 58, 13);
        QTest::newRow("CBQuickInputMode") << "TSGeneral"
                                          << "CBQuickInputMode" << QRect(18, 88, 153, 17);
        QTest::newRow("CBShowTips") << "TSGeneral"
                                    << "CBShowTips" << QRect(18, 112, 122, 17);
        QTest::newRow("CBStartAtLogin") << "TSGeneral"
                                        << "CBStartAtLogin" << QRect(178, 112, 177, 17);
        QTest::newRow("Bevel2") << "TSGeneral"
                                << "Bevel2" << QRect(10, 136, 353, 2);
        QTest::newRow("StaticText2") << "TSGeneral"
                                     << "StaticText2" << QRect(18, 144, 133, 13);
        QTest::newRow("EditSoundFile") << "TSGeneral"
                                       << "EditSoundFile" << QRect(18, 160, 281, 21);
        QTest::newRow("BtnSelectSoundFile") << "TSGeneral"
                                            << "BtnSelectSoundFile" << QRect(306, 160, 49, 22);
        QTest::newRow("BtnTestSound") << "TSGeneral"
                                      << "BtnTestSound" << QRect(18, 184, 49, 22);
        QTest::newRow("GroupBox1") << "TSColorFont"
                                   << "GroupBox1" << QRect(18, 40, 337, 73);
        QTest::newRow("PanelColor1") << "TSColorFont"
                                     << "PanelColor1" << QRect(58, 64, 33, 33);
        QTest::newRow("PanelColor2") << "TSColorFont"
                                     << "PanelColor2" << QRect(114, 64, 33, 33);
        QTest::newRow("PanelColor3") << "TSColorFont"
                                     << "PanelColor3" << QRect(170, 64, 33, 33);
        QTest::newRow("PanelColor4") << "TSColorFont"
                                     << "PanelColor4" << QRect(226, 64, 33, 33);
        QTest::newRow("PanelColor5") << "TSColorFont"
                                     << "PanelColor5" << QRect(282, 64, 33, 33);
        QTest::newRow("GroupBox2") << "TSColorFont"
                                   << "GroupBox2" << QRect(18, 120, 337, 73);
        QTest::newRow("PanelSampleFont") << "TSColorFont"
                                         << "PanelSampleFont" << QRect(58, 144, 257, 33);
        QTest::newRow("Label1") << "TSSkin"
                                << "Label1" << QRect(18, 40, 66, 13);
        QTest::newRow("ListViewSkins") << "TSSkin"
                                       << "ListViewSkins" << QRect(18, 56, 113, 161);
        QTest::newRow("Bevel1") << "TSSkin"
                                << "Bevel1" << QRect(146, 40, 2, 185);
        QTest::newRow("LabelPreview") << "TSSkin"
                                      << "LabelPreview" << QRect(154, 40, 84, 13);
        QTest::newRow("PanelPreview") << "TSSkin"
                                      << "PanelPreview" << QRect(162, 64, 193, 153);
    }
    void controlsStandWhereTheDialogWasDrawn()
    {
        QFETCH(QString, page);
        QFETCH(QString, name);
        QFETCH(QRect, place);
        UserInfo().SkinDirectoryName = QStringLiteral("2"); // a preview to show
        TFormOptions options;
        options.show();
        auto *pages = Child<QTabWidget>(options, "PageControl1");
        QWidget *shown = Child<QWidget>(options, qPrintable(page));
        pages->setTabVisible(pages->indexOf(shown), true);
        pages->setCurrentWidget(shown);
        QCOMPARE(options.size(), QSize(377, 256));
        const QWidget *control = Child<QWidget>(options, qPrintable(name));
        QVERIFY(control->isVisible());
        QCOMPARE(QRect(control->mapTo(&options, QPoint(0, 0)), control->size()), place);
    }

    // In German every sentence is one text with its value in place: the
    // box's words, the value, the rest, in that order and without overlap,
    // all of it inside a dialog that has grown to hold it.
    void aTranslationMovesTheWordsAndWidensTheDialog()
    {
        QTranslator german;
        QVERIFY(german.load(QStringLiteral(JBX_BUILD_DIR "/translations/jotterbox_de.qm")));
        QCoreApplication::installTranslator(&german);
        const auto removed = qScopeGuard([&german] { QCoreApplication::removeTranslator(&german); });
        TFormOptions options;
        options.show();
        QCOMPARE(options.windowTitle(), QStringLiteral("Optionen"));
        const auto *box = Child<QCheckBox>(options, "CBAutoDueDate");
        const auto *value = Child<QSpinBox>(options, "EditAutoDueDate");
        const auto *rest = Child<QLabel>(options, "StaticText1");
        const QString sentence = QCoreApplication::translate(
            "TFormOptions", "Set a due date for new tasks on day %1 (1 = today).");
        QVERIFY(!sentence.startsWith(QLatin1String("Set due date")));
        QCOMPARE(QStringList({box->text(), value->text(), rest->text()}).join(u' ').trimmed(),
                 sentence.arg(value->text()));
        QVERIFY(box->geometry().right() < value->x() && value->geometry().right() < rest->x());
        QVERIFY(options.width() >= 377 && options.height() >= 256);
        for (const QWidget *control : options.findChildren<QWidget *>()) {
            if (!control->isVisible())
                continue;
            const QRect place(control->mapTo(&options, QPoint(0, 0)), control->size());
            QVERIFY2(options.rect().contains(place), qPrintable(control->objectName()));
            // Every caption whole: a box as wide as it asks, a button's words
            // inside its edges.
            if (auto *box = qobject_cast<const QCheckBox *>(control))
                QVERIFY2(box->width() >= box->sizeHint().width(), qPrintable(box->text()));
            if (auto *button = qobject_cast<const QPushButton *>(control))
                QVERIFY2(button->fontMetrics().horizontalAdvance(QString(button->text()).remove(u'&')) + 8 <=
                             button->width(),
                         qPrintable(button->text()));
        }
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
        QVERIFY(!Child<QCheckBox>(options, "CBShowTips")->isChecked()); // loaded before the list
    }
};

QTEST_MAIN(TestFormOptions)
#include "tst_formoptions.moc"
