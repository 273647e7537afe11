#include "platform/Dialogs.h"
#include "platform/FontColorDialog.h"
#include "platform/Fonts.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

QFont MakeFont(const QString &family, int points, bool bold = false)
{
    QFont font(family, points);
    font.setBold(bold);
    return font;
}

// Acts on the modal dialog of type T once the event loop of its exec() runs.
// Anything else that turns up modal is rejected, so a wrong dialog fails the
// test instead of hanging it.
template <class T>
void WhenModal(std::function<void(T *)> act)
{
    QTimer::singleShot(0, [act] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dialog = qobject_cast<T *>(modal))
            act(dialog);
        else if (auto *other = qobject_cast<QDialog *>(modal))
            other->reject();
    });
}

} // namespace

class TFontColorDialogTest : public QObject {
    Q_OBJECT

private slots:
    // The font part is a widget inside our dialog, without buttons of its
    // own: one OK decides font and colour together.
    void fontChooserIsEmbedded()
    {
        TFontColorDialog dialog(TFontChoice{MakeFont(QStringLiteral("Liberation Sans"), 10), Qt::black});
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Font"));
        QFontDialog *font = dialog.FontDialog();
        QVERIFY(font);
        QCOMPARE(font->window(), &dialog);
        for (QDialogButtonBox *buttons : font->findChildren<QDialogButtonBox *>())
            QVERIFY(buttons->isHidden());
        QCOMPARE(dialog.findChildren<QDialogButtonBox *>(Qt::FindDirectChildrenOnly).size(), 1);
    }

    void acceptHandsBackFontAndColor()
    {
        TFontColorDialog dialog(TFontChoice{MakeFont(QStringLiteral("Liberation Serif"), 14, true), Qt::red});
        TFontChoice initial = dialog.Choice();
        QCOMPARE(initial.Font.family(), QStringLiteral("Liberation Serif"));
        QCOMPARE(initial.Font.pointSize(), 14);
        QVERIFY(initial.Font.bold());
        QCOMPARE(initial.Color, QColor(Qt::red));

        dialog.FontDialog()->setCurrentFont(MakeFont(QStringLiteral("Liberation Mono"), 9));
        dialog.SetColor(QColor(0x12, 0x34, 0x56));
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const TFontChoice chosen = dialog.Choice();
        QCOMPARE(chosen.Font.family(), QStringLiteral("Liberation Mono"));
        QCOMPARE(chosen.Font.pointSize(), 9);
        QVERIFY(!chosen.Font.bold());
        QCOMPARE(chosen.Color, QColor(0x12, 0x34, 0x56));
    }

