#include "model/TStream.h"

#include "base/JbxError.h"

#include <QIODevice>

void TMemoryStream::ReadBuffer(void *data, qint64 count)
{
    if (count < 0 || count > BytesLeft())
        throw EJbxError(QString::fromLatin1(JbxMessages::StreamRead));
    if (count > 0)
        std::memcpy(data, FBytes.constData() + FPosition, size_t(count));
    FPosition += count;
}

void TMemoryStream::WriteBuffer(const void *data, qint64 count)
{
    if (count < 0)
        throw EJbxError(QString::fromLatin1(JbxMessages::StreamWrite));
    const qint64 end = FPosition + count;
    if (end > FBytes.size())
        FBytes.resize(end);
    if (count > 0)
        std::memcpy(FBytes.data() + FPosition, data, size_t(count));
    FPosition = end;
}

void TDeviceStream::ReadBuffer(void *data, qint64 count)
{
    if (count < 0 || FDevice.read(static_cast<char *>(data), count) != count)
        throw EJbxError(QString::fromLatin1(JbxMessages::StreamRead));
}

void TDeviceStream::WriteBuffer(const void *data, qint64 count)
{
    if (count < 0 || FDevice.write(static_cast<const char *>(data), count) != count)
        throw EJbxError(QString::fromLatin1(JbxMessages::StreamWrite));
}

qint64 TDeviceStream::Position() const { return FDevice.pos(); }

qint64 TDeviceStream::BytesLeft() const
{
    return FDevice.isSequential() ? -1 : FDevice.size() - FDevice.pos();
}
