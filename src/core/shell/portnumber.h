#pragma once

#include <QString>

#include <optional>

// A TCP port as the settings and the command line write it: a whole number
// from 0 to 65535. Nothing for any other text.
inline std::optional<quint16> portNumber(const QString& text) {
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || port > 65535)
        return std::nullopt;
    return quint16(port);
}
