// Drawing of the board's layouts beside the single score: four quarters of
// event scores, the up-next cards, the leaders and the teams. What they show
// is worked out elsewhere (eventscores.js, boardresults.js); this only draws.
import {Events} from './protocol.js';
import {scoreText} from './score.js';

// The board's own words, in one place.
export const BoardTexts = Object.freeze({
    corrected: 'Corrected score',
    waiting: 'Waiting for the judges',
    upNext: 'Up next',
    lastScore: 'Last score',
    allAround: 'All-around',
    teams: 'Teams',
    noResults: 'No results yet',
    fullScreen: 'Full screen',
});

export function element(tag, className, ...content) {
    const made = document.createElement(tag);
    if (className) made.className = className;
    made.append(...content);
    return made;
}

// The four quarters, one per event, made once.
export function makeQuarters(section) {
    section.replaceChildren(
        ...Events.map((event) => {
            const quarter = element(
                'article',
                'quarter',
                element('h2', 'quarter-event', event),
                element('p', 'quarter-gymnast'),
                element('p', 'quarter-score'),
                element('p', 'quarter-corrected', BoardTexts.corrected),
            );
            quarter.dataset.event = event;
            return quarter;
        }),
    );
    for (const event of Events) showQuarter(section, event, null);
}

// One event's quarter: the score shown now (`live`), else the event's last
// score until its next one comes, or its event name alone.
export function showQuarter(section, event, score, live = Boolean(score)) {
    const quarter = section.querySelector(`.quarter[data-event="${event}"]`);
    if (!quarter) return;
    quarter.querySelector('.quarter-gymnast').textContent = score
        ? `${score.number} ${score.name}`
        : '';
    quarter.querySelector('.quarter-score').textContent = score ? score.score : '';
    quarter.querySelector('.quarter-corrected').hidden = !score?.corrected;
    quarter.dataset.number = score ? score.number : '';
    quarter.dataset.score = score ? score.score : '';
    quarter.classList.toggle('scoring', live);
}

// Per event: the gymnast up, the next two, and the event's last score.
export function drawUpNext(section, events, lastScore) {
    section.replaceChildren(
        ...events.map(({event, current, next}) => {
            const card = element('article', 'upnext-card', element('h2', '', event));
            card.dataset.event = event;
            if (current) {
                card.append(
                    element('p', 'now', `${current.num} ${current.name}`),
                    element('p', 'about', `${current.gym} · ${current.group}`),
                );
                card.dataset.now = current.num;
            } else {
                card.append(element('p', 'idle', BoardTexts.waiting));
            }
            if (next.length > 0) {
                const list = element('ol', 'next');
                list.append(...next.map((n) => element('li', '', `${n.num} ${n.name}`)));
                card.append(element('h3', '', BoardTexts.upNext), list);
                card.dataset.next = next.map((n) => n.num).join(' ');
            }
            const last = lastScore(event);
            if (last)
                card.append(
                    element(
                        'p',
                        'last',
                        `${BoardTexts.lastScore}: ${last.number} ${last.name} `,
                        element('span', 'score', last.score),
                    ),
                );
            return card;
        }),
    );
}

function placedList(entries) {
    const list = element('ol');
    list.append(
        ...entries.map((e) => {
            const li = element(
                'li',
                '',
                element('span', 'place', String(e.place)),
                element('span', 'who', e.name),
                element('span', 'score', scoreText(e.score)),
            );
            li.dataset.num = e.num;
            li.dataset.place = String(e.place);
            return li;
        }),
    );
    return list;
}

// One level and age division: the all-around and each event, top places.
export function drawLeaders(section, group) {
    if (!group) {
        section.replaceChildren(element('p', 'empty-results', BoardTexts.noResults));
        return;
    }
    section.replaceChildren(
        element('h1', 'results-title', group.title),
        ...group.columns.map(({column, entries}) => {
            const title = column === 'AA' ? BoardTexts.allAround : column;
            const part = element('div', 'leaders-column', element('h2', '', title));
            part.dataset.column = column;
            part.append(placedList(entries));
            return part;
        }),
    );
}

// The teams of a level, best first, with their event scores.
export function drawTeams(section, {title, rows}) {
    const head = element(
        'li',
        'head',
        element('span', ''),
        element('span', '', BoardTexts.teams),
        ...[...Events, 'AA'].map((c) => element('span', 'event', c)),
    );
    const table = element('ol', 'teams-table', head);
    table.append(
        ...rows.map((row) => {
            const li = element(
                'li',
                '',
                element('span', 'place', row.place === null ? '' : String(row.place)),
                element('span', 'who', row.gym),
                ...row.scores.map((s, i) =>
                    element(
                        'span',
                        i === row.scores.length - 1 ? 'event score' : 'event',
                        scoreText(s),
                    ),
                ),
            );
            li.dataset.gym = row.gym;
            return li;
        }),
    );
    section.replaceChildren(
        element('h1', 'results-title', title ? `${BoardTexts.teams} · ${title}` : BoardTexts.teams),
        rows.length ? table : element('p', 'empty-results', BoardTexts.noResults),
    );
}
