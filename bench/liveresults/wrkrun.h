#pragma once

#include <QString>

#include <functional>

class QObject;

// What wrk measured of one address.
struct WrkFigures {
    double perSecond = 0;
    QString trouble; // wrk's error lines, if any
};

// Runs wrk (2 threads, 50 connections, 5 s) against `path` of the web port
// `port` on 127.0.0.1, from the event loop: fills `figures` and calls `then`,
// or calls `failed` with why. The process belongs to `owner` while it runs.
void runWrk(QObject& owner, quint16 port, const QString& path, WrkFigures& figures,
            std::function<void(const QString&)> failed, std::function<void()> then);
