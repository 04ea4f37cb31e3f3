#pragma once

#include <QtGlobal>

// Names one station's connection for as long as the server runs: a positive
// 32-bit integer, never reused while the server runs. It is the SocketID of the
// station's Connections row. 0 names no station (manual score entry).
using ConnectionId = qint32;
