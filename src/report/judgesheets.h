#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class MeetDatabase;
struct PrintedResults;

// The panels' paper backup, for when the network fails: per event and squad
// one sheet with the squad in running order and an empty box for each
// judge's score, the start value, the adjustment and the final, then a line
// for each judge's signature.
namespace JudgeSheets {

// The sheets of `events` ("Vault" ... "Floor") for panels of `judges` judges
// (1 to 7); empty, with the reason, when the PDF could not be made.
QByteArray pdf(const PrintedResults& printed, const QStringList& events, int judges,
               QString* error = nullptr);

// The judges of a panel as the meet names them (at most 7), 4 when it names
// none; none, with the reason, when the meet file cannot be read.
std::optional<int> panelSize(MeetDatabase& db, QString* error = nullptr);

} // namespace JudgeSheets
