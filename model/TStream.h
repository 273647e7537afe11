#pragma once

#include <QByteArray>
#include <QtEndian>
#include <cstring>
#include <utility>

class QIODevice;

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

    template <class T> T Read()
    {
        T value;
        ReadBuffer(&value, sizeof value);
        return qFromLittleEndian(value);
    }
    template <class T> void Write(T value)
    {
        const T little = qToLittleEndian(value);
        WriteBuffer(&little, sizeof little);
    }
    double ReadDouble()
    {
        const quint64 bits = Read<quint64>();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    void WriteDouble(double value)
    {
        quint64 bits;
        std::memcpy(&bits, &value, sizeof bits);
        Write(bits);
    }
    bool ReadFlag() { return Read<quint8>() != 0; }
    void WriteFlag(bool value) { Write<quint8>(value ? 1 : 0); }
};

// A stream over bytes in memory: reads from the position, writes at the
// position (growing the bytes at the end).
class TMemoryStream final : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(QByteArray bytes) : FBytes(std::move(bytes)) {}

    void ReadBuffer(void *data, qint64 count) override;
    void WriteBuffer(const void *data, qint64 count) override;
    qint64 Position() const override { return FPosition; }
    qint64 BytesLeft() const override { return FBytes.size() - FPosition; }

    void Seek(qint64 position) { FPosition = position; }
    const QByteArray &Bytes() const { return FBytes; }
    QByteArray TakeBytes() { return std::exchange(FBytes, QByteArray()); }
    void Reserve(qint64 size) { FBytes.reserve(size); }

private:
    QByteArray FBytes;
    qint64 FPosition = 0;
};

// A stream over an open device; the device keeps its own position.
class TDeviceStream final : public TStream {
public:
    explicit TDeviceStream(QIODevice &device) : FDevice(device) {}

    void ReadBuffer(void *data, qint64 count) override;
    void WriteBuffer(const void *data, qint64 count) override;
    qint64 Position() const override;
    qint64 BytesLeft() const override;

private:
    QIODevice &FDevice;
};
