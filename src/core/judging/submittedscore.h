#pragma once

#include <QString>
#include <QStringList>

#include <array>

class MessageFields;

// One panel's score for one gymnast and event, as a primary judge station sends
// it ("SENDSCORE") or as the operator enters it by hand. Every value is kept as
// typed: whether it is a number is decided where it is stored.
struct SubmittedScore {
    static constexpr int MaxJudges = 4;

    // The scores of one attempt (the event's only one, or a vault).
    struct Attempt {
        std::array<QString, MaxJudges> judges;
        QString start;
        QString adjustment;
        QString bScore; // the panel score before the adjustment

        bool operator==(const Attempt&) const = default;
    };

    QString num;
    QString event;
    Attempt first;
    Attempt second; // Vault only: the second vault
    QString finalText;
    bool testScore = false; // tries the displays out; no gymnast changes

    // The fields of a "SENDSCORE" message (field 0 the command word):
    //   SENDSCORE|num|judges|mode|event|J1|J2|J3|J4||||start|adj|B|final|test
    // and for Vault the second vault before the test flag:
    //   ...|final|J1|J2|J3|J4||||start|adj|B|test
    // Missing fields count as empty; the test flag is "1" for a test score.
    static SubmittedScore fromFields(const QStringList& fields);
    static SubmittedScore fromFields(const MessageFields& fields);

    bool operator==(const SubmittedScore&) const = default;
};
