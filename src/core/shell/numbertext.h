#pragma once

#include <QStringView>

#include <optional>

// The number a text holds, read as QString::toDouble() reads it, when that is
// a finite number; empty otherwise. Every value of a score passes through
// here several times on its way in, so the plain decimal forms judges send
// ("9.350", "10", "-0.1") are read without Qt's general parser; every other
// form goes through it.
std::optional<double> finiteNumber(QStringView text);
