// What the results page shows, worked out from the results API's answers:
// groups by level and age division, rows in place order for the chosen view,
// and which scores changed in the last minute. No DOM here.
import {localTime, t} from './i18n.js';
import {Events} from './protocol.js';

// What the page can show, as [value, text] for the chooser: the all-around
// first, each event, then the teams.
export const viewChoices = () => [
    ['AA', t('results.all-around')],
    ...Events.map((e) => [e, e]),
    ['Teams', t('results.teams')],
];
export const RecentMs = 60 * 1000;

function byPlaceThenNumber(column) {
    return (a, b) => {
        const pa = a.places?.[column] ?? null;
        const pb = b.places?.[column] ?? null;
        if ((pa === null) !== (pb === null)) return pa === null ? 1 : -1;
        if (pa !== pb) return pa - pb;
        return String(a.num).localeCompare(String(b.num), undefined, {numeric: true});
    };
}

// "Level 4 · Junior", or "Level 4" without an age division.
export function groupTitle(level, division) {
    const name = /^level/i.test(level) ? level : t('results.level-name', {level});
    return division ? `${name} · ${division}` : name;
}

// The rows of one view ('Vault' ... 'AA'), filtered by level and gym ('' for
// all), in groups of level and division as the server ordered them, each group
// in place order for the view. Each row: {num, name, gym, score, place, recent,
// review, inquiry}; `review` is true when the view's score is held for the
// meet referee's review (for the all-around: any of the gymnast's scores), and
// `events` holds null for a held event's score; `inquiry` is true when the
// view's score (for the all-around: any) is under inquiry.
export function viewGroups(rows, view, {level = '', gym = ''} = {}, recent = () => false) {
    const groups = [];
    const byKey = new Map();
    for (const row of rows) {
        if ((level && row.level !== level) || (gym && row.gym !== gym)) continue;
        const key = `${row.level}\u0000${row.division}`;
        let group = byKey.get(key);
        if (!group) {
            group = {title: groupTitle(row.level, row.division), rows: []};
            byKey.set(key, group);
            groups.push(group);
        }
        group.rows.push(row);
    }
    for (const group of groups) {
        group.rows.sort(byPlaceThenNumber(view));
        group.rows = group.rows.map((row) => {
            const held = row.review ?? [];
            const asked = row.inquiry ?? [];
            return {
                num: row.num,
                name: row.name,
                gym: row.gym,
                score: row[view] ?? null,
                place: row.places?.[view] ?? null,
                events: Events.map((event) => row[event] ?? null),
                recent: recent(row.num, view === 'AA' ? null : view),
                review: view === 'AA' ? held.length > 0 : held.includes(view),
                heldEvents: held,
                inquiry: view === 'AA' ? asked.length > 0 : asked.includes(view),
            };
        });
    }
    return groups;
}

// A session as the chooser lists it: its description, which usually names
// the session already ("Session 1 - Saturday"), else "Session 1".
export function sessionText({id, description, current}) {
    const text = String(description ?? '').trim() || t('results.session-name', {id});
    return current ? t('results.session-now', {session: text}) : text;
}

// The levels and gyms in the rows, for the filters.
export function choices(rows) {
    const levels = [...new Set(rows.map((row) => row.level))];
    const gyms = [...new Set(rows.map((row) => row.gym))].filter(Boolean);
    gyms.sort((a, b) => a.localeCompare(b));
    return {levels, gyms};
}

// Remembers when each gymnast's scores last changed between answers. The
// first answer of a session only sets what was there: nothing is new yet.
export class ChangeTracker {
    constructor() {
        this.session = null;
        this.scores = new Map(); // num -> {Vault: …, …}
        this.changed = new Map(); // "num|event" -> time of the change
    }

    update(session, rows, now) {
        const first = this.session !== session;
        if (first) {
            this.session = session;
            this.scores.clear();
            this.changed.clear();
        }
        for (const row of rows) {
            const before = this.scores.get(row.num);
            for (const event of Events) {
                if (!first && (before?.[event] ?? null) !== (row[event] ?? null))
                    this.changed.set(`${row.num}|${event}`, now);
            }
            this.scores.set(row.num, Object.fromEntries(Events.map((e) => [e, row[e] ?? null])));
        }
    }

    // A score of the gymnast changed within the last minute: on `event`, or
    // on any event when `event` is null.
    isRecent(num, event, now) {
        const events = event ? [event] : Events;
        return events.some((e) => now - (this.changed.get(`${num}|${e}`) ?? -Infinity) < RecentMs);
    }
}

// How the page says when it last heard from the server.
export function statusText(lastHeard, online, now) {
    if (lastHeard === null) return online ? t('link.connecting') : t('results.offline-waiting');
    const time = localTime(lastHeard);
    return online
        ? t('results.live', {time})
        : t('results.offline-since', {time, seconds: Math.round((now - lastHeard) / 1000)});
}
