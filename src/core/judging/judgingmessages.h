#pragma once

#include <QString>
#include <QStringList>

// The texts judging sends to judge stations, each written here only.
namespace JudgingMessages {

// "SCORECONFIRM|0": the score the station sent is stored (or passed on).
QString scoreConfirmed();

// "SECONDARYSCORE|num|score|second vault": a second judge's score for the
// event's judge 1.
QString secondaryScore(const QString& num, const QString& score, const QString& secondVault);

// "GYMNASTQUERYRESP|0|" + the gymnast's values.
QString gymnastFound(const QStringList& values);
// "GYMNASTQUERYRESP|1|Gymnast NUM not found".
QString gymnastNotFound(const QString& num);
// Whether `reply` is a gymnastFound() text.
bool isGymnastFound(const QString& reply);

// "SQUADLIST|count|" + one "item|" each + "0".
QString squadList(const QStringList& items);

} // namespace JudgingMessages
