// A parent's view of the results: finding a gymnast by name or number, and
// the gymnasts followed in this browser with their scores. No DOM here.
import {Events} from './protocol.js';

export const FollowKey = 'tallvane.followed';

// Lower case without accents, so "jose" finds "José".
const folded = (text) =>
    String(text ?? '')
        .normalize('NFD')
        .replace(/\p{Diacritic}/gu, '')
        .toLowerCase()
        .trim();

// The number of the first row `query` finds: a number is matched whole
// ("12" is not "112"), anything else as a part of the name. Null for none.
export function findGymnast(rows, query) {
    const wanted = folded(query).replace(/^#/, '');
    if (!wanted) return null;
    const byNumber = rows.find((row) => folded(row.num) === wanted);
    if (byNumber) return String(byNumber.num);
    const words = wanted.split(/\s+/);
    const byName = rows.find((row) => words.every((word) => folded(row.name).includes(word)));
    return byName ? String(byName.num) : null;
}

// The gymnasts followed, each by number and name (a number alone would follow
// someone else at the next meet), kept in a Web Storage.
export class Following {
    constructor(storage) {
        this.storage = storage;
        this.list = [];
        try {
            const kept = JSON.parse(storage?.getItem(FollowKey) ?? '[]');
            if (Array.isArray(kept))
                this.list = kept.filter((g) => g && typeof g.num === 'string' && 'name' in g);
        } catch {
            // unreadable: nobody is followed
        }
    }

    has(row) {
        return this.list.some((g) => g.num === String(row.num) && g.name === row.name);
    }

    toggle(row) {
        if (this.has(row))
            this.list = this.list.filter(
                (g) => !(g.num === String(row.num) && g.name === row.name),
            );
        else this.list.push({num: String(row.num), name: row.name});
        try {
            this.storage?.setItem(FollowKey, JSON.stringify(this.list));
        } catch {
            // a browser that keeps nothing: followed for this visit only
        }
        return this.has(row);
    }

    // The followed gymnasts in the results, in the order they were followed:
    // each with every event's score and place and the all-around's.
    summaries(rows) {
        const found = [];
        for (const g of this.list) {
            const row = rows.find((r) => String(r.num) === g.num && r.name === g.name);
            if (!row) continue;
            const held = row.review ?? [];
            found.push({
                num: g.num,
                name: row.name,
                gym: row.gym,
                level: row.level,
                division: row.division,
                scores: [...Events, 'AA'].map((event) => ({
                    event,
                    score: row[event] ?? null,
                    place: row.places?.[event] ?? null,
                    held: event === 'AA' ? held.length > 0 : held.includes(event),
                })),
            });
        }
        return found;
    }
}
