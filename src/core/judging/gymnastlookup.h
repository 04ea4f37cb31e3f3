#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <array>
#include <optional>

class MeetDatabase;

// One gymnast as a judge station or the manual score entry sees it for one
// event: who, the gym, level, squad and age group, and the scores stored for
// the event (for Vault, the second attempt's too).
namespace GymnastLookup {

struct Attempt {
    std::array<QVariant, 7> judges; // S1 ... S7, Null where none is stored
    QVariant start;
    QVariant adjustment;
};

struct Gymnast {
    QString firstName;
    QString lastName;
    QString gymName;
    QVariant level; // as stored: a station reads a number as a number
    QString squad;
    QString ageGroup; // her age division (AgeDivisions), or empty
    Attempt first;
    Attempt second; // Vault only
};

// Looks gymnast `number` up for event `eventNumber` (1 to 4); her age group
// is the one the results give her. False, with the engine's reason in
// `error`, when the meet cannot be read; `found` is empty when there is no
// such gymnast.
bool find(MeetDatabase& db, const QString& number, int eventNumber, std::optional<Gymnast>* found,
          QString* error = nullptr);

} // namespace GymnastLookup
