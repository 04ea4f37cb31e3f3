#pragma once

#include "meettable.h"

#include <QList>
#include <QString>

#include <optional>

class MeetDatabase;

// The ScoreBoardQueue table: one row per score waiting for or sent to the
// score displays, named by its rowid. Every statement on the table is here;
// each change is recorded with the meet's changes. Failures come back as
// false or std::nullopt with the reason in lastError().
class ScoreBoardQueueTable : public MeetTable {
public:
    static inline const QString Name = QStringLiteral("ScoreBoardQueue");
    // The longest gymnast name a row holds.
    static constexpr int NameLength = 100;

    // A row as stored; times are the stored texts.
    struct Row {
        qint64 rowId = 0;
        QString num;
        QString gymnastName;
        QString event;
        QString score;
        int displaySeconds = 0;
        QString queueTime;
        QString queueTimeNum; // the ordering key
        QString status;
        bool corrected = false;
    };

    explicit ScoreBoardQueueTable(MeetDatabase& db);

    // Inserts `row` and sets its rowId.
    bool insert(Row& row);
    // Rewrites every column of the row named by its rowId but the number and event.
    bool update(const Row& row);
    bool markCorrected(const Row& row);
    // Sets the status a display's confirmation gives a row. Outside a
    // transaction it commits without a disk sync of its own: in WAL mode the
    // next synced commit (the next score) makes it durable with everything
    // before it, and a status lost to a power cut only shows that score once
    // more after the restart. A sync per shown score would cost the judges'
    // confirmations as much as their scores' own syncs.
    bool setStatus(const Row& row, const QString& status);
    // The same inside the caller's transaction, synced as its commit is.
    bool setStatusWithin(const Row& row, const QString& status);
    // Inside the caller's transaction, sets status `to` on the row named by
    // `row.rowId` only while it still has status `from` and holds `row.score`:
    // one statement, without reading the row first. False, with an empty
    // lastError(), when the row is not so (gone, changed or no longer `from`).
    bool setStatusIfUnchanged(const Row& row, const QString& from, const QString& to);
    // Whether the connection has a transaction open (changes then go with its commit).
    bool inTransaction() const;
    // Commits sync to the disk by themselves (the meet's setting), or wait for
    // the next commit that does.
    bool setCommitsSynced(bool synced);
    bool remove(const Row& row);

    // The first row of a number and event that is no test score's.
    std::optional<std::optional<Row>> scoreOf(const QString& num, const QString& event,
                                              const QString& testGymnastName);
    std::optional<QList<Row>> withStatus(const QString& status);
    // The first row in queue order with that status and event (and number).
    std::optional<std::optional<Row>> firstWith(const QString& status, const QString& event,
                                                const std::optional<QString>& num = {});
    // The same, passing over the scores held for review (ScoreHolds).
    std::optional<std::optional<Row>> firstNotHeld(const QString& status, const QString& event);
    std::optional<std::optional<Row>> byId(qint64 rowId);

private:
    std::optional<QList<Row>> rows(const QString& condition, const QVariantList& values);
    std::optional<std::optional<Row>> first(const QString& condition, const QVariantList& values);
    bool changed(const QString& sql, const QVariantList& values, const Row& row);
};
