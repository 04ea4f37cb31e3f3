#pragma once

#include "gymnastrecord.h"

#include <QList>
#include <QObject>

#include <optional>

class CurrentSession;
class MeetDatabase;
class Prompter;

// The gymnasts of the current session for the operator: the list, sorted by
// number or name, and the editor of one gymnast's entry data.
class GymnastsConsole : public QObject {
    Q_OBJECT

public:
    enum class Sort { Number, Name };

    GymnastsConsole(MeetDatabase& db, CurrentSession& current, Prompter& prompter,
                    QObject* parent = nullptr);

    Sort sort() const { return mSort; }
    // Changing the order rereads the list.
    void setSort(Sort sort);

    // Rereads the gymnasts of the current session. Number order is text order
    // (competitor numbers are text), so "10" comes before "9".
    bool refresh(QString* error = nullptr);
    const QList<GymnastEntry>& gymnasts() const { return mGymnasts; }

    // Loads one gymnast by the number as stored; tells the operator when it is gone.
    std::optional<GymnastRecord> load(const QString& num);
    // The gymnast's event finals and all-around as display texts, read again
    // (a score may have been stored since load()); std::nullopt, silently,
    // when the gymnast cannot be read.
    std::optional<QStringList> scores(const QString& num);
    // Stores an edited gymnast. Refuses (with the operator told) a birthday that
    // is no date, an order that is no whole number, or a gymnast that is gone.
    bool save(const GymnastRecord& edited);

Q_SIGNALS:
    void gymnastsChanged();

private:
    void tell(const QString& text);

    MeetDatabase& mDb;
    CurrentSession& mCurrent;
    Prompter& mPrompter;
    Sort mSort = Sort::Number;
    QList<GymnastEntry> mGymnasts;
};
