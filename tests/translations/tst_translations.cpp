// The shipped translations: every message of each .ts file translated and
// in step with the sources, placeholders and menu keys kept, the program's
// choice of language, and no text on screen left out of tr().

#include "platform/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QXmlStreamReader>

namespace {
const QString KSources = QStringLiteral(JBX_SOURCE_DIR);
const QString KShipped = KSources + QStringLiteral("/translations/jotterbox_de.ts");
// The rooms whose texts the user reads, as the build's lupdate scans them.
const QStringList KRooms = QStringLiteral(JBX_ROOMS).split(' ');

struct TMessage {
    QString Context;
    QString Source;
    QString Translation;
    QString Type; // "unfinished", "vanished", "obsolete" or empty
};

QList<TMessage> ReadTs(const QString &path)
{
    QList<TMessage> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString context;
    while (xml.readNextStartElement() || !xml.atEnd()) {
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"name")
            context = xml.readElementText();
        else if (xml.name() == u"message")
            messages.append({context, {}, {}, {}});
        else if (xml.name() == u"source")
            messages.last().Source = xml.readElementText();
        else if (xml.name() == u"translation") {
            messages.last().Type = xml.attributes().value(QLatin1String("type")).toString();
            messages.last().Translation = xml.readElementText();
        }
    }
    return messages;
}

QSet<QString> Keys(const QList<TMessage> &messages)
{
    QSet<QString> keys;
    for (const TMessage &message : messages)
        keys.insert(message.Context + u'|' + message.Source);
    return keys;
}

// The placeholders %1 to %99 a text holds, sorted.
QStringList Placeholders(const QString &text)
{
    QStringList found;
    static const QRegularExpression placeholder(QStringLiteral("%\\d+"));
    for (const QRegularExpressionMatch &match : placeholder.globalMatch(text))
        found << match.captured();
    found.sort();
    return found;
}

// How many menu keys a caption marks ("&&" is a plain ampersand).
int MenuKeys(QString text) { return int(text.remove(QLatin1String("&&")).count(u'&')); }
} // namespace

class TestTranslations : public QObject {
    Q_OBJECT

private slots:
    // Finished, in step with the sources, and saying the same things: each
    // shipped message translated, every text of the sources in the file and
    // none the sources no longer have, the same placeholders, and a menu key
    // wherever the English caption has one.
    void everyMessageIsTranslated()
    {
        const QList<TMessage> shipped = ReadTs(KShipped);
        QVERIFY2(shipped.size() > 100, qPrintable(KShipped));
        for (const TMessage &message : shipped) {
            const QString where = message.Context + QStringLiteral(": ") + message.Source;
            QVERIFY2(message.Type.isEmpty(), qPrintable(message.Type + QStringLiteral(" ") + where));
            QVERIFY2(!message.Translation.isEmpty(), qPrintable(where));
            QCOMPARE(Placeholders(message.Translation), Placeholders(message.Source));
            QVERIFY2(MenuKeys(message.Translation) == MenuKeys(message.Source), qPrintable(where));
        }

        // What lupdate finds in the sources now (as './x tr' runs it).
        QTemporaryDir scratch;
        const QString fresh = scratch.filePath(QStringLiteral("fresh.ts"));
        QStringList arguments{QStringLiteral("-I"), KSources, QStringLiteral("-locations"),
                              QStringLiteral("none")};
        for (const QString &room : KRooms)
            arguments << KSources + u'/' + room;
        arguments << QStringLiteral("-ts") << fresh;
        QProcess lupdate;
        lupdate.start(QStringLiteral(JBX_LUPDATE), arguments);
        QVERIFY(lupdate.waitForFinished(60000));
        QCOMPARE(lupdate.exitCode(), 0);
        const QSet<QString> inSources = Keys(ReadTs(fresh));
        const QSet<QString> inFile = Keys(shipped);
        QVERIFY2(inSources.size() > 100, lupdate.readAllStandardError().constData());
        QVERIFY2(inSources == inFile, qPrintable(QStringLiteral("run ./x tr; not translated: ") +
                                                 QStringList((inSources - inFile).values()).join(u'\n') +
                                                 QStringLiteral("\nno longer in the sources: ") +
                                                 QStringList((inFile - inSources).values()).join(u'\n')));
    }

