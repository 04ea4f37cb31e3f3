#pragma once

#include "connectionid.h"

#include <QList>
#include <QSet>
#include <QString>

#include <optional>

class MeetDatabase;

// The Connections table: one row per logged-in station, written at log-in and
// removed at log-out, read by the heartbeat round and by whatever talks to a
// group of stations. Every statement on the table is here. Failures come back
// as false or std::nullopt with the reason in lastError().
class ConnectionsTable {
public:
    static inline const QString Name = QStringLiteral("Connections");
    // Column names, as the schema defines them.
    static inline const QString SocketId = QStringLiteral("SocketID");
    static inline const QString Type = QStringLiteral("ConnectionsType");
    static inline const QString Address = QStringLiteral("IPAddress");
    static inline const QString EventName = QStringLiteral("EventName");
    static inline const QString JudgeName = QStringLiteral("JudgeName");
    static inline const QString JudgeNumber = QStringLiteral("JudgeNumber");
    static inline const QString ListIndex = QStringLiteral("ListIndex");
    static inline const QString HeartBeat = QStringLiteral("HeartBeat");

    // The longest event, judge or display name a row holds.
    static constexpr int NameLength = 100;

    // The two values of ConnectionsType.
    static inline const QString Judge = QStringLiteral("JUDGE");
    static inline const QString Display = QStringLiteral("DISPLAY");

    // A logged-in station as its row names it. `name` is the event of a
    // judge station, the display name of a score display.
    struct Station {
        ConnectionId id = 0;
        QString type;
        QString address;
        QString name;
    };

    explicit ConnectionsTable(MeetDatabase& db);

    // Run once when a meet opens: meet files made by older programs lack the
    // HeartBeat column, which is added; rows left by an earlier run name no
    // connected station, so they all go.
    bool prepare();
    bool clear();

    bool addJudge(ConnectionId id, const QString& address, const QString& event,
                  const QString& judgeName, qint32 judgeNumber);
    bool addDisplay(ConnectionId id, const QString& address, const QString& displayName,
                    const QString& eventShown);
    bool remove(ConnectionId id);

    // Stations of either kind logged in under this event or display name,
    // letter case ignored; with a judge number, only that judge of the event.
    std::optional<int> countNamed(const QString& name, std::optional<qint32> judgeNumber = {});
    // The row of one connection: an empty list when it is not logged in.
    std::optional<QList<Station>> station(ConnectionId id);

    // A logged-in judge: her event, judge number and name.
    struct JudgeLogin {
        QString event;
        qint32 number = 0;
        QString name;
    };
    // Empty inside when the connection is no logged-in judge.
    std::optional<std::optional<JudgeLogin>> judge(ConnectionId id);

    // Connection ids in table order.
    std::optional<QList<ConnectionId>> all();
    std::optional<QList<ConnectionId>> displays();
    // The event's judge 1 (at most one), or the other judges of its panel.
    std::optional<QList<ConnectionId>> primaryJudge(const QString& event);
    std::optional<QList<ConnectionId>> panelJudges(const QString& event);

    // A heartbeat round: every row starts unanswered, the connections that
    // answered are marked (in one transaction), and the rest are the silent
    // stations, removed together.
    bool startHeartbeatRound();
    bool markAnswered(const QSet<ConnectionId>& answered);
    std::optional<QList<Station>> silentStations();
    bool removeSilent();

    QString lastError() const;

private:
    std::optional<QList<ConnectionId>> ids(const QString& sql, const QVariantList& values = {});
    std::optional<QList<Station>> stations(const QString& sql, const QVariantList& values = {});
    bool ensureHeartBeatColumn();

    MeetDatabase& mDb;
};
