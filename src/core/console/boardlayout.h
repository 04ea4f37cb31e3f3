#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What a browser board shows: its layout, the event it follows ("all" or one
// event) and the group of gymnasts (level and age division; empty: the board
// chooses). Told both ways on a board's station connection as
// "BOARDLAYOUT|layout|shows|level|division": by the desk to choose it, by the
// board to say what it shows.
struct BoardLayout {
    static constexpr auto Command = "BOARDLAYOUT";
    static constexpr auto Single = "single";
    static constexpr auto AllEvents = "all";
    // The longest level and age division a meet can hold.
    static constexpr qsizetype MaxLevel = 10;
    static constexpr qsizetype MaxDivision = 50;

    QString layout = QString::fromLatin1(Single);
    QString shows = QString::fromLatin1(AllEvents);
    QString level;
    QString division;

    // "single", "four", "upnext", "leaders", "teams", "loop".
    static const QStringList& layouts();
    // "One score at a time", "Four events", "Up next", ... in the order of layouts().
    static QString layoutLabel(const QString& layout);
    // Whether the layout follows one event, or one level and division.
    static bool followsEvent(const QString& layout);
    static bool followsGroup(const QString& layout);

    // Checks every field: a known layout, "all" or one of the four events (any
    // case; kept as the meet spells it), a level and a division of no more than
    // their lengths, nothing that would break the message. Nothing, with the
    // reason, when a field is not so.
    static std::optional<BoardLayout> checked(BoardLayout layout, QString* refusal = nullptr);
    // From a message's fields (field 0 the command word): exactly five, checked.
    static std::optional<BoardLayout> fromFields(const QStringList& fields);

    QString message() const;
    // "Four events", "Up next: Vault", "Leaders: 4, Junior", "One score at a time: all events"
    QString describe() const;
    // The link that opens a board of this name and layout by itself:
    // "http://ADDRESS:PORT/display?name=Door&layout=four&pin=PIN". `pages`
    // is the pages' address ("http://ADDRESS:PORT/").
    static QString link(const QString& pages, const QString& name, const QString& layout,
                        const QString& pin);

    bool operator==(const BoardLayout&) const = default;
};