    // The desktop's languages, most wanted first: the first the program
    // speaks wins, and English (the sources' own) before it keeps English.
    void theFirstLanguageSpokenIsLoaded_data()
    {
        QTest::addColumn<QStringList>("languages");
        QTest::addColumn<QString>("exit");
        QTest::newRow("German") << QStringList{"de-DE"} << "B&eenden";
        QTest::newRow("German of Austria") << QStringList{"de_AT"} << "B&eenden";
        QTest::newRow("English") << QStringList{"en-US"} << "E&xit";
        QTest::newRow("English before German") << QStringList{"en-GB", "de-DE"} << "E&xit";
        QTest::newRow("French, then German") << QStringList{"fr-FR", "de-DE"} << "B&eenden";
        QTest::newRow("the C locale, then German") << QStringList{"C", "de"} << "B&eenden";
        QTest::newRow("none spoken") << QStringList{"fr-FR", "ja-JP"} << "E&xit";
        QTest::newRow("none at all") << QStringList{} << "E&xit";
    }
    void theFirstLanguageSpokenIsLoaded()
    {
        QFETCH(QStringList, languages);
        QFETCH(QString, exit);
        const QList<QTranslator *> installed =
            InstallTranslations(languages, QStringLiteral(JBX_BUILD_DIR "/translations"),
                                QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        const auto removed = qScopeGuard([&installed] { qDeleteAll(installed); });
        QCOMPARE(QCoreApplication::translate("TFormMain", "E&xit"), exit);
        // Qt's own buttons follow when Qt ships that language.
        if (exit != QLatin1String("E&xit") &&
            QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                          QStringLiteral("/qtbase_de.qm")))
            QCOMPARE(installed.size(), 2);
    }

    // Texts handed straight to what shows them are translated: a literal as
    // the text of a label, button, menu item, hint, title or box slipped
    // past tr(). The program's name and the web address read the same in
    // every language.
    void noLiteralReachesTheScreen()
    {
        static const QRegularExpression shown(QStringLiteral(
            "(setText|setToolTip|setWindowTitle|setPlaceholderText|addAction|addTab|setTabText|YesNo|"
            "ErrorBox|"
            "ErrorBoxAndWait|new QAction|new QMenu|new QLabel|new QPushButton|new QCheckBox|new QGroupBox|"
            "NewButton|NewImage|NewLabel|NewCheckBox|SetHint|setHorizontalHeaderLabels|SetItems)\\("
            "\\s*(?:[\\w>.-]+,\\s*)*\\{?(QStringLiteral|QLatin1String|QString::from\\w+|u?\")\\(?\"?([^\")"
            "\\n]*)"));
        const QSet<QString> sameInEveryLanguage{QStringLiteral("Jotterbox"), QStringLiteral("%1 %2"),
                                                QStringLiteral("ManualFileName")};
        QStringList slipped;
        for (const QString &room : KRooms) {
            QDirIterator files(KSources + u'/' + room, {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                               QDir::Files);
            while (files.hasNext()) {
                QFile file(files.next());
                QVERIFY(file.open(QIODevice::ReadOnly));
                const QString text = QString::fromUtf8(file.readAll());
                for (const QRegularExpressionMatch &match : shown.globalMatch(text))
                    if (!sameInEveryLanguage.contains(match.captured(3)))
                        slipped << QDir(KSources).relativeFilePath(file.fileName()) + QStringLiteral(": ") +
                                       match.captured();
            }
        }
        QVERIFY2(slipped.isEmpty(), qPrintable(slipped.join(u'\n')));
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
