#include "gymnastsconsole.h"

#include "consolescore.h"
#include "db/tables/gymnaststable.h"
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
    GymnastsTable table(mDb);
    const auto listed =
        table.inSession(mCurrent.id(), mSort == Sort::Name ? GymnastsTable::Order::Name
                                                           : GymnastsTable::Order::Number);
    if (!listed) {
        if (error)
            *error = table.lastError();
        return false;
    }
    mGymnasts.clear();
    for (const GymnastsTable::Listed& gymnast : *listed) {
        const QString name = gymnast.lastName + u", "_s + gymnast.firstName;
        mGymnasts.append({gymnast.num, mSort == Sort::Name ? name + u" - "_s + gymnast.num
                                                           : gymnast.num + u" - "_s + name});
    }
    Q_EMIT gymnastsChanged();
    return true;
}

std::optional<GymnastRecord> GymnastsConsole::load(const QString& num) {
    GymnastsTable table(mDb);
    const auto found = table.details(num);
    if (!found || !found->has_value()) {
        tell(found ? u"Unable to load/find Gymnast"_s : table.lastError());
        return std::nullopt;
    }
    const GymnastsTable::Details& row = **found;
    GymnastRecord record;
    record.num = num;
    record.firstName = row.firstName;
    record.lastName = row.lastName;
    record.usag = row.usag;
    record.birthday = OperatorDate::toDisplay(row.birthday);
    record.level = row.level.toString();
    record.session = row.session.toString();
    record.squad = row.squad.toString();
    record.order = row.order.toString();
    record.gymId = row.gymId;
    record.scratched = row.scratched;
    for (const QVariant& score : row.finals)
        record.scores.append(ConsoleScore::text(score));
    return record;
}

std::optional<QStringList> GymnastsConsole::scores(const QString& num) {
    GymnastsTable table(mDb);
    const auto found = table.details(num);
    if (!found || !found->has_value())
        return std::nullopt;
    QStringList texts;
    for (const QVariant& score : (*found)->finals)
        texts.append(ConsoleScore::text(score));
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
    // Null keeps the stored value: the editor had nothing to offer.
    auto keepWhenEmpty = [](const QString& text) -> QVariant {
        return text.isEmpty() ? QVariant() : QVariant(text);
    };
    GymnastsTable::Details details;
    details.num = edited.num;
    details.firstName = edited.firstName;
    details.lastName = edited.lastName;
    details.usag = edited.usag;
    details.birthday = OperatorDate::toStorage(*birthday);
    details.order = order;
    details.level = keepWhenEmpty(edited.level);
    details.session = keepWhenEmpty(edited.session);
    details.squad = keepWhenEmpty(edited.squad);
    details.gymId = edited.gymId.isValid() ? QVariant(edited.gymId.toLongLong()) : QVariant();
    details.scratched = edited.scratched;
    GymnastsTable table(mDb);
    if (!table.saveDetails(details)) {
        tell(table.lastError().isEmpty()
                 ? u"Unable to load/find Gymnast"_s
                 : u"The gymnast could not be saved: "_s + table.lastError());
        return false;
    }
    return true;
}

void GymnastsConsole::tell(const QString& text) {
    mPrompter.showMessage(text, Prompter::Icon::Critical);
}
