#pragma once

#include <QString>

#include <functional>

class Prompter;

// The operator's made-up score that tries the score displays out before a meet.
namespace TestScore {

// The number and name it is shown with are QueueEntry's test gymnast's.
inline constexpr auto SampleScore = "8.885";

// Puts one score into the scoreboard queue: number, name, event, score text, corrected.
using QueueScore = std::function<void(const QString& num, const QString& name, const QString& event,
                                      const QString& score, bool corrected)>;

// Queues the test score as typed. An empty number or score is refused with a
// message and nothing is queued; the name may be empty.
bool send(Prompter& prompter, const QueueScore& queueScore, const QString& num, const QString& name,
          const QString& event, const QString& score, bool corrected);

} // namespace TestScore
