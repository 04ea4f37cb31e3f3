// What the announcer's page says, worked out from /api/announcer: per event
// the gymnast competing and the next ones in her squad's running order, the
// scores as they come with the places they earn, the all-around leaders and,
// once every score is in, the awards in the order they are called. Places are
// the server's; nothing here ranks anyone. No DOM here.
import {Events} from './protocol.js';
import {groupTitle} from './resultsview.js';

export const LeaderPlaces = 3;
export const AwardPlaces = 3;
export const FeedLength = 40;
export const Columns = Object.freeze([...Events, 'AA']);

const numeric = (a, b) => String(a.num).localeCompare(String(b.num), undefined, {numeric: true});

// The event's score is in: stored, or held for the meet referee's review.
export function hasCompeted(row, event) {
    return (row[event] ?? null) !== null || (row.review ?? []).includes(event);
}

function runningOrder(a, b) {
    const oa = a.order ?? null;
    const ob = b.order ?? null;
    if ((oa === null) !== (ob === null)) return oa === null ? 1 : -1;
    return oa !== ob ? oa - ob : numeric(a, b);
}

// The `count` gymnasts after `num` in her squad's running order (going round
// to the squad's start) who have not yet competed on `event`. Nobody when she
// is in no squad: the page cannot tell who follows her then.
export function upNext(rows, event, num, count = 2) {
    const current = rows.find((row) => row.num === num);
    if (!current || !current.squad) return [];
    // Squad names match whatever their case, as the judges' squad lists do.
    const name = current.squad.toLowerCase();
    const squad = rows.filter((row) => row.squad?.toLowerCase() === name).sort(runningOrder);
    const at = squad.indexOf(current);
    const after = [...squad.slice(at + 1), ...squad.slice(0, at)];
    return after.filter((row) => !hasCompeted(row, event)).slice(0, count);
}

// A gymnast as the page names her, with her score and place on `column`.
function entry(row, column) {
    const review =
        column === 'AA' ? (row.review ?? []).length > 0 : (row.review ?? []).includes(column);
    return {
        num: row.num,
        name: row.name,
        gym: row.gym,
        group: groupTitle(row.level, row.division),
        score: review ? null : (row[column] ?? null),
        place: review ? null : (row.places?.[column] ?? null),
        review,
    };
}

// Per event: {event, current (an entry or null), next (entries)}.
export function eventsNow(answer) {
    const rows = answer?.rows ?? [];
    return Events.map((event) => {
        const num = answer?.underway?.[event] ?? null;
        const row = rows.find((r) => r.num === num);
        return {
            event,
            current: row ? entry(row, event) : null,
            next: row ? upNext(rows, event, num).map((r) => entry(r, event)) : [],
        };
    });
}

// The rows by level and age division, in the server's order.
function groups(rows) {
    const byKey = new Map();
    for (const row of rows) {
        const key = `${row.level}\u0000${row.division}`;
        if (!byKey.has(key)) byKey.set(key, {title: groupTitle(row.level, row.division), rows: []});
        byKey.get(key).rows.push(row);
    }
    return [...byKey.values()];
}

// Per level and age division, those placed 1 to `places` in the all-around
// so far, best first; a tie shares its place and both are listed.
export function leaders(rows, places = LeaderPlaces) {
    return groups(rows).map(({title, rows: members}) => ({
        title,
        leaders: members
            .filter((row) => (row.places?.AA ?? Infinity) <= places)
            .sort((a, b) => a.places.AA - b.places.AA || numeric(a, b))
            .map((row) => entry(row, 'AA')),
    }));
}

// Every gymnast of the session has her four scores in, none held.
export function sessionDone(rows) {
    return (
        rows.length > 0 &&
        rows.every((row) => Events.every((e) => (row[e] ?? null) !== null)) &&
        rows.every((row) => (row.review ?? []).length === 0)
    );
}

// Per level and age division, per event and the all-around, places 1 to
// `places` in the order they are called: the last awarded place first, the
// winner last, those sharing a place together by number.
export function awards(rows, places = AwardPlaces) {
    return groups(rows).map(({title, rows: members}) => ({
        title,
        events: Columns.map((column) => ({
            event: column,
            awards: members
                .filter((row) => (row.places?.[column] ?? Infinity) <= places)
                .sort((a, b) => b.places[column] - a.places[column] || numeric(a, b))
                .map((row) => entry(row, column)),
        })),
    }));
}

// The scores as they come, newest first: each with the gymnast's place on
// the event and in the all-around as they stood when it came. The first
// answer of a session only sets what was there.
export class ScoreFeed {
    constructor(length = FeedLength) {
        this.length = length;
        this.session = null;
        this.seen = new Map(); // "num|event" -> score (null: none or held)
        this.items = [];
    }

    update(session, rows, now) {
        const first = this.session !== session;
        if (first) {
            this.session = session;
            this.seen.clear();
            this.items = [];
        }
        const came = [];
        for (const row of rows) {
            for (const event of Events) {
                const key = `${row.num}|${event}`;
                const score = entry(row, event);
                const shown = score.review ? 'review' : score.score;
                if (!first && shown !== null && this.seen.get(key) !== shown)
                    came.push({...score, event, aaPlace: entry(row, 'AA').place, at: now});
                this.seen.set(key, shown);
            }
        }
        this.items = [...came, ...this.items].slice(0, this.length);
        return came;
    }
}
