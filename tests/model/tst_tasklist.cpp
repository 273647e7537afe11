#include "base/JbxError.h"
#include "base/SafeFile.h"
#include "base/Screen.h"
#include "model/TStream.h"
#include "model/TTask.h"
#include "model/TTaskList.h"
#include "settings/TUserInfo.h"
#include "support/TestTasks.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QByteArray EmptyFile("\x05\0\0\0jbx01\x20\0\0\0D41D8CD98F00B204E9800998ECF8427E\0\0\0\0", 49);

QByteArray Int32(qint32 v) { return QByteArray(reinterpret_cast<const char *>(&v), 4); }

// A header with the given strings and count, as another writer might make.
QByteArray Header(const QByteArray &magic, const QByteArray &digest, qint32 count)
{
    return Int32(qint32(magic.size())) + magic + Int32(qint32(digest.size())) + digest + Int32(count);
}

QString ErrorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const EJbxError &error) {
        return error.Message();
    }
    return QString();
}

// Reads through a memory stream and notes the largest read asked for.
class TWatchedStream : public TStream {
public:
    explicit TWatchedStream(const QByteArray &bytes) : FInner(bytes) {}
    qint64 LargestRead = 0;

    void ReadBuffer(void *data, qint64 count) override
    {
        LargestRead = qMax(LargestRead, count);
        FInner.ReadBuffer(data, count);
    }
    void WriteBuffer(const void *data, qint64 count) override { FInner.WriteBuffer(data, count); }
    qint64 Position() const override { return FInner.Position(); }
    qint64 BytesLeft() const override { return FInner.BytesLeft(); }

private:
    TMemoryStream FInner;
};

// A device that takes only so many bytes, like a disk that fills up.
class TFullDisk : public QBuffer {
public:
    explicit TFullDisk(qint64 room) : FRoom(room) { open(QIODevice::WriteOnly); }

protected:
    qint64 writeData(const char *data, qint64 len) override
    {
        const qint64 n = qMin(len, FRoom - size());
        return n <= 0 ? -1 : QBuffer::writeData(data, n);
    }

private:
    qint64 FRoom;
};
} // namespace

class TestTaskList : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    QByteArray ThreeTasks(TUserInfo &settings)
    {
        TTaskList list(settings);
        for (int i = 0; i < 3; ++i)
            FillEveryField(*list.AddNewTask(), i);
        return list.SaveToBytes();
    }

