#include "sessionresults.h"

#include "db/meetdatabase.h"
#include "db/tables/gymnaststable.h"
#include "db/tables/gymstable.h"
#include "db/tables/scoreholdstable.h"
#include "db/tables/scoreinquiriestable.h"
#include "placing.h"

#include <QCollator>
#include <QHash>

#include <algorithm>
#include <numeric>

using namespace Qt::Literals::StringLiterals;

namespace {

// Levels and numbers as people read them: "Level 10" after "Level 9".
QCollator naturalOrder() {
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

std::optional<double> score(const QVariant& value) {
    bool ok = false;
    const double number = value.isNull() ? 0.0 : value.toDouble(&ok);
    return ok ? std::optional(Placing::rounded(number)) : std::nullopt;
}

template <typename Result>
void place(QList<Result>& results) {
    for (int column = 0; column < ResultColumns::Count; ++column) {
        QList<std::optional<double>> scores;
        for (const Result& result : results)
            scores.append(result.scores[column]);
        const QList<std::optional<int>> places = Placing::places(scores);
        for (qsizetype i = 0; i < results.size(); ++i)
            results[i].places[column] = places[i];
    }
}

// Placed on the all-around first, then the rest by `tieBreak`.
template <typename Result, typename Less>
void sortByAllAround(QList<Result>& results, Less tieBreak) {
    std::stable_sort(results.begin(), results.end(), [&](const Result& a, const Result& b) {
        const auto& pa = a.places[ResultColumns::AllAround];
        const auto& pb = b.places[ResultColumns::AllAround];
        if (pa.has_value() != pb.has_value())
            return pa.has_value();
        if (pa && *pa != *pb)
            return *pa < *pb;
        return tieBreak(a, b);
    });
}

} // namespace

bool SessionResults::read(MeetDatabase& db, const QString& session, QString* error) {
    mSession = session;
    mGroups.clear();
    if (!mDivisions.load(db, error))
        return false;
    GymsTable gymsTable(db);
    GymnastsTable gymnastsTable(db);
    const auto gyms = gymsTable.all();
    const auto rows = gyms ? gymnastsTable.competingIn(session) : std::nullopt;
    if (!gyms || !rows) {
        if (error)
            *error = gyms ? gymnastsTable.lastError() : gymsTable.lastError();
        return false;
    }
    ScoreHoldsTable holdsTable(db);
    const auto holds = holdsTable.all();
    if (!holds) {
        if (error)
            *error = holdsTable.lastError();
        return false;
    }
    QHash<QString, QStringList> underReview; // by gymnast number
    for (const ScoreHoldsTable::Held& held : *holds)
        underReview[held.num].append(held.event);
    ScoreInquiriesTable inquiriesTable(db);
    const auto inquiries = inquiriesTable.all(session);
    if (!inquiries) {
        if (error)
            *error = inquiriesTable.lastError();
        return false;
    }
    QHash<QString, QStringList> underInquiry; // by gymnast number
    for (const ScoreInquiriesTable::Inquiry& inquiry : *inquiries) {
        if (inquiry.isOpen())
            underInquiry[inquiry.num].append(inquiry.event);
    }
    QHash<qint64, QString> gymNames;
    for (const GymsTable::Gym& gym : *gyms) {
        const QString shortName = gym.shortName.trimmed();
        gymNames.insert(gym.id, shortName.isEmpty() ? gym.officialName : shortName);
    }

    QList<GymnastResult> gymnasts;
    QList<int> divisionOrder;
    for (const GymnastsTable::Competing& row : *rows) {
        GymnastResult gymnast;
        gymnast.num = row.num;
        gymnast.firstName = row.firstName;
        gymnast.lastName = row.lastName;
        gymnast.gymId = row.gymId;
        gymnast.gym = gymNames.value(gymnast.gymId);
        gymnast.level = row.level.trimmed();
        gymnast.squad = row.squad;
        gymnast.order = row.order;
        gymnast.birthday = row.birthday;
        // A meet that awards by level alone puts every gymnast of a level together.
        const AgeDivisions::Division division = mDivisions.used()
                                                    ? mDivisions.of(gymnast.level, gymnast.birthday)
                                                    : AgeDivisions::Division();
        gymnast.division = division.name;
        for (int column = 0; column < ResultColumns::Count; ++column)
            gymnast.scores[column] = score(row.finals[size_t(column)]);
        for (int column = 0; column < ResultColumns::AllAround; ++column) {
            const QString event = ResultColumns::name(column);
            for (const QString& asked : underInquiry.value(gymnast.num)) {
                if (asked.compare(event, Qt::CaseInsensitive) == 0)
                    gymnast.inquiry.append(event);
            }
            for (const QString& held : underReview.value(gymnast.num)) {
                if (held.compare(event, Qt::CaseInsensitive) == 0) {
                    gymnast.review.append(event);
                    gymnast.scores[column].reset();
                    gymnast.scores[ResultColumns::AllAround].reset();
                }
            }
        }
        gymnasts.append(gymnast);
        divisionOrder.append(division.order);
    }
    placeGroups(std::move(gymnasts), divisionOrder);
    return true;
}

void SessionResults::placeGroups(QList<GymnastResult> gymnasts, const QList<int>& divisionOrder) {
    const QCollator natural = naturalOrder();
    QList<qsizetype> order(gymnasts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        if (const int byLevel = natural.compare(gymnasts[a].level, gymnasts[b].level))
            return byLevel < 0;
        return divisionOrder[a] < divisionOrder[b];
    });
    for (qsizetype i = 0; i < order.size(); ++i) {
        const qsizetype at = order[i];
        const bool newGroup = i == 0 || gymnasts[at].level != gymnasts[order[i - 1]].level ||
                              divisionOrder[at] != divisionOrder[order[i - 1]];
        if (newGroup)
            mGroups.append({gymnasts[at].level, gymnasts[at].division, {}});
        mGroups.last().gymnasts.append(gymnasts[at]);
    }
    for (Group& group : mGroups) {
        place(group.gymnasts);
        sortByAllAround(group.gymnasts, [&natural](const GymnastResult& a, const GymnastResult& b) {
            return natural.compare(a.num, b.num) < 0;
        });
    }
}

