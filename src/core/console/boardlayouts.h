#pragma once

#include "boardlayout.h"
#include "db/connectionid.h"
#include "server/stationregistry.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>

#include <optional>

class StationServer;

// The meet's score displays as the desk sees them: every board that has
// logged in since the server started, whether it is connected, what it says
// it shows, and the layout the desk has chosen for it. A choice belongs to
// the board's name for as long as the server runs: it goes to the board at
// once, and again after each of its log-ins, so a board that drops and comes
// back shows what the desk chose without anyone touching it. Only browser
// boards can be told; a TCP display shows one score at a time for good.
class BoardLayouts : public QObject {
    Q_OBJECT

public:
    struct Board {
        QString name;
        ConnectionId connection = 0; // 0 while it is not connected
        QString address;
        bool browser = false;
        QString eventShown;                 // what its log-in said it shows
        std::optional<BoardLayout> showing; // what the board said last
        std::optional<BoardLayout> chosen;  // the desk's

        // The desk's choice (a browser board's), else what the board shows,
        // else its log-in's.
        BoardLayout current() const;
    };

    BoardLayouts(StationRegistry& registry, StationServer& stations, QObject* parent = nullptr);

    // By name.
    QList<Board> boards() const { return mBoards.values(); }
    std::optional<Board> board(const QString& name) const;

    // The desk's choice for the board of that name, sent to it at once when
    // it is connected. False, with the reason, for a board never seen, a TCP
    // display, or a layout whose fields do not pass BoardLayout::checked.
    bool choose(const QString& name, const BoardLayout& layout, QString* refusal = nullptr);

    // A browser station's "BOARDLAYOUT|..." (its fields): what it shows now.
    // Anything but a logged-in browser board saying a sound layout is ignored.
    void reported(ConnectionId connection, const QStringList& fields);

Q_SIGNALS:
    // A board came, went, said what it shows, or was given a choice.
    void changed();

private:
    void taken(ConnectionId connection, const StationRegistry::Seat& seat);
    void left(ConnectionId connection);
    void tell(const QString& name);

    StationServer& mStations;
    QMap<QString, Board> mBoards;
    QHash<ConnectionId, QString> mNames; // connected boards
};
