#pragma once

#include <QString>
#include <QStringList>

// The four apparatus the scoring server works with. Their number is the digit
// of their columns in Gymnasts: Vault E1..., Bars E2..., Beam E3..., Floor E4...;
// the second vault has the E7 columns.
namespace MeetEvents {

inline constexpr int Vault = 1; // the event with a second attempt
inline constexpr int SecondVault = 7;

// "Vault", "Bars", "Beam", "Floor", in event-number order.
const QStringList& names();

// The name of event 1 to 4; empty for any other number.
QString name(int eventNumber);

// 1 to 4 for the four names (exact, case matters); 0 for anything else.
int number(QStringView name);

// The column of an event: column(2, u"Final") is "E2Final".
QString column(int eventNumber, QStringView suffix);

} // namespace MeetEvents
