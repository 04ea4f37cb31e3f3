#include "stationcommands.h"

#include <QList>

#include <array>

namespace {

using C = StationCommand;
constexpr bool LoggedIn = true;
constexpr bool NotLoggedIn = false;

constexpr std::array<StationCommands::Entry, 11> Commands{{
    {u"JUDGEAUTH", NotLoggedIn, C::JudgeAuth},
    {u"DISPLAYAUTH", NotLoggedIn, C::DisplayAuth},
    {u"GYMNASTQUERY", LoggedIn, C::GymnastQuery},
    {u"GETSESSION", LoggedIn, C::GetSession},
    {u"GETSQUADLIST", LoggedIn, C::GetSquadList},
    {u"SENDSCORE", LoggedIn, C::SendScore},
    {u"SENDSCORE2", LoggedIn, C::SendScore2},
    {u"CONFIRMSCORE", LoggedIn, C::ConfirmScore},
    {u"HEARTBEAT", LoggedIn, C::HeartBeat},
    {u"CLIENTBEAT", LoggedIn, C::ClientBeat},
    {u"AD_FILE_START", LoggedIn, C::AdFileStart},
}};

} // namespace

QList<StationCommands::Entry> StationCommands::table() {
    return QList<Entry>(Commands.begin(), Commands.end());
}

std::optional<StationCommand> StationCommands::lookup(QStringView word, bool loggedIn) {
    for (const Entry& entry : Commands) {
        if (entry.loggedIn == loggedIn && entry.word == word)
            return entry.command;
    }
    return std::nullopt;
}
