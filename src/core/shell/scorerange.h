#pragma once

#include <QString>

#include <optional>

class MeetDatabase;

// The scores a judge or a panel can give at this meet: from 0 up to the meet's
// maximum score, 10 unless the meet information sets another. A judge's score,
// a start value and a final all lie in it; an adjustment, which is signed, has
// no such bound.
class ScoreRange {
public:
    static constexpr double DefaultMaximum = 10;
    // The highest maximum the operator may set.
    static constexpr double HighestMaximum = 100;
    // The name the maximum is stored under among Tallvane's own settings.
    static inline const QString SettingName = QStringLiteral("MaxScore");
    static inline const QString InvalidMaximumMessage =
        QStringLiteral("Maximum Score must be a number above 0 and at most 100.");

    explicit ScoreRange(double maximum = DefaultMaximum)
        : mMaximum(maximum) {}

    // The range of the open meet: its stored maximum, or the default when none
    // is stored. A stored value that cannot be read gives the default too,
    // with the reason in `error`.
    static ScoreRange ofMeet(MeetDatabase& db, QString* error = nullptr);
    // Stores the meet's maximum score.
    static bool store(MeetDatabase& db, double maximum, QString* error = nullptr);
    // A maximum as the operator types it: a number above 0, at most
    // HighestMaximum; std::nullopt for anything else.
    static std::optional<double> parseMaximum(const QString& text);

    double maximum() const { return mMaximum; }
    // The maximum as the meet information shows it: "10", "16.5".
    QString maximumText() const;
    bool contains(double score) const { return score >= 0 && score <= mMaximum; }

    // Why the score `text` given as `what` ("Judge 1", "Start", "Final") is
    // out of range, for the operator: "Judge 1: 86.000 is above the maximum
    // score of 10." The empty text when it is in range, empty or no number.
    QString problem(const QString& what, const QString& text) const;

private:
    double mMaximum;
};
