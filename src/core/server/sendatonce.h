#pragma once

#include <QByteArrayView>

class QTcpSocket;

// Writes `bytes` to a connected socket, handing them to the kernel at once
// when nothing waits in the socket's own buffer (so nothing is overtaken);
// what the kernel does not take waits in that buffer and goes out as the
// socket's own writes do. Writing through the socket alone switches its write
// notifier on and off again for every message, and under a GLib event loop
// each switch wakes the loop: a station's answer costs twice the system calls.
// A connection found gone is left to the reading side, which sees its end.
void sendAtOnce(QTcpSocket& socket, QByteArrayView bytes);
