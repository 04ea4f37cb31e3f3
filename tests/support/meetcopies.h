#pragma once

#include <QString>
#include <QStringList>

// Every row of every table of the meet file at `path`, as text, in a fixed
// order: two meet files hold the same meet when their lists are equal.
QStringList everyRow(const QString& path);

// A TCP port free now, for a server that must keep its port over a restart or
// a take-over, as on a laptop of its own.
quint16 freePort();
