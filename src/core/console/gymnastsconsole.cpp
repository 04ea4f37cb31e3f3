#include "gymnastsconsole.h"

#include "consolescore.h"
#include "db/meetdatabase.h"
#include "shell/currentsession.h"
#include "shell/operatordate.h"
#include "shell/prompter.h"

using namespace Qt::Literals::StringLiterals;

GymnastsConsole::GymnastsConsole(MeetDatabase& db, CurrentSession& current, Prompter& prompter,
                                 QObject* parent)
    : QObject(parent)
    , mDb(db)
    , mCurrent(current)
    , mPrompter(prompter) {
    connect(&mCurrent, &CurrentSession::changed, this, [this] { refresh(); });
}

void GymnastsConsole::setSort(Sort sort) {
    if (sort == mSort)
        return;
    mSort = sort;
    refresh();
}

bool GymnastsConsole::refresh(QString* error) {
    const QString order = mSort == Sort::Name
                              ? u" ORDER BY Last_Name COLLATE NOCASE, First_Name COLLATE NOCASE"_s
                              : u" ORDER BY Num"_s;
    const DbRows rows =
        mDb.select(u"SELECT Num, First_Name, Last_Name FROM Gymnasts WHERE Session = ?"_s + order,
                   {mCurrent.id()});
    if (!rows.ok()) {
        if (error)
            *error = rows.error();
        return false;
    }
    mGymnasts.clear();
    for (int i = 0; i < rows.count(); ++i) {
        const QString num = rows.text(i, u"Num"_s);
        const QString name = rows.text(i, u"Last_Name"_s) + u", "_s + rows.text(i, u"First_Name"_s);
        mGymnasts.append(
            {num, mSort == Sort::Name ? name + u" - "_s + num : num + u" - "_s + name});
    }
    Q_EMIT gymnastsChanged();
    return true;
}

std::optional<GymnastRecord> GymnastsConsole::load(const QString& num) {
    const DbRows rows =
        mDb.select(u"SELECT First_Name, Last_Name, E1Final, E2Final, E3Final, E4Final, AA, Level, "
                   "Birthday, USAG, Session, Gym, Scratched, Squad, \"Order\" FROM Gymnasts "
                   "WHERE Num = ? LIMIT 1"_s,
                   {num});
    if (!rows.ok() || rows.isEmpty()) {
        tell(rows.ok() ? u"Unable to load/find Gymnast"_s : rows.error());
        return std::nullopt;
    }
    GymnastRecord record;
    record.num = num;
    record.firstName = rows.text(0, u"First_Name"_s);
    record.lastName = rows.text(0, u"Last_Name"_s);
    record.usag = rows.text(0, u"USAG"_s);
    record.birthday = OperatorDate::toDisplay(rows.value(0, u"Birthday"_s));
    record.level = rows.text(0, u"Level"_s);
    record.session = rows.text(0, u"Session"_s);
    record.squad = rows.text(0, u"Squad"_s);
    record.order = rows.text(0, u"Order"_s);
    record.gymId = rows.value(0, u"Gym"_s);
    record.scratched = rows.value(0, u"Scratched"_s).toInt() != 0;
    for (const QString& column : {u"E1Final"_s, u"E2Final"_s, u"E3Final"_s, u"E4Final"_s, u"AA"_s})
        record.scores.append(ConsoleScore::text(rows.value(0, column)));
    return record;
}

std::optional<QStringList> GymnastsConsole::scores(const QString& num) {
    const DbRows rows = mDb.select(
        u"SELECT E1Final, E2Final, E3Final, E4Final, AA FROM Gymnasts WHERE Num = ? LIMIT 1"_s,
        {num});
    if (!rows.ok() || rows.isEmpty())
        return std::nullopt;
    QStringList texts;
    for (const QString& column : {u"E1Final"_s, u"E2Final"_s, u"E3Final"_s, u"E4Final"_s, u"AA"_s})
        texts.append(ConsoleScore::text(rows.value(0, column)));
    return texts;
}

bool GymnastsConsole::save(const GymnastRecord& edited) {
    const auto birthday = OperatorDate::parse(edited.birthday);
    if (!birthday) {
        tell(u"Invalid Birthday date.  Enter a valid Birthday date and try again."_s);
        return false;
    }
    qint64 order = 0;
    if (!edited.order.trimmed().isEmpty()) {
        bool whole = false;
        order = edited.order.trimmed().toLongLong(&whole);
        if (!whole) {
            tell(u"Invalid Order.  Enter a whole number and try again."_s);
            return false;
        }
    }
    // A Null binding keeps the stored value (COALESCE): the editor had nothing to offer.
    auto keepWhenEmpty = [](const QString& text) -> QVariant {
        return text.isEmpty() ? QVariant() : QVariant(text);
    };
    const bool stored = mDb.execute(
        u"UPDATE Gymnasts SET First_Name = ?, Last_Name = ?, USAG = ?, Birthday = ?, "
        "\"Order\" = ?, Level = COALESCE(?, Level), Session = COALESCE(?, Session), "
        "Squad = COALESCE(?, Squad), Gym = COALESCE(?, Gym), Scratched = ? WHERE Num = ?"_s,
        {edited.firstName, edited.lastName, edited.usag, OperatorDate::toStorage(*birthday), order,
         keepWhenEmpty(edited.level), keepWhenEmpty(edited.session), keepWhenEmpty(edited.squad),
         edited.gymId.isValid() ? QVariant(edited.gymId.toLongLong()) : QVariant(),
         edited.scratched ? 1 : 0, edited.num});
    if (!stored) {
        tell(u"The gymnast could not be saved: "_s + mDb.lastError());
        return false;
    }
    if (mDb.rowsAffected() == 0) {
        tell(u"Unable to load/find Gymnast"_s);
        return false;
    }
    mDb.changes().meetEdited();
    return true;
}

void GymnastsConsole::tell(const QString& text) {
    mPrompter.showMessage(text, Prompter::Icon::Critical);
}
