#pragma once

#include <QString>

// What the results table shows: one session, optionally narrowed, in one order.
struct ResultsFilter {
    enum class Sort { Number, Name, Vault, Bars, Beam, Floor, AllAround };

    QString session;  // the session number
    qint64 gymId = 0; // 0: every gym
    QString level;    // empty: every level
    QString squad;    // empty: every squad
    qint64 ageId = 0; // 0: every age division
    Sort sort = Sort::Number;
};
