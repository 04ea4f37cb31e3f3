#include "boardlayouts.h"

#include "server/stationserver.h"

#include <QTimer>

using namespace Qt::Literals::StringLiterals;

BoardLayout BoardLayouts::Board::current() const {
    // A choice made for a browser board of this name never applies to a TCP display.
    if (chosen && browser)
        return *chosen;
    if (showing)
        return *showing;
    BoardLayout login;
    // "NA" from the oldest displays, an event name or "all".
    if (const auto known = BoardLayout::checked({login.layout, eventShown, {}, {}}))
        login = *known;
    return login;
}

BoardLayouts::BoardLayouts(StationRegistry& registry, StationServer& stations, QObject* parent)
    : QObject(parent)
    , mStations(stations) {
    connect(&registry, &StationRegistry::seatTaken, this, &BoardLayouts::taken);
    connect(&registry, &StationRegistry::seatLeft, this, &BoardLayouts::left);
}

std::optional<BoardLayouts::Board> BoardLayouts::board(const QString& name) const {
    const auto found = mBoards.constFind(name);
    return found == mBoards.cend() ? std::nullopt : std::optional<Board>(*found);
}

void BoardLayouts::taken(ConnectionId connection, const StationRegistry::Seat& seat) {
    if (seat.kind != StationKind::Display)
        return;
    Board& board = mBoards[seat.name];
    board.name = seat.name;
    board.connection = connection;
    board.address = seat.address;
    board.browser = mStations.transport(connection) == u"browser"_s;
    board.eventShown = seat.eventShown;
    board.showing.reset();
    // A TCP display shows the single score of its log-in's event for good.
    if (!board.browser) {
        Board login;
        login.eventShown = seat.eventShown;
        board.showing = login.current();
    }
    mNames.insert(connection, seat.name);
    Q_EMIT changed();
    if (!board.browser || !board.chosen)
        return;
    // The board hears of its layout once its log-in has been answered.
    QTimer::singleShot(0, this, [this, connection, name = seat.name] {
        if (mNames.value(connection) == name)
            tell(name);
    });
}

void BoardLayouts::left(ConnectionId connection) {
    const auto name = mNames.constFind(connection);
    if (name == mNames.cend())
        return;
    mBoards[*name].connection = 0;
    mNames.erase(name);
    Q_EMIT changed();
}

bool BoardLayouts::choose(const QString& name, const BoardLayout& layout, QString* refusal) {
    const auto found = mBoards.find(name);
    const auto refuse = [refusal](const QString& why) {
        if (refusal)
            *refusal = why;
        return false;
    };
    if (found == mBoards.end())
        return refuse(
            u"No board named \"%1\" has logged in since the server started."_s.arg(name.left(100)));
    if (!found->browser)
        return refuse(u"%1 is a TCP display: it shows one score at a time and cannot be "
                      "changed from here."_s.arg(name));
    const std::optional<BoardLayout> sound = BoardLayout::checked(layout, refusal);
    if (!sound)
        return false;
    if (found->chosen == sound)
        return true;
    found->chosen = sound;
    // Told before the listeners hear of it: they may drop what `name` refers to.
    if (found->connection != 0)
        tell(name);
    Q_EMIT changed();
    return true;
}

void BoardLayouts::tell(const QString& name) {
    const Board& board = mBoards[name];
    if (board.connection != 0 && board.browser && board.chosen)
        mStations.sendData(board.connection, board.chosen->message());
}

void BoardLayouts::reported(ConnectionId connection, const QStringList& fields) {
    const auto name = mNames.constFind(connection);
    if (name == mNames.cend())
        return;
    Board& board = mBoards[*name];
    const std::optional<BoardLayout> layout = BoardLayout::fromFields(fields);
    if (!board.browser || !layout || board.showing == layout)
        return;
    board.showing = layout;
    Q_EMIT changed();
}
