#include "fuzz/ReaderEntries.h"
#include "fuzz/SyncEntries.h"
#include "fuzz/TAllocationWatch.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <optional>

namespace {
const QString Source = QStringLiteral(JBX_SOURCE_DIR);

// One row per file in the folders: what once broke a reader (tests/fuzz)
// and the seeds the fuzzers start from (fuzz/corpus).
void AddRows(const QString &kind)
{
    QTest::addColumn<QString>("path");
    int rows = 0;
    for (const QString &folder :
         {Source + QStringLiteral("/tests/fuzz/") + kind, Source + QStringLiteral("/fuzz/corpus/") + kind}) {
        const QDir dir(folder);
        for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
            QTest::newRow(qPrintable(dir.dirName() + u'/' + name)) << dir.filePath(name);
            ++rows;
        }
    }
    QVERIFY2(rows > 0, "no inputs found");
}

std::optional<QByteArray> Contents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}
} // namespace

class TestFuzzInputs : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Where the sanitizer runtime runs (./x test --sanitize), the
        // allocation bound is checked too.
        qInfo("allocation bound %s", TAllocationWatch::Available() ? "checked" : "not checked in this build");
    }

    void dataFiles_data() { AddRows(QStringLiteral("datafile")); }
    void dataFiles()
    {
        QFETCH(QString, path);
        const std::optional<QByteArray> bytes = Contents(path);
        QVERIFY2(bytes, qPrintable(path));
        const QString problem = ReaderEntries::ReadDataFile(*bytes);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void settingsFiles_data() { AddRows(QStringLiteral("settings")); }
    void settingsFiles()
    {
        QFETCH(QString, path);
        const std::optional<QByteArray> bytes = Contents(path);
        QVERIFY2(bytes, qPrintable(path));
        const QString problem = ReaderEntries::ReadSettingsFile(*bytes);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void calendarObjects_data() { AddRows(QStringLiteral("calendar")); }
    void calendarObjects()
    {
        QFETCH(QString, path);
        const std::optional<QByteArray> bytes = Contents(path);
        QVERIFY2(bytes, qPrintable(path));
        const QString problem = SyncEntries::ReadCalendarObject(*bytes);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void multistatusAnswers_data() { AddRows(QStringLiteral("multistatus")); }
    void multistatusAnswers()
    {
        QFETCH(QString, path);
        const std::optional<QByteArray> bytes = Contents(path);
        QVERIFY2(bytes, qPrintable(path));
        const QString problem = SyncEntries::ReadMultistatus(*bytes);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
};

QTEST_GUILESS_MAIN(TestFuzzInputs)
#include "tst_fuzzinputs.moc"