    // The chooser opens on the font as it is drawn, also where a family is
    // shown through a substitute; what the user leaves as it opened comes
    // back as it was given, name and all.
    void opensOnTheFontAsSeenAndKeepsWhatIsLeft_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<QString>("shown");
        QTest::newRow("substitute") << QStringLiteral("Comic Sans MS") << 11 << false << false
                                    << QStringLiteral("Comic Neue");
        QTest::newRow("substitute, bold italic, unlisted size")
            << QStringLiteral("Comic Sans MS") << 13 << true << true << QStringLiteral("Comic Neue");
        QTest::newRow("dialog font") << QStringLiteral("MS Sans Serif") << 8 << true << false
                                     << QStringLiteral("Liberation Sans");
        QTest::newRow("installed") << QStringLiteral("Liberation Serif") << 12 << false << true
                                   << QStringLiteral("Liberation Serif");
    }
    void opensOnTheFontAsSeenAndKeepsWhatIsLeft()
    {
        QFETCH(QString, family);
        QFETCH(int, points);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        QFETCH(QString, shown);
        if (!QFontDatabase::hasFamily(shown))
            QSKIP("the look-alike font is not installed");
        InstallFontSubstitutions();
        QFont given = MakeFont(family, points, bold);
        given.setItalic(italic);
        const auto same = [&](const QFont &font) {
            return font.family() == family && font.pointSize() == points && font.bold() == bold &&
                   font.italic() == italic;
        };

        TFontColorDialog dialog(TFontChoice{given, Qt::black});
        const QFont opened = dialog.FontDialog()->currentFont();
        QCOMPARE(opened.family(), shown);
        QCOMPARE(opened.pointSize(), points);
        QCOMPARE(opened.bold(), bold);
        QCOMPARE(opened.italic(), italic);
        QVERIFY2(same(dialog.Choice().Font), qPrintable(dialog.Choice().Font.toString()));

        QFont bigger = opened;
        bigger.setPointSize(points + 5);
        dialog.FontDialog()->setCurrentFont(bigger);
        QCOMPARE(dialog.Choice().Font.family(), family);
        QCOMPARE(dialog.Choice().Font.pointSize(), points + 5);
        QCOMPARE(dialog.Choice().Font.bold(), bold);

        QFont other = MakeFont(QStringLiteral("Liberation Mono"), points, !bold);
        other.setItalic(italic);
        dialog.FontDialog()->setCurrentFont(other);
        QCOMPARE(dialog.Choice().Font.family(), QStringLiteral("Liberation Mono"));
        QCOMPARE(dialog.Choice().Font.bold(), !bold);
        QCOMPARE(dialog.Choice().Font.pointSize(), points);
    }

    // A choice without colour starts black; an invalid colour never
    // replaces a real one.
    void invalidColorsAreIgnored()
    {
        TFontColorDialog dialog(TFontChoice{QFont(), QColor()});
        QCOMPARE(dialog.Color(), QColor(Qt::black));
        dialog.SetColor(Qt::green);
        dialog.SetColor(QColor());
        QCOMPARE(dialog.Color(), QColor(Qt::green));
    }

    void chooseFontThroughDialogs()
    {
        TFontChoice choice{MakeFont(QStringLiteral("Liberation Sans"), 10), Qt::black};
        bool chooserShown = false;
        WhenModal<TFontColorDialog>([&chooserShown](TFontColorDialog *dialog) {
            chooserShown = dialog->FontDialog()->isVisible();
            dialog->FontDialog()->setCurrentFont(MakeFont(QStringLiteral("Liberation Serif"), 16));
            dialog->SetColor(Qt::blue);
            dialog->accept();
        });
        QVERIFY(Dialogs().ChooseFont(nullptr, choice));
        QVERIFY(chooserShown);
        QCOMPARE(choice.Font.family(), QStringLiteral("Liberation Serif"));
        QCOMPARE(choice.Font.pointSize(), 16);
        QCOMPARE(choice.Color, QColor(Qt::blue));

        WhenModal<TFontColorDialog>([](TFontColorDialog *dialog) {
            dialog->FontDialog()->setCurrentFont(MakeFont(QStringLiteral("Liberation Mono"), 8));
            dialog->SetColor(Qt::red);
            dialog->reject();
        });
        QVERIFY(!Dialogs().ChooseFont(nullptr, choice));
        QCOMPARE(choice.Font.family(), QStringLiteral("Liberation Serif"));
        QCOMPARE(choice.Color, QColor(Qt::blue));
    }

    // The font part is a dialog of its own inside ours: Enter in it is OK
    // for the whole chooser, Escape its Cancel, and neither leaves the
    // chooser open without its font part.
    void enterAndEscapeAnswerForTheChooser_data()
    {
        QTest::addColumn<bool>("inList"); // the family list, or the size field
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("Return in the list") << true << int(Qt::Key_Return) << true;
        QTest::newRow("Enter in the list") << true << int(Qt::Key_Enter) << true;
        QTest::newRow("Return in the size") << false << int(Qt::Key_Return) << true;
        QTest::newRow("Escape in the list") << true << int(Qt::Key_Escape) << false;
        QTest::newRow("Escape in the size") << false << int(Qt::Key_Escape) << false;
    }
    void enterAndEscapeAnswerForTheChooser()
    {
        QFETCH(bool, inList);
        QFETCH(int, key);
        QFETCH(bool, accepted);
        TFontChoice choice{MakeFont(QStringLiteral("Liberation Sans"), 10), Qt::black};
        bool closed = false;
        bool partShown = false;
        WhenModal<TFontColorDialog>([&](TFontColorDialog *dialog) {
            QWidget *target = nullptr;
            if (inList)
                target = dialog->FontDialog()->findChild<QListView *>();
            for (QLineEdit *edit : dialog->FontDialog()->findChildren<QLineEdit *>())
                if (!inList && !edit->isReadOnly())
                    target = edit; // the size is the one field that takes typing
            QVERIFY(target);
            QTest::keyClick(target, Qt::Key(key));
            closed = !dialog->isVisible();
            partShown = !dialog->FontDialog()->isHidden();
            if (!closed)
                dialog->reject(); // the test goes on either way
        });
        QCOMPARE(Dialogs().ChooseFont(nullptr, choice), accepted);
        QVERIFY(closed);
        QVERIFY(partShown);
    }

    void chooseColorThroughDialogs()
    {
        QColor color(Qt::yellow);
        WhenModal<QColorDialog>([](QColorDialog *dialog) {
            QCOMPARE(dialog->currentColor(), QColor(Qt::yellow));
            dialog->setCurrentColor(QColor(0x80, 0x40, 0x20));
            dialog->accept();
        });
        QVERIFY(Dialogs().ChooseColor(nullptr, color));
        QCOMPARE(color, QColor(0x80, 0x40, 0x20));

        WhenModal<QColorDialog>([](QColorDialog *dialog) { dialog->reject(); });
        QVERIFY(!Dialogs().ChooseColor(nullptr, color));
        QCOMPARE(color, QColor(0x80, 0x40, 0x20));
    }

    // The callers ask about overwriting in their own words: the save dialog
    // must accept an existing file without a question of its own, and add
    // the default extension to a bare name.
    void saveFileNameAddsSuffixAndAsksNothing()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile existing(dir.filePath(QStringLiteral("Shopping.txt")));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();

        bool asked = false;
        WhenModal<QFileDialog>([&asked](QFileDialog *dialog) {
            // A question box popping up inside accept() is answered here.
            WhenModal<QMessageBox>([&asked](QMessageBox *box) {
                asked = true;
                box->reject();
            });
            // QFileDialog::accept() is protected; through the base it runs
            // the file dialog's own checks all the same.
            static_cast<QDialog *>(dialog)->accept();
            if (dialog->isVisible())
                dialog->reject();
        });
        const QString path = Dialogs().SaveFileName(nullptr, dir.filePath(QStringLiteral("Shopping")),
                                                    QStringLiteral("Text Files (*.txt)"), QStringLiteral("txt"));
        QVERIFY(!asked);
        QCOMPARE(path, dir.filePath(QStringLiteral("Shopping.txt")));

        WhenModal<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); });
        QCOMPARE(Dialogs().SaveFileName(nullptr, dir.filePath(QStringLiteral("Other")),
                                        QStringLiteral("Text Files (*.txt)"), QStringLiteral("txt")),
                 QString());
    }

    // Font names from Windows land on installed look-alikes; rows whose
    // target is not installed here are skipped.
    void windowsFontNamesResolve_data()
    {
        QTest::addColumn<QString>("requested");
        QTest::addColumn<QString>("expected");
        QTest::newRow("MS Sans Serif") << QStringLiteral("MS Sans Serif") << QStringLiteral("Liberation Sans");
        QTest::newRow("Microsoft Sans Serif") << QStringLiteral("Microsoft Sans Serif")
                                              << QStringLiteral("Liberation Sans");
        QTest::newRow("Comic Sans MS") << QStringLiteral("Comic Sans MS") << QStringLiteral("Comic Neue");
        QTest::newRow("Arial") << QStringLiteral("Arial") << QStringLiteral("Liberation Sans");
        QTest::newRow("Times New Roman") << QStringLiteral("Times New Roman") << QStringLiteral("Liberation Serif");
        QTest::newRow("Courier New") << QStringLiteral("Courier New") << QStringLiteral("Liberation Mono");
    }
    void windowsFontNamesResolve()
    {
        QFETCH(QString, requested);
        QFETCH(QString, expected);
        if (!QFontDatabase::hasFamily(expected))
            QSKIP("the look-alike font is not installed");
        InstallFontSubstitutions();
        QCOMPARE(QFontInfo(QFont(requested, 10)).family(), expected);
    }
};

QTEST_MAIN(TFontColorDialogTest)
#include "tst_fontcolordialog.moc"
