#pragma once

#include <QString>

#include <optional>

// What the results table shows: one session, optionally narrowed, in one order.
struct ResultsFilter {
    enum class Sort { Number, Name, Vault, Bars, Beam, Floor, AllAround };

    QString session;             // the session number
    std::optional<qint64> gymId; // none: every gym (0 is a gym's id like any other)
    QString level;               // empty: every level
    QString squad;               // empty: every squad
    std::optional<qint64> ageId; // none: every age division
    Sort sort = Sort::Number;
};
