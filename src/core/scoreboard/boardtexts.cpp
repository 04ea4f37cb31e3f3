#include "boardtexts.h"

#include "displaydispatch.h"
#include "queuegridmodel.h"

#include <QSet>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace {

// "103 Grace D'Angelo 9.100" (a score of an unknown number has no name).
QString scoreLine(const QueueEntry& entry) {
    QStringList parts{entry.num, entry.gymnastName, entry.score};
    parts.removeAll(QString());
    return parts.join(u' ');
}

QString withEvent(const QueueEntry& entry) {
    return scoreLine(entry) + u" ("_s + entry.event + u')';
}

} // namespace

namespace BoardTexts {

QString onTheBoards(const std::optional<QueueEntry>& shown) {
    return u"On the boards: "_s + (shown ? scoreLine(*shown) : u"nothing yet"_s);
}

QString blockingScores(const QueueGridModel& queue, const DisplayDispatch& dispatch) {
    QStringList lines;
    QSet<qint64> queued;
    for (const QueueEntry& entry : queue.entries())
        queued.insert(entry.rowId);
    QSet<qint64> offered;
    for (int event = 0; event < 4; ++event) {
        const auto& entry = dispatch.loop(event)->offered();
        if (entry && queued.contains(entry->rowId)) {
            offered.insert(entry->rowId);
            lines.append(u"On the boards, not yet confirmed by a scoreboard: "_s +
                         withEvent(*entry) + u'.');
        }
    }
    QList<QueueEntry> waiting;
    for (const QueueEntry& entry : queue.entries()) {
        if (!offered.contains(entry.rowId))
            waiting.append(entry);
    }
    if (!waiting.isEmpty()) {
        QString line = u"Waiting to be shown: "_s + withEvent(waiting.constFirst());
        if (waiting.size() > 1)
            line += u" and %1 more"_s.arg(waiting.size() - 1);
        lines.append(line + u'.');
    }
    return lines.join(u'\n');
}

} // namespace BoardTexts
