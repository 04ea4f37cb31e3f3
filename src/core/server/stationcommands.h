#pragma once

#include <QStringView>

#include <optional>

// The commands stations send, each served either before or after log-in.
enum class StationCommand {
    JudgeAuth,
    DisplayAuth,
    GymnastQuery,
    GetSession,
    GetSquadList,
    SendScore,
    SendScore2,
    ConfirmScore,
    HeartBeat,
    ClientBeat,
    AdFileStart,
};

namespace StationCommands {

struct Entry {
    QStringView word; // field 0, compared exactly (case matters)
    bool loggedIn;    // served to logged-in connections, else to the others only
    StationCommand command;
};

// Every command a station may send, with the column it is served in.
QList<Entry> table();

// The command for a word in the column that applies; none for an unknown word
// or a word of the other column.
std::optional<StationCommand> lookup(QStringView word, bool loggedIn);

} // namespace StationCommands
