#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// Counts the committed changes of an open meet that alter its results: a
// stored score, an edited gymnast or session, a new start date (ages count
// from it). Whatever keeps computed results keys them by count(); live views
// listen to the signals. Opening or closing the meet file counts as a change
// too.
class MeetChanges : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    quint64 count() const { return mCount; }

    // A panel's score was committed for a gymnast of `session`.
    void scoreStored(const QString& session);
    // The results of `sessions` changed other than by a score (the meet's
    // start date moved the gymnasts' ages).
    void resultsChanged(const QStringList& sessions);
    // Gymnasts or sessions were changed other than by a score.
    void meetEdited();

Q_SIGNALS:
    void changed();
    void scoreStoredIn(const QString& session);
    // The results of `session` changed: by a score or otherwise.
    void resultsChangedIn(const QString& session);

private:
    quint64 mCount = 0;
};