QList<GymnastResult> SessionResults::gymnasts() const {
    QList<GymnastResult> all;
    for (const Group& group : mGroups)
        all += group.gymnasts;
    return all;
}

QStringList SessionResults::levels() const {
    QStringList levels;
    for (const Group& group : mGroups) {
        if (levels.isEmpty() || levels.last() != group.level)
            levels.append(group.level);
    }
    return levels;
}

QList<TeamResult> SessionResults::teams(const QString& level, int counting) const {
    QList<TeamResult> teams;
    QHash<qint64, QList<QList<double>>> finals; // per gym, per event
    for (const Group& group : mGroups) {
        if (group.level.compare(level.trimmed(), Qt::CaseInsensitive) != 0)
            continue;
        for (const GymnastResult& gymnast : group.gymnasts) {
            if (gymnast.gymId == 0)
                continue;
            if (!finals.contains(gymnast.gymId)) {
                finals.insert(gymnast.gymId, QList<QList<double>>(ResultColumns::AllAround));
                teams.append({gymnast.gymId, gymnast.gym, {}, {}});
            }
            for (int event = 0; event < ResultColumns::AllAround; ++event) {
                if (gymnast.scores[event])
                    finals[gymnast.gymId][event].append(*gymnast.scores[event]);
            }
        }
    }
    for (TeamResult& team : teams) {
        QList<QList<double>>& events = finals[team.gymId];
        for (int event = 0; event < ResultColumns::AllAround; ++event) {
            QList<double>& scores = events[event];
            if (scores.isEmpty())
                continue;
            std::sort(scores.begin(), scores.end(), std::greater<>());
            const auto counted = scores.begin() + std::clamp<qsizetype>(counting, 1, scores.size());
            team.scores[event] = Placing::rounded(std::accumulate(scores.begin(), counted, 0.0));
            team.scores[ResultColumns::AllAround] = Placing::rounded(
                team.scores[ResultColumns::AllAround].value_or(0.0) + *team.scores[event]);
        }
    }
    place(teams);
    const QCollator natural = naturalOrder();
    sortByAllAround(teams, [&natural](const TeamResult& a, const TeamResult& b) {
        return natural.compare(a.gym, b.gym) < 0;
    });
    return teams;
}
