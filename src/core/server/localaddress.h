#pragma once

#include <QString>

namespace LocalAddress {

// The address stations should be pointed at: the machine's first IPv4 address
// that is not a loopback one, else 127.0.0.1. The server listens on every IPv4
// interface, so a wrong guess here never locks stations out.
QString guess();

} // namespace LocalAddress
