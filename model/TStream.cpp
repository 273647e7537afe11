#include "model/TStream.h"

#include "base/JbxError.h"

#include <QIODevice>

void TMemoryStream::FailRead() { throw EJbxError(JbxMessages::Text(JbxMessages::StreamRead)); }

void TMemoryStream::Grow(qint64 count)
{
    if (count < 0)
        throw EJbxError(JbxMessages::Text(JbxMessages::StreamWrite));
    if (FSink) {
        Flush();
        if (count <= FBytes.size())
            return;
    }
    FBytes.resize(qMax(FPosition + count, 2 * FBytes.size()));
}

void TMemoryStream::SpillTo(QIODevice &device, qint64 chunkSize)
{
    FSink = &device;
    Reserve(chunkSize);
}

void TMemoryStream::Flush()
{
    if (!FSink || FSize == 0)
        return;
    if (FSink->write(FBytes.constData(), FSize) != FSize)
        throw EJbxError(JbxMessages::Text(JbxMessages::StreamWrite));
    FSize = FPosition = 0;
}

QByteArray TMemoryStream::TakeBytes()
{
    FBytes.resize(FSize);
    FSize = FPosition = 0;
    return std::exchange(FBytes, QByteArray());
}

void TMemoryStream::Reserve(qint64 size)
{
    if (size <= FBytes.size())
        return;
    // reserve() takes exactly what is asked; resize() alone would round a
    // growing array up to the next power of two, nearly doubling it.
    FBytes.reserve(size);
    FBytes.resize(size);
}
