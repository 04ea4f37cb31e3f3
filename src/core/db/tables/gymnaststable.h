#pragma once

#include "meettable.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <optional>
#include <utility>

class MeetDatabase;

// The Gymnasts table: one row per competitor, found by her number (the text
// of Num). Every statement on the table is here; what a change alters is
// recorded with the meet's changes. Failures come back as false or
// std::nullopt with the reason in lastError().
class GymnastsTable : public MeetTable {
public:
    static inline const QString Name = QStringLiteral("Gymnasts");
    static inline const QString Num = QStringLiteral("Num");
    static inline const QString Session = QStringLiteral("Session");
    static inline const QString AA = QStringLiteral("AA");
    static inline const QString AAAdj = QStringLiteral("AAAdj");
    // The vault that counts for the all-around.
    static inline const QString VaultForAllAround = QStringLiteral("E7AAFinal");

    // A gymnast as a list shows her.
    struct Listed {
        QString num;
        QString firstName;
        QString lastName;
    };
    enum class Order { Number, Name };

    // What the operator edits of a gymnast. A Null level, session, squad or
    // gym keeps the stored value.
    struct Details {
        QString num;
        QString firstName;
        QString lastName;
        QString usag;
        QVariant birthday;
        QVariant level;
        QVariant session;
        QVariant squad;
        QVariant gymId;
        QVariant order;
        bool scratched = false;
        std::array<QVariant, 5> finals; // E1Final ... E4Final, AA (read only)
    };

    // What storing a score needs to know of her.
    struct BeforeScore {
        QString firstName;
        QString lastName;
        QString session;
        QVariant allAroundAdjustment;
        std::array<QVariant, 4> finals; // E1Final ... E4Final
    };

    // One attempt's stored scores: S1 ... S7, start value, adjustment.
    using Attempt = std::array<QVariant, 9>;
    // A gymnast as a judge station sees her for one event.
    struct AtEvent {
        QString firstName;
        QString lastName;
        QString gymShortName;
        QVariant level;
        QString squad;
        QVariant birthday;
        Attempt first;
        Attempt second; // the second vault
    };

    struct InSquad {
        QString num;
        QString firstName;
        QString lastName;
        QVariant eventFinal;
    };

    // A competing gymnast as the results read her.
    struct Competing {
        QString num;
        QString firstName;
        QString lastName;
        qint64 gymId = 0;
        QString level;
        QString squad;
        QVariant order; // her place in her squad's running order
        QVariant birthday;
        std::array<QVariant, 5> finals; // E1Final ... E4Final, AA
    };

    explicit GymnastsTable(MeetDatabase& db);

    std::optional<QList<Listed>> inSession(const QString& session, Order order);
    // Empty optional inside when there is no such gymnast.
    std::optional<std::optional<Details>> details(const QString& num);
    std::optional<std::optional<BeforeScore>> beforeScore(const QString& num);
    std::optional<std::optional<AtEvent>> atEvent(const QString& num, int eventNumber);
    // Competing gymnasts of a squad in running order, with the event's final.
    std::optional<QList<InSquad>> squad(const QString& session, const QString& squad,
                                        int eventNumber);
    // The squads that have competing gymnasts, by session.
    std::optional<QList<std::pair<QString, QString>>> sessionSquads();
    std::optional<QList<Competing>> competingIn(const QString& session);

    // Saves what the operator edited; false with an empty lastError() when
    // there is no such gymnast.
    bool saveDetails(const Details& edited);
    // Writes a score's columns (name, value) into her row, for `event` of
    // her session. True with nothing written for an unknown number.
    bool storeScore(const QString& num, const QString& event, const QString& session,
                    const QList<std::pair<QString, QVariant>>& columns);
};
