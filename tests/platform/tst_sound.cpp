// Which files the sound layer hands to the player. A WAV file that promises
// more than it holds leaves the player's load waiting for good, and the next
// change of sound waits for that load; such files must never reach it.

#include "platform/Sound.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {
QByteArray Le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray Le16(quint16 value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

struct TWave {
    quint16 Tag = 1; // integer samples
    quint16 Channels = 1;
    quint32 Rate = 22050;
    quint16 Bits = 16;
    int Align = -1; // -1: channels * bytes per sample
    quint32 FormatLength = 16;
    QByteArray Data = QByteArray(4000, '\x10');
    qint64 DataLength = -1; // -1: the data's own length
    QByteArray Before;      // chunks between the format and the data

    QByteArray Bytes() const
    {
        const quint16 align = Align < 0 ? quint16(Channels * (Bits / 8)) : quint16(Align);
        QByteArray format =
            Le16(Tag) + Le16(Channels) + Le32(Rate) + Le32(Rate * align) + Le16(align) + Le16(Bits);
        format += QByteArray(FormatLength > 16 && FormatLength < 64 ? FormatLength - 16 : 0, '\0');
        QByteArray body = "WAVE" + QByteArray("fmt ") + Le32(FormatLength) + format + Before + "data" +
                          Le32(quint32(DataLength < 0 ? Data.size() : DataLength)) + Data;
        return "RIFF" + Le32(quint32(body.size())) + body;
    }
};
} // namespace

class TestSound : public QObject {
    Q_OBJECT

    QTemporaryDir FDir;

    QString Write(const QByteArray &bytes)
    {
        const QString path = FDir.filePath(QStringLiteral("%1.wav").arg(QTest::currentDataTag()));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            return {};
        return path;
    }

private slots:
    void wholeFilesPlay_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("mono 16") << TWave().Bytes();
        TWave stereo8;
        stereo8.Channels = 2;
        stereo8.Bits = 8;
        QTest::newRow("stereo 8") << stereo8.Bytes();
        TWave floats;
        floats.Tag = 3;
        floats.Bits = 32;
        QTest::newRow("float 32") << floats.Bytes();
        TWave extended;
        extended.FormatLength = 18; // a format with its extension size
        QTest::newRow("format 18") << extended.Bytes();
        TWave listed;
        listed.Before = "LIST" + Le32(5) + "hello" + '\0'; // odd length, padded
        QTest::newRow("odd chunk before the data") << listed.Bytes();
        QByteArray riffLies = TWave().Bytes();
        qToLittleEndian<quint32>(0xFFFFFFFF, riffLies.data() + 4); // the decoder reads chunk by chunk
        QTest::newRow("riff size too large") << riffLies;
    }

    void wholeFilesPlay()
    {
        QFETCH(QByteArray, bytes);
        const QString path = Write(bytes);
        QVERIFY(!path.isEmpty());
        QVERIFY(IsPlayableWave(path));
    }

    void damagedFilesDoNot_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("cut in the header") << TWave().Bytes().left(30);
        QTest::newRow("cut in the data") << TWave().Bytes().chopped(1000);
        TWave lyingData;
        lyingData.DataLength = 0xFFFFFFF0;
        QTest::newRow("data longer than the file") << lyingData.Bytes();
        TWave lyingFormat;
        lyingFormat.FormatLength = 0xFFFFFFF0;
        QTest::newRow("format longer than the file") << lyingFormat.Bytes();
        TWave partFrame;
        partFrame.Data = "\x01\x02\x03";
        QTest::newRow("half a frame at the end") << partFrame.Bytes();
        TWave noData;
        noData.Data.clear();
        QTest::newRow("no samples") << noData.Bytes();
        TWave noChannels;
        noChannels.Channels = 0;
        QTest::newRow("no channels") << noChannels.Bytes();
        TWave noRate;
        noRate.Rate = 0;
        QTest::newRow("no rate") << noRate.Bytes();
        TWave oddBits;
        oddBits.Bits = 7;
        QTest::newRow("7 bits") << oddBits.Bytes();
        TWave wrongAlign;
        wrongAlign.Align = 0;
        QTest::newRow("no frame size") << wrongAlign.Bytes();
        QByteArray dataFirst = TWave().Bytes();
        dataFirst.replace("fmt ", "junk"); // the data comes without a format
        QTest::newRow("no format") << dataFirst;
        QTest::newRow("text") << QByteArray("this is not a sound\n").repeated(20);
        QTest::newRow("png") << QByteArray("\x89PNG\r\n\x1a\n") + QByteArray(200, 'x');
        TWave compressed;
        compressed.Tag = 2; // ADPCM: no decoder for it
        QTest::newRow("compressed samples") << compressed.Bytes();
        TWave manyChunks;
        for (int i = 0; i < MaxWaveChunks; ++i)
            manyChunks.Before += "junk" + Le32(0);
        QTest::newRow("more chunks than any sound has") << manyChunks.Bytes();
    }

    void damagedFilesDoNot()
    {
        QFETCH(QByteArray, bytes);
        const QString path = Write(bytes);
        QVERIFY(!path.isEmpty());
        QVERIFY(!IsPlayableWave(path));
    }

    void tooMuchSoundIsNotRead()
    {
        // A real file past the limit: sparse, so it costs no disk.
        TWave big;
        big.Data.clear();
        big.DataLength = MaxWaveDataBytes + 2;
        const QString path = FDir.filePath(QStringLiteral("big.wav"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(big.Bytes());
        QVERIFY(file.resize(file.size() + MaxWaveDataBytes + 2));
        file.close();
        QVERIFY(!IsPlayableWave(path));
    }

    void otherThanFilesDoNot()
    {
        QVERIFY(!IsPlayableWave(FDir.filePath(QStringLiteral("missing.wav"))));
        const QString folder = FDir.filePath(QStringLiteral("folder.wav"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(!IsPlayableWave(folder));
        QVERIFY(!IsPlayableWave(QStringLiteral("/dev/zero")));
        QVERIFY(!IsPlayableWave(QString()));
    }
};

QTEST_GUILESS_MAIN(TestSound)
#include "tst_sound.moc"
