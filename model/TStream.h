#pragma once

#include <QByteArray>
#include <QtEndian>
#include <cstring>
#include <type_traits>
#include <utility>

class QIODevice;

// Typed reads and writes on any stream class. Called with the concrete
// class (TMemoryStream is final), the byte copies inline: loading a large
// file makes tens of millions of them.
template <class T, class S> T StreamRead(S &stream)
{
    if constexpr (std::is_same_v<T, double>) {
        const quint64 bits = StreamRead<quint64>(stream);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    } else if constexpr (std::is_same_v<T, bool>) {
        return StreamRead<quint8>(stream) != 0;
    } else {
        T value;
        stream.ReadBuffer(&value, sizeof value);
        return qFromLittleEndian(value);
    }
}

template <class S, class T> void StreamWrite(S &stream, T value)
{
    if constexpr (std::is_same_v<T, double>) {
        quint64 bits;
        std::memcpy(&bits, &value, sizeof bits);
        StreamWrite(stream, bits);
    } else if constexpr (std::is_same_v<T, bool>) {
        StreamWrite<S, quint8>(stream, value ? 1 : 0);
    } else {
        const T little = qToLittleEndian(value);
        stream.WriteBuffer(&little, sizeof little);
    }
}

// A byte stream with read-exactly and write-exactly primitives: a short
// read fails with "Stream read error", a short write with "Stream write
// error". Integers and doubles are little-endian on every platform.
class TStream {
public:
    virtual ~TStream() = default;

    virtual void ReadBuffer(void *data, qint64 count) = 0;
    virtual void WriteBuffer(const void *data, qint64 count) = 0;
    virtual qint64 Position() const = 0;
    // Bytes between the position and the end, or -1 when unknown.
    virtual qint64 BytesLeft() const = 0;
    // Reads count bytes and shows them where they stand, for streams that
    // hold them in memory; otherwise returns null and reads nothing.
    virtual const char *ReadInPlace(qint64 count)
    {
        Q_UNUSED(count);
        return nullptr;
    }

    template <class T> T Read() { return StreamRead<T>(*this); }
    template <class T> void Write(T value) { StreamWrite(*this, value); }
};

// A stream over bytes in memory: reads from the position, writes at the
// position (growing the bytes at the end).
class TMemoryStream final : public TStream {
public:
    TMemoryStream() = default;

    explicit TMemoryStream(QByteArray bytes) : FBytes(std::move(bytes)), FSize(FBytes.size()) {}

    void ReadBuffer(void *data, qint64 count) override
    {
        if (count < 0 || count > BytesLeft())
            FailRead();
        std::memcpy(data, FBytes.constData() + FPosition, size_t(count));
        FPosition += count;
    }
    void WriteBuffer(const void *data, qint64 count) override
    {
        if (count < 0 || FPosition + count > FBytes.size())
            Grow(count); // may also move the position back to 0
        std::memcpy(FBytes.data() + FPosition, data, size_t(count));
        FPosition += count;
        if (FPosition > FSize)
            FSize = FPosition;
    }
    qint64 Position() const override { return FPosition; }
    qint64 BytesLeft() const override { return FSize - FPosition; }
    const char *ReadInPlace(qint64 count) override
    {
        if (count < 0 || count > BytesLeft())
            FailRead();
        const char *bytes = FBytes.constData() + FPosition;
        FPosition += count;
        return bytes;
    }

    // A position outside the bytes is taken as their nearer end: a read
    // from there then fails instead of reaching outside the buffer.
    void Seek(qint64 position) { FPosition = qBound<qint64>(0, position, FSize); }
    // From now on, whenever chunkSize bytes are waiting, they go to the
    // device and the stream starts again at position 0: a large file is
    // written through a small buffer. Flush() sends what is left.
    void SpillTo(QIODevice &device, qint64 chunkSize);
    void Flush();
    QByteArray Bytes() const { return FBytes.left(FSize); }
    QByteArray TakeBytes();
    void Reserve(qint64 size);

private:
    [[noreturn]] static void FailRead();
    void Grow(qint64 count);

    // FBytes grows ahead of the written size, so a field write is a copy
    // and not a resize.
    QByteArray FBytes;
    QIODevice *FSink = nullptr;
    qint64 FSize = 0;
    qint64 FPosition = 0;
};
