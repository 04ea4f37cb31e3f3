#include "sendatonce.h"

#include <QTcpSocket>

#include <cerrno>

#include <sys/socket.h>

void sendAtOnce(QTcpSocket& socket, QByteArrayView bytes) {
    qsizetype sent = 0;
    if (socket.bytesToWrite() == 0) {
        const ssize_t written = ::send(int(socket.socketDescriptor()), bytes.data(),
                                       size_t(bytes.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (written >= 0)
            sent = qsizetype(written);
        else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return;
    }
    if (sent < bytes.size())
        socket.write(bytes.data() + sent, bytes.size() - sent);
}