private slots:
    void init()
    {
        ResetCascade();
        SetPrimaryScreenSizeFunction([] { return QSize(1920, 1080); });
    }

    void emptyListIs49Bytes()
    {
        TUserInfo settings;
        TTaskList list(settings);
        QCOMPARE(list.SaveToBytes(), EmptyFile);
        const QString path = FDir.filePath("empty.dat");
        list.SaveToFile(path);
        QCOMPARE(ReadFileBytes(path), EmptyFile);
        // Notes are private: a new data file is readable by its owner only.
        QCOMPARE(QFileInfo(path).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    }

    void fileRoundTripKeepsEveryFieldAndOrder()
    {
        TUserInfo settings;
        const QByteArray bytes = ThreeTasks(settings);
        const QString path = FDir.filePath("three.dat");
        QVERIFY(WriteFileBytes(path, bytes));
        TTaskList loaded(settings);
        loaded.LoadFromFile(path);
        QCOMPARE(loaded.Count(), 3);
        for (int i = 0; i < 3; ++i) {
            TUserInfo scratch;
            TTask expected(scratch);
            FillEveryField(expected, i);
            QCOMPARE(*loaded.GetTask(i), expected);
        }
        loaded.SaveToFile(path);
        QCOMPARE(ReadFileBytes(path), bytes);
    }

    void largeFilesAreWrittenWhole()
    {
        // Several megabytes go through the save buffer in pieces, and one
        // text is larger than the whole buffer.
        TUserInfo settings;
        TTaskList list(settings);
        for (int i = 0; i < 12000; ++i) {
            TTask *task = list.AddNewTask();
            task->Text = QByteArray(150 + i % 100, char('a' + i % 26));
        }
        list.GetTask(5000)->Text = QByteArray(3 << 20, 'z');
        const QString path = FDir.filePath("large.dat");
        list.SaveToFile(path);
        QCOMPARE(ReadFileBytes(path), list.SaveToBytes());
        TTaskList back(settings);
        back.LoadFromFile(path);
        QCOMPARE(back.Count(), 12000);
        QCOMPARE(back.GetTask(5000)->Text.size(), 3 << 20);
        QCOMPARE(back.GetTask(11999)->Text, list.GetTask(11999)->Text);
        QCOMPARE(back.GetTask(11999)->FontName, QByteArray("Comic Sans MS")); // shared, not lost
    }

    void loadingAppendsAndMovesTheRotation()
    {
        TUserInfo settings;
        const QByteArray bytes = ThreeTasks(settings);
        settings.DefaultColor = 4;
        ResetCascade();
        TTaskList list(settings);
        list.AddNewTask();
        TMemoryStream stream(bytes);
        list.LoadFromStream(stream);
        QCOMPARE(list.Count(), 4);
        QCOMPARE(settings.DefaultColor, 3); // four steps from 4: 5, 1, 2, 3
        QCOMPARE(list.AddNewTask()->Left, 120 + 4 * 20);
    }

    void foreignHeadersAreTaken()
    {
        TUserInfo settings;
        TTaskList list(settings);
        TMemoryStream stream(Header("xyz", "ABC", 0));
        list.LoadFromStream(stream);
        QCOMPARE(list.Count(), 0);
        // The digest is carried; the magic is always our own.
        QCOMPARE(list.SaveToBytes(), Header("jbx01", "ABC", 0));

        TTaskList negative(settings);
        TMemoryStream negativeCount(Header("jbx01", "D", -5));
        negative.LoadFromStream(negativeCount);
        QCOMPARE(negative.Count(), 0);
    }

    void damagedFilesKeepWhatWasRead()
    {
        TUserInfo settings;
        const QByteArray bytes = ThreeTasks(settings);
        const qint64 recordSize = (bytes.size() - 49) / 3;

        // Cut in the middle of the third record.
        TTaskList list(settings);
        TMemoryStream cut(bytes.left(49 + 2 * recordSize + recordSize / 2));
        QCOMPARE(ErrorOf([&] { list.LoadFromStream(cut); }), QStringLiteral("Stream read error"));
        QCOMPARE(list.Count(), 3);
        TUserInfo scratch;
        TTask second(scratch);
        FillEveryField(second, 1);
        QCOMPARE(*list.GetTask(1), second);
        QCOMPARE(list.GetTask(2)->Left, -1000 + 2);                 // read before the cut
        QCOMPARE(list.GetTask(2)->Priority, TTask::PriorityNormal); // a default

        // Cut at every length: never a crash, never more tasks than counted.
        for (qsizetype length = 0; length < bytes.size(); length += 7) {
            TTaskList partial(settings);
            TMemoryStream stream(bytes.left(length));
            QCOMPARE(ErrorOf([&] { partial.LoadFromStream(stream); }), QStringLiteral("Stream read error"));
            QVERIFY(partial.Count() <= 3);
        }
    }

    void corruptedBytesNeverCrash()
    {
        // Damage a valid file at random places (with a fixed seed): every
        // load either completes or fails with the read error.
        TUserInfo settings;
        const QByteArray bytes = ThreeTasks(settings);
        quint32 seed = 12345;
        auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
        for (int round = 0; round < 3000; ++round) {
            QByteArray damaged = bytes;
            for (int flips = 1 + next() % 4; flips > 0; --flips)
                damaged[qsizetype(next() % quint32(damaged.size()))] = char(next() >> 16);
            TTaskList list(settings);
            TMemoryStream stream(damaged);
            const QString error = ErrorOf([&] { list.LoadFromStream(stream); });
            QVERIFY(error.isEmpty() || error == QStringLiteral("Stream read error"));
            QVERIFY(qint64(list.Count()) * 105 <= damaged.size());
        }
    }

    void impossibleStringCountsAreReadErrors()
    {
        TUserInfo settings;
        for (qint32 count : {-1, INT32_MIN, 1000, INT32_MAX}) {
            TTaskList list(settings);
            TWatchedStream badMagic(Int32(count) + "jbx01");
            QCOMPARE(ErrorOf([&] { list.LoadFromStream(badMagic); }), QStringLiteral("Stream read error"));
            QCOMPARE(badMagic.LargestRead, 4); // nothing asked for on the count's word

            // The same inside a record: FontName's count at offset 20.
            QByteArray record = ThreeTasks(settings).left(49 + 200);
            record.replace(49 + 20, 4, Int32(count));
            TWatchedStream badFont(record);
            QCOMPARE(ErrorOf([&] { list.LoadFromStream(badFont); }), QStringLiteral("Stream read error"));
            QCOMPARE(list.Count(), 1);
            QVERIFY(badFont.LargestRead <= 32); // the digest was the longest
        }
    }

    void listOperations()
    {
        TUserInfo settings;
        TTaskList list(settings);
        TTask *a = list.AddNewTask();
        TTask *b = list.AddNewTask();
        TTask *c = list.AddNewTask();
        QCOMPARE(ErrorOf([&] { list.GetTask(3); }), QStringLiteral("List index out of bounds (3)"));
        QCOMPARE(ErrorOf([&] { list.GetTask(-1); }), QStringLiteral("List index out of bounds (-1)"));
        QCOMPARE(list.Remove(b), 1);
        QCOMPARE(list.Remove(b), -1);
        QCOMPARE(list.Count(), 2);
        QCOMPARE(list.GetTask(1), c);
        // A removed task stays usable for whoever still shows it.
        b->Text = "still here";
        list.DisposeRemoved(b);
        list.DisposeRemoved(b); // twice: ignored
        list.DisposeRemoved(a); // in the list: ignored
        QCOMPARE(list.GetTask(0), a);
        // The next task may take the disposed one's place, fully made anew.
        TTask *d = list.AddNewTask();
        QCOMPARE(d->Text, QByteArray("New Note"));
        QCOMPARE(list.Count(), 3);
        QCOMPARE(list.GetTask(2), d);
    }

    void failuresAreReported()
    {
        TUserInfo settings;
        TTaskList list(settings);
        FillEveryField(*list.AddNewTask(), 0);

        // A save is written through a buffer that spills to the file.
        TFullDisk disk(100);
        TMemoryStream stream;
        stream.SpillTo(disk, 64);
        QCOMPARE(ErrorOf([&] {
                     list.SaveToStream(stream);
                     stream.Flush();
                 }),
                 QStringLiteral("Stream write error"));

        const QString missing = FDir.filePath("no-such-dir/Jotterbox.dat");
        QCOMPARE(ErrorOf([&] { list.SaveToFile(missing); }), "Cannot create file " + missing);
        QCOMPARE(ErrorOf([&] { list.LoadFromFile(missing); }), "Cannot open file " + missing);
    }

    void aFailedWriteLeavesTheOldFileWhole()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("Jotterbox.dat");
        QVERIFY(WriteFileBytes(path, "old content"));
        const auto refuse = [](QIODevice &file) { return file.write("half of the new") < 0; };
        QCOMPARE(WriteFileSafely(path, false, refuse), TSafeWrite::WriteFailed);
        const auto fail = [](QIODevice &file) -> bool {
            file.write("half of the new");
            throw EJbxError("Stream write error");
        };
        QVERIFY_THROWS_EXCEPTION(EJbxError, WriteFileSafely(path, false, fail));
        QCOMPARE(ReadFileBytes(path), QByteArray("old content"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"Jotterbox.dat"}); // no leftovers
    }

    // A save that would write what the file already holds leaves the file
    // itself alone (no new file in its place, no flush) unless asked to
    // rewrite it; any difference, a longer or a shorter content included,
    // replaces it.
    void saveOfTheSameBytesLeavesTheFileAlone_data()
    {
        QTest::addColumn<QByteArray>("old");
        QTest::addColumn<QByteArray>("next");
        QTest::addColumn<bool>("rewriteSame");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("same") << QByteArray("content") << QByteArray("content") << false << false;
        QTest::newRow("empty both") << QByteArray() << QByteArray() << false << false;
        QTest::newRow("same, rewritten") << QByteArray("content") << QByteArray("content") << true << true;
        QTest::newRow("one byte differs") << QByteArray("content") << QByteArray("contend") << false << true;
        QTest::newRow("longer") << QByteArray("content") << QByteArray("content+") << false << true;
        QTest::newRow("shorter") << QByteArray("content") << QByteArray("conten") << false << true;
    }

    void saveOfTheSameBytesLeavesTheFileAlone()
    {
        QFETCH(QByteArray, old);
        QFETCH(QByteArray, next);
        QFETCH(bool, rewriteSame);
        QFETCH(bool, replaced);
        QTemporaryDir folder;
        const QString path = folder.filePath("Jotterbox.dat");
        QVERIFY(WriteFileBytes(path, old));
        // A second name of the file in place now: a new file renamed over
        // the first name leaves this one apart, with the old content.
        const QString kept = folder.filePath("kept");
        QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(kept).constData()), 0);
        const auto write = [&next](QIODevice &file) { return file.write(next) == next.size(); };
        QCOMPARE(WriteFileSafely(path, false, write, rewriteSame), TSafeWrite::Done);
        QCOMPARE(ReadFileBytes(path), next);
        struct stat first {
        }, second{};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &first), 0);
        QCOMPARE(::stat(QFile::encodeName(kept).constData(), &second), 0);
        QCOMPARE(first.st_ino != second.st_ino, replaced);
        QVERIFY(QFile::remove(kept));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"Jotterbox.dat"}); // no leftovers
    }
};

QTEST_GUILESS_MAIN(TestTaskList)
#include "tst_tasklist.moc"
