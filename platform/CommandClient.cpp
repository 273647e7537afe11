#include "platform/CommandClient.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// Closes the descriptor whichever way the send ends.
class TDescriptor {
public:
    explicit TDescriptor(int fd) : Fd(fd) {}
    ~TDescriptor()
    {
        if (Fd >= 0)
            ::close(Fd);
    }
    TDescriptor(const TDescriptor &) = delete;
    TDescriptor &operator=(const TDescriptor &) = delete;
    const int Fd;
};

bool WriteAll(int fd, const QByteArray &data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t written = ::send(fd, data.constData() + done, size_t(data.size() - done), MSG_NOSIGNAL);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

// Connects to the instance at `path`: Delivered when connected to one of
// this user's.
TCommandSent Connect(const TDescriptor &socket, const QString &path)
{
    const QByteArray file = path.toLocal8Bit();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socket.Fd < 0 || file.size() >= qsizetype(sizeof address.sun_path))
        return TCommandSent::NoListener;
    std::memcpy(address.sun_path, file.constData(), size_t(file.size()));
    if (::connect(socket.Fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
        return errno == EACCES || errno == EPERM ? TCommandSent::Foreign : TCommandSent::NoListener;
    // A socket in the right place but of another user gets nothing: what the
    // user asks is for the user's own instance only.
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(socket.Fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.uid != ::geteuid())
        return TCommandSent::Foreign;
    return TCommandSent::Delivered;
}
} // namespace

bool CommandsReach(const QString &path)
{
    const TDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    return Connect(socket, path) == TCommandSent::Delivered;
}

TCommandSent SendCommand(const QString &path, const QString &name, int timeoutMs)
{
    const TDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (const TCommandSent connected = Connect(socket, path); connected != TCommandSent::Delivered)
        return connected;

    if (!WriteAll(socket.Fd, name.toLatin1() + '\n'))
        return TCommandSent::NoAnswer;
    QByteArray answer;
    char buffer[64];
    pollfd wait{socket.Fd, POLLIN, 0};
    // Up to the line end or the instance's hanging up.
    while (!answer.contains('\n')) {
        const int ready = ::poll(&wait, 1, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return TCommandSent::NoAnswer;
        const ssize_t got = ::recv(socket.Fd, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        answer.append(buffer, got);
        if (answer.size() > 64)
            break;
    }
    if (answer == "ok\n")
        return TCommandSent::Delivered;
    if (answer == "unknown\n")
        return TCommandSent::Unknown;
    return TCommandSent::NoAnswer;
}
