#include "base/Screen.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"
#include "support/TestTasks.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <limits>
#include <sys/stat.h>

namespace {
struct TRun {
    int ExitCode = -1;
    QByteArray Out;
    QByteArray Err;
};

TRun Jbxtool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(JBXTOOL_PATH), arguments);
    TRun run;
    if (!process.waitForFinished(30000))
        return run;
    run.ExitCode = process.exitCode();
    run.Out = process.readAllStandardOutput();
    run.Err = process.readAllStandardError();
    return run;
}
} // namespace

class TestJbxtool : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;
    QString FFile;
    QByteArray FBytes;
    qint64 FSecondRecordAt = 0;
    qint64 FThirdRecordAt = 0;
    QStringList FExported; // each task's text as export prints it

private slots:
    void initTestCase()
    {
        TUserInfo settings;
        TTaskList list(settings);
        for (int i = 0; i < 3; ++i)
            FillEveryField(*list.AddNewTask(), i);
        list.GetTask(2)->Text = "Plain UTF-8 \xc3\xa9\r\nsecond line";
        list.GetTask(2)->Spare2 = std::numeric_limits<double>::infinity(); // another program's bytes
        FBytes = list.SaveToBytes();
        list.Remove(list.GetTask(2));
        FThirdRecordAt = list.SaveToBytes().size();
        list.Remove(list.GetTask(1));
        FSecondRecordAt = list.SaveToBytes().size();
        FExported = QStringList{QStringLiteral("Call \u00e9milie\nabout the \u20ac invoice 0\n"),
                                QStringLiteral("Call \u00e9milie\nabout the \u20ac invoice 1\n"),
                                QStringLiteral("Plain UTF-8 \u00e9\nsecond line\n")};
        FFile = FDir.filePath("Jotterbox.dat");
        QVERIFY(WriteFileBytes(FFile, FBytes));
    }

    void dumpGivesOneObjectPerTaskInFieldOrder()
    {
        const TRun run = Jbxtool({"dump", FFile});
        QCOMPARE(run.ExitCode, 0);
        const QList<QByteArray> lines = run.Out.trimmed().split('\n');
        QCOMPARE(lines.size(), 4);
        for (const QByteArray &line : lines) {
            QJsonParseError error;
            QJsonDocument::fromJson(line, &error);
            QVERIFY2(error.error == QJsonParseError::NoError, line.constData());
        }
        const QJsonObject header = QJsonDocument::fromJson(lines[0]).object();
        QCOMPARE(header["magic"].toString(), QStringLiteral("jbx01"));
        QCOMPARE(header["digest"].toString(), QStringLiteral("D41D8CD98F00B204E9800998ECF8427E"));
        QCOMPARE(header["count"].toInt(), 3);

        QVERIFY(lines[1].startsWith("{\"Left\":-1000,\"Top\":200,\"Width\":300,"));
        const QJsonObject first = QJsonDocument::fromJson(lines[1]).object();
        QCOMPARE(first.size(), 28 + 1); // every field, plus the hex form of the 8-bit text
        QCOMPARE(first["Text"].toString(), QStringLiteral("Call \u00e9milie\r\nabout the \u20ac invoice 0"));
        QCOMPARE(first["TextHex"].toString(), QString::fromLatin1(FillTextHex()));
        QCOMPARE(first["Spare2"].toDouble(), 1.0e-300);
        QCOMPARE(first["Priority"].toInt(), 3);
        QCOMPARE(first["NoteOpen"].toBool(), true);

        const QJsonObject third = QJsonDocument::fromJson(lines[3]).object();
        QCOMPARE(third["Text"].toString(), QStringLiteral("Plain UTF-8 \u00e9\r\nsecond line"));
        QVERIFY(!third.contains("TextHex"));
        QVERIFY(third["Spare2"].isNull());
        QCOMPARE(third["Spare2Hex"].toString(), QStringLiteral("7ff0000000000000"));
    }

    void checkSaysWhereAFileBreaks()
    {
        QCOMPARE(Jbxtool({"check", FFile}).ExitCode, 0);

        // Ten bytes into the third record: Left and Top read, Width cut.
        const qint64 cutAt = FThirdRecordAt + 10;
        const QString cut = FDir.filePath("cut.dat");
        QVERIFY(WriteFileBytes(cut, FBytes.left(cutAt)));
        const TRun run = Jbxtool({"check", cut});
        QCOMPARE(run.ExitCode, 1);
        QVERIFY2(run.Out.contains("2 tasks read whole"), run.Out.constData());
        QVERIFY2(run.Out.contains("byte offset " + QByteArray::number(cutAt - 2)), run.Out.constData());

        const QString headless = FDir.filePath("headless.dat");
        QVERIFY(WriteFileBytes(headless, FBytes.left(20)));
        QVERIFY(Jbxtool({"check", headless}).Out.contains("0 tasks read whole"));
    }

    void roundTripIsByteIdentical()
    {
        const QString out = FDir.filePath("out.dat");
        QCOMPARE(Jbxtool({"roundtrip", FFile, out}).ExitCode, 0);
        QCOMPARE(ReadFileBytes(out), FBytes);
    }

    void exportGivesTheTexts()
    {
        const TRun run = Jbxtool({"export", FFile});
        QCOMPARE(run.ExitCode, 0);
        QCOMPARE(QString::fromUtf8(run.Out), FExported.join(u'\n'));
    }

    // A count smaller than the records that follow it: the program calls
    // the file damaged, and so does every command of the tool; none of them
    // passes a task over or writes a file without it.
    void shortCountIsDamageAndNoTaskIsDropped_data()
    {
        QTest::addColumn<qint32>("count");
        QTest::addColumn<qint64>("size");   // of the file, cut or whole
        QTest::addColumn<int>("whole");     // tasks in it, read whole
        QTest::addColumn<QString>("where"); // the offset check names
        const qint64 all = FBytes.size();
        QTest::newRow("two of three") << 2 << all << 3 << QString::number(FThirdRecordAt);
        QTest::newRow("none of three") << 0 << all << 3 << QStringLiteral("49");
        QTest::newRow("negative") << -1 << all << 3 << QStringLiteral("49");
        QTest::newRow("one, third cut") << 1 << FThirdRecordAt + 10 << 2 << QString::number(FSecondRecordAt);
    }
    void shortCountIsDamageAndNoTaskIsDropped()
    {
        QFETCH(qint32, count);
        QFETCH(qint64, size);
        QFETCH(int, whole);
        QFETCH(QString, where);
        QByteArray bytes = FBytes.left(size);
        const qint32 countAt = 4 + 5 + 4 + 32;
        std::memcpy(bytes.data() + countAt, &count, sizeof count); // little-endian here
        const QString file = FDir.filePath("short.dat");
        QVERIFY(WriteFileBytes(file, bytes));

        const TRun check = Jbxtool({"check", file});
        QCOMPARE(check.ExitCode, 1);
        QVERIFY2(check.Out.contains(": damaged: " + QByteArray::number(whole) + " tasks read whole") &&
                     check.Out.contains("byte offset " + where.toLatin1() + " (its count says"),
                 check.Out.constData());

        const QString out = FDir.filePath("short-out.dat");
        const TRun roundTrip = Jbxtool({"roundtrip", file, out});
        QVERIFY(roundTrip.ExitCode != 0);
        QVERIFY2(roundTrip.Err.contains("nothing written"), roundTrip.Err.constData());
        QVERIFY(!QFile::exists(out));

        const TRun exported = Jbxtool({"export", file});
        QVERIFY(exported.ExitCode != 0);
        QCOMPARE(QString::fromUtf8(exported.Out), FExported.mid(0, whole).join(u'\n'));
        QVERIFY2(exported.Err.contains("its count says") && exported.Err.contains("were exported"),
                 exported.Err.constData());

        const TRun dump = Jbxtool({"dump", file});
        QVERIFY(dump.ExitCode != 0);
        QCOMPARE(dump.Out.count('\n'), 1 + whole);
    }

    void badArgumentsAndFilesSayWhy()
    {
        for (const QStringList &args : {QStringList{}, QStringList{"dump"}, QStringList{"frobnicate", FFile},
                                        QStringList{"roundtrip", FFile}}) {
            const TRun run = Jbxtool(args);
            QVERIFY(run.ExitCode != 0);
            QCOMPARE(run.Err.count('\n'), 1);
        }
        const TRun missing = Jbxtool({"dump", FDir.filePath("nope.dat")});
        QVERIFY(missing.ExitCode != 0);
        QVERIFY(missing.Err.contains("Cannot open file"));
        QVERIFY(missing.Out.isEmpty());
        // Neither a FIFO (which would hold the tool up for good) nor an
        // endless device is read.
        const QString fifo = FDir.filePath("fifo.dat"), zero = FDir.filePath("zero.dat");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(QFile::link("/dev/zero", zero));
        for (const QString &special : {fifo, zero}) {
            const TRun run = Jbxtool({"check", special});
            QVERIFY(run.ExitCode != 0);
            QVERIFY2(run.Err.contains(("Cannot open file " + special + ": not a regular file").toUtf8()),
                     run.Err.constData());
        }
    }

private:
    static QByteArray FillTextHex()
    {
        return QByteArray("Call \xe9milie\r\nabout the \x80 invoice 0").toHex();
    }
};

QTEST_GUILESS_MAIN(TestJbxtool)
#include "tst_jbxtool.moc"
