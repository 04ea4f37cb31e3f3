#pragma once

#include "queueentry.h"

#include <QString>

#include <optional>

class DisplayDispatch;
class QueueGridModel;

// What the operator is told about the scores on the boards.
namespace BoardTexts {

// "On the boards: 103 Grace D'Angelo 9.100" for the score an event's boards
// show; "On the boards: nothing yet" before the first.
QString onTheBoards(const std::optional<QueueEntry>& shown);

// Which scores keep the warm-up clock from starting: those on the boards that
// no scoreboard has confirmed yet, then the next waiting one. Empty when the
// queue is empty.
QString blockingScores(const QueueGridModel& queue, const DisplayDispatch& dispatch);

} // namespace BoardTexts
