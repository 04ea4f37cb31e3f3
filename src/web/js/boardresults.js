// What the results layouts of a board show, worked out from the results API's
// answers: the leaders of a level and age division on the all-around and each
// event, and the teams of a level. Places and ties are the server's; nothing
// here ranks anyone. No DOM here.
import {Columns} from './announcing.js';
import {Events} from './protocol.js';
import {groupTitle} from './resultsview.js';

export const LeaderPlaces = 8;

const byNumber = (a, b) => String(a.num).localeCompare(String(b.num), undefined, {numeric: true});

// The level a board shows: the one chosen, else the session's first.
export function levelShown(rows, level) {
    return level || (rows[0]?.level ?? '');
}

// Per level and age division (one when `division` is given, else each of the
// level's): per column ('AA' first, then each event) those placed 1 to
// `places`, best first; a tie shares its place and all are listed. A score
// held for review is not placed, so not listed.
export function leaderGroups(rows, {level = '', division = ''} = {}, places = LeaderPlaces) {
    const shown = levelShown(rows, level);
    const groups = new Map();
    for (const row of rows) {
        if (row.level !== shown || (division && row.division !== division)) continue;
        const key = row.division ?? '';
        if (!groups.has(key)) groups.set(key, []);
        groups.get(key).push(row);
    }
    return [...groups].map(([groupDivision, members]) => ({
        title: groupTitle(shown, groupDivision),
        columns: ['AA', ...Events].map((column) => ({
            column,
            entries: members
                .filter((row) => (row.places?.[column] ?? Infinity) <= places)
                .sort((a, b) => a.places[column] - b.places[column] || byNumber(a, b))
                .map((row) => ({
                    num: row.num,
                    name: row.name,
                    gym: row.gym,
                    place: row.places[column],
                    score: row[column] ?? null,
                })),
        })),
    }));
}

// The teams of the level as the server gives them, best first.
export function teamRows(teams) {
    return (teams ?? []).map((team) => ({
        gym: team.gym,
        place: team.place ?? null,
        scores: Columns.map((column) => team[column] ?? null),
    }));
}
