#include "platform/Dialogs.h"
#include "platform/FontColorDialog.h"
#include "platform/Fonts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
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
template <class T> void WhenModal(std::function<void(T *)> act)
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
        const QString path =
            Dialogs().SaveFileName(nullptr, dir.filePath(QStringLiteral("Shopping")),
                                   QStringLiteral("Text Files (*.txt)"), QStringLiteral("txt"));
        QVERIFY(!asked);
        QCOMPARE(path, dir.filePath(QStringLiteral("Shopping.txt")));

        WhenModal<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); });
        QCOMPARE(Dialogs().SaveFileName(nullptr, dir.filePath(QStringLiteral("Other")),
                                        QStringLiteral("Text Files (*.txt)"), QStringLiteral("txt")),
                 QString());
    }

    // A bare name is proposed in the user's documents folder, and from then
    // on in the folder the user last saved to; never in the working folder
    // (the root folder for a program started from a menu).
    void saveDialogStartsInDocumentsThenTheLastFolder()
    {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", home.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toLocal8Bit());
        const auto restore = qScopeGuard([&] {
            qputenv("HOME", oldHome);
            qputenv("XDG_CONFIG_HOME", oldConfig);
        });
        const QString documents = home.filePath(QStringLiteral("Documents"));
        const QString elsewhere = home.filePath(QStringLiteral("Letters"));
        QVERIFY(QDir().mkpath(documents) && QDir().mkpath(elsewhere));

        QStringList shownIn;
        auto saveAs = [&shownIn](const QString &proposed, const QString &chosen) {
            WhenModal<QFileDialog>([&shownIn, chosen](QFileDialog *dialog) {
                shownIn << dialog->directory().absolutePath();
                if (chosen.isEmpty())
                    return dialog->reject();
                dialog->selectFile(chosen);
                static_cast<QDialog *>(dialog)->accept();
                if (dialog->isVisible())
                    dialog->reject();
            });
            return Dialogs().SaveFileName(nullptr, proposed, QStringLiteral("Text Files (*.txt)"),
                                          QStringLiteral("txt"));
        };
        QCOMPARE(saveAs(QStringLiteral("tasklist.txt"), QString()), QString());
        const QString chosen = elsewhere + QStringLiteral("/list.txt");
        QCOMPARE(saveAs(QString(), chosen), chosen);
        QCOMPARE(saveAs(QStringLiteral("tasklist.txt"), QString()), QString());
        QCOMPARE(shownIn, (QStringList{documents, documents, elsewhere}));
    }

    // Boxes and dialogs open above the window they were asked from, and with
    // it above every note, which stays on top: owned by the dialog that runs
    // modal if there is one (any other window would be blocked), else by the
    // asking window; on top while a window of the program on screen is. An
    // error box the program goes on past belongs to no note, which could
    // close and take it along.
    void boxesOpenAboveTheirOwner_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("whileModal");
        QTest::addColumn<bool>("notesOnTop");
        for (const char *kind : {"question", "error", "save", "colour"}) {
            QTest::addRow("%s asked from a note", kind) << QString::fromLatin1(kind) << false << true;
            QTest::addRow("%s asked from a modal dialog", kind) << QString::fromLatin1(kind) << true << true;
        }
        QTest::addRow("question, nothing on top") << QStringLiteral("question") << false << false;
    }
    void boxesOpenAboveTheirOwner()
    {
        QFETCH(QString, kind);
        QFETCH(bool, whileModal);
        QFETCH(bool, notesOnTop);
        QWidget note(nullptr, Qt::Tool | Qt::FramelessWindowHint |
                                  (notesOnTop ? Qt::WindowStaysOnTopHint : Qt::WindowFlags()));
        note.resize(200, 150);
        note.show();
        note.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&note));
        QDialog options(nullptr, Qt::Dialog);
        QWidget *owner = kind == QLatin1String("error") ? nullptr : &note;
        if (whileModal)
            owner = &options;

        QWidget *shown = nullptr;
        bool onTop = false;
        bool answered = false;
        // Takes note of the box or dialog and closes it, by a mouse click on
        // its button where it has one: a click a blocked window would drop.
        auto answer = [&](QWidget *box) {
            shown = box->parentWidget() ? box->parentWidget()->window() : nullptr;
            onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            const QPointer<QWidget> alive(box); // an error box goes when closed
            if (auto *message = qobject_cast<QMessageBox *>(box)) {
                // Through the window, as the window system hands a click on.
                QAbstractButton *button = message->buttons().constFirst();
                QTest::mouseClick(message->windowHandle(), Qt::LeftButton, {},
                                  button->mapTo(message, button->rect().center()));
                answered = !alive || !alive->isVisible();
            }
            if (alive && alive->isVisible())
                static_cast<QDialog *>(alive.data())->reject();
        };
        auto ask = [&] {
            if (kind == QLatin1String("question")) {
                WhenModal<QMessageBox>(answer);
                Dialogs().YesNo(QStringLiteral("Confirmation"), QStringLiteral("Sure?"));
            } else if (kind == QLatin1String("error")) {
                Dialogs().ErrorBox(QStringLiteral("Something failed %1").arg(QTest::currentDataTag()));
                for (QWidget *window : QApplication::topLevelWidgets())
                    if (auto *box = qobject_cast<QMessageBox *>(window); box && box->isVisible())
                        answer(box);
            } else if (kind == QLatin1String("save")) {
                WhenModal<QFileDialog>(answer);
                Dialogs().SaveFileName(&note, QStringLiteral("note.txt"),
                                       QStringLiteral("Text Files (*.txt)"), QStringLiteral("txt"));
            } else {
                WhenModal<QColorDialog>(answer);
                QColor color(Qt::red);
                Dialogs().ChooseColor(&note, color);
            }
            options.reject();
        };
        if (whileModal) {
            QTimer::singleShot(0, &options, ask);
            options.exec();
        } else {
            ask();
        }
        if (kind == QLatin1String("question") || kind == QLatin1String("error"))
            QVERIFY2(answered, "the box did not take the click");
        QCOMPARE(shown, owner);
        QCOMPARE(onTop, notesOnTop);
    }

    // Font names from Windows land on installed look-alikes; rows whose
    // target is not installed here are skipped.
    void windowsFontNamesResolve_data()
    {
        QTest::addColumn<QString>("requested");
        QTest::addColumn<QString>("expected");
        QTest::newRow("MS Sans Serif")
            << QStringLiteral("MS Sans Serif") << QStringLiteral("Liberation Sans");
        QTest::newRow("Microsoft Sans Serif")
            << QStringLiteral("Microsoft Sans Serif") << QStringLiteral("Liberation Sans");
        QTest::newRow("Comic Sans MS") << QStringLiteral("Comic Sans MS") << QStringLiteral("Comic Neue");
        QTest::newRow("Arial") << QStringLiteral("Arial") << QStringLiteral("Liberation Sans");
        QTest::newRow("Times New Roman")
            << QStringLiteral("Times New Roman") << QStringLiteral("Liberation Serif");
        QTest::newRow("Courier New") << QStringLiteral("Courier New") << QStringLiteral("Liberation Mono");
        QTest::newRow("installed, in other case")
            << QStringLiteral("liberation sans") << QStringLiteral("Liberation Sans");
    }
    void windowsFontNamesResolve()
    {
        QFETCH(QString, requested);
        QFETCH(QString, expected);
        if (!QFontDatabase::hasFamily(expected))
            QSKIP("the look-alike font is not installed");
        InstallFontSubstitutions();
        QCOMPARE(QFontInfo(QFont(requested, 10)).family(), expected);
        // The family resolved ahead, as the notes ask for it, is the same.
        QCOMPARE(QFontInfo(QFont(InstalledFamily(requested), 10)).family(), expected);
    }
};

QTEST_MAIN(TFontColorDialogTest)
#include "tst_fontcolordialog.moc"
