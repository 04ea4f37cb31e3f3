#pragma once

#include <QString>

// For functions that tell why they failed through an optional `QString* error`:
// writes the reason where the caller asked for it and gives false, so that a
// failure is one `return reportFailure(error, reason);`.
inline bool reportFailure(QString* error, const QString& reason) {
    if (error)
        *error = reason;
    return false;
}
