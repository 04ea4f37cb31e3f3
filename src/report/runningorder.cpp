#include "runningorder.h"

#include "results/sessionresults.h"

#include <QCollator>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

std::optional<qlonglong> orderOf(const GymnastResult& gymnast) {
    bool ok = false;
    const qlonglong order = gymnast.order.toLongLong(&ok);
    return ok && !gymnast.order.isNull() ? std::optional(order) : std::nullopt;
}

} // namespace

namespace RunningOrder {

QList<Squad> squads(const SessionResults& session) {
    QCollator natural;
    natural.setNumericMode(true);
    natural.setCaseSensitivity(Qt::CaseInsensitive);
    QList<GymnastResult> gymnasts = session.gymnasts();
    std::stable_sort(gymnasts.begin(), gymnasts.end(),
                     [&natural](const GymnastResult& a, const GymnastResult& b) {
                         const QString squadA = a.squad.trimmed();
                         const QString squadB = b.squad.trimmed();
                         if (squadA.isEmpty() != squadB.isEmpty())
                             return squadB.isEmpty();
                         if (const int bySquad = natural.compare(squadA, squadB); bySquad != 0)
                             return bySquad < 0;
                         const auto orderA = orderOf(a);
                         const auto orderB = orderOf(b);
                         if (orderA.has_value() != orderB.has_value())
                             return orderA.has_value();
                         if (orderA && *orderA != *orderB)
                             return *orderA < *orderB;
                         return natural.compare(a.num, b.num) < 0;
                     });
    QList<Squad> squads;
    for (const GymnastResult& gymnast : gymnasts) {
        const QString name = gymnast.squad.trimmed();
        if (squads.isEmpty() || squads.constLast().name.compare(name, Qt::CaseInsensitive) != 0)
            squads.append({name, {}});
        squads.last().gymnasts.append(gymnast);
    }
    return squads;
}

QString squadTitle(const Squad& squad) {
    return squad.name.isEmpty() ? u"No squad"_s : u"Squad "_s + squad.name;
}

} // namespace RunningOrder
