#pragma once

#include "resultsfilter.h"

#include <QList>
#include <QString>
#include <QVariant>

class MeetDatabase;

// One line of the results table: a gymnast who is not scratched.
struct ResultLine {
    QString num;
    QString name;                                 // "Last, First"
    QVariant vault, bars, beam, floor, allAround; // Null when there is no score
};

// Reads the results of one session from the meet file. Only gymnasts who are not
// scratched are listed; in the score orders, gymnasts without that score come
// after every gymnast with one.
class ResultsQuery {
public:
    explicit ResultsQuery(MeetDatabase& db)
        : mDb(db) {}

    // False, with the reason in error(), when the meet file could not be read or
    // the age division cannot be worked out.
    bool run(const ResultsFilter& filter);
    const QList<ResultLine>& lines() const { return mLines; }
    QString error() const { return mError; }

private:
    bool ageDivisionCondition(qint64 ageId, QString& sql, QVariantList& values);
    bool fail(const QString& error);

    MeetDatabase& mDb;
    QList<ResultLine> mLines;
    QString mError;
};
