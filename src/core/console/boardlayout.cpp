#include "boardlayout.h"

#include "db/meetevents.h"

#include <QUrl>
#include <QUrlQuery>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

bool holdsControl(const QString& text) {
    return std::any_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c.unicode() < 0x20 || c == u'|' || c == u'\x7f'; });
}

} // namespace

const QStringList& BoardLayout::layouts() {
    static const QStringList names{u"single"_s,  u"four"_s,  u"upnext"_s,
                                   u"leaders"_s, u"teams"_s, u"loop"_s};
    return names;
}

QString BoardLayout::layoutLabel(const QString& layout) {
    // As the board's own set-up form names them.
    static const QStringList labels{
        u"One score at a time"_s, u"Four events"_s, u"Up next"_s, u"Leaders"_s, u"Teams"_s,
        u"All in turn"_s};
    return labels.value(layouts().indexOf(layout), layout);
}

bool BoardLayout::followsEvent(const QString& layout) {
    return layout == u"single"_s || layout == u"upnext"_s;
}

bool BoardLayout::followsGroup(const QString& layout) {
    return layout == u"leaders"_s || layout == u"teams"_s || layout == u"loop"_s;
}

std::optional<BoardLayout> BoardLayout::checked(BoardLayout layout, QString* refusal) {
    const auto refuse = [refusal](const QString& why) {
        if (refusal)
            *refusal = why;
        return std::nullopt;
    };
    if (!layouts().contains(layout.layout))
        return refuse(u"\"%1\" is no board layout."_s.arg(layout.layout.left(40)));
    if (layout.shows.compare(QLatin1StringView(AllEvents), Qt::CaseInsensitive) == 0) {
        layout.shows = QString::fromLatin1(AllEvents);
    } else {
        const QStringList& events = MeetEvents::names();
        const auto event = std::find_if(events.cbegin(), events.cend(), [&layout](const auto& e) {
            return e.compare(layout.shows, Qt::CaseInsensitive) == 0;
        });
        if (event == events.cend())
            return refuse(u"\"%1\" is no event."_s.arg(layout.shows.left(40)));
        layout.shows = *event;
    }
    // Blanks around a name are dropped; a tab or a line break is no part of one.
    if (holdsControl(layout.level) || holdsControl(layout.division))
        return refuse(u"A level or age division holds a \"|\" or a control character."_s);
    layout.level = layout.level.trimmed();
    layout.division = layout.division.trimmed();
    if (layout.level.size() > MaxLevel)
        return refuse(u"A level has at most %1 characters."_s.arg(MaxLevel));
    if (layout.division.size() > MaxDivision)
        return refuse(u"An age division has at most %1 characters."_s.arg(MaxDivision));
    return layout;
}

std::optional<BoardLayout> BoardLayout::fromFields(const QStringList& fields) {
    if (fields.size() != 5 || fields[0] != QLatin1StringView(Command))
        return std::nullopt;
    return checked({fields[1], fields[2], fields[3], fields[4]});
}

QString BoardLayout::message() const {
    return QStringList{QString::fromLatin1(Command), layout, shows, level, division}.join(u'|');
}

QString BoardLayout::describe() const {
    QString text = layoutLabel(layout);
    if (followsEvent(layout))
        text += u": "_s + (shows == QLatin1StringView(AllEvents) ? u"all events"_s : shows);
    if (followsGroup(layout) && !(level.isEmpty() && division.isEmpty())) {
        QStringList group;
        for (const QString& part : {level, division}) {
            if (!part.isEmpty())
                group.append(part);
        }
        text += u": "_s + group.join(u", "_s);
    }
    return text;
}

QString BoardLayout::link(const QString& pages, const QString& name, const QString& layout,
                          const QString& pin) {
    QUrl url(pages);
    url.setPath(u"/display"_s);
    QUrlQuery query;
    query.addQueryItem(u"name"_s, QString::fromUtf8(QUrl::toPercentEncoding(name)));
    query.addQueryItem(u"layout"_s, layout);
    query.addQueryItem(u"pin"_s, QString::fromUtf8(QUrl::toPercentEncoding(pin)));
    url.setQuery(query);
    return url.toString(QUrl::FullyEncoded);
}
