#pragma once

#include "results/gymnastresult.h"

#include <QList>
#include <QString>

class SessionResults;

// A session's gymnasts as they compete: squad by squad, each squad in its
// running order.
namespace RunningOrder {

struct Squad {
    QString name; // empty for the gymnasts of no squad
    QList<GymnastResult> gymnasts;
};

// The squads in name order ("B" before "C", "Squad 10" after "Squad 9"),
// those of no squad last; within a squad by running order, gymnasts without
// one after the others, equal orders by competitor number.
QList<Squad> squads(const SessionResults& session);

// "Squad A", or "No squad".
QString squadTitle(const Squad& squad);

} // namespace RunningOrder
