// Drawing of the board's layouts beside the single score: four quarters of
// event scores, the up-next cards, the leaders and the teams. What they show
// is worked out elsewhere (eventscores.js, boardresults.js); this only draws,
// in the page's language. Event names stay as the server sends them.
import {localScore, t} from './i18n.js';
import {Events} from './protocol.js';
import {numberIn} from './score.js';

// A score as the server sent it ("9.350"), written as the page's language
// writes one ("9,350"); a text that is no number stays as it came.
export function boardScore(text) {
    const value = numberIn(text);
    return value === null ? String(text ?? '') : localScore(value);
}

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
            const corrected = element('p', 'quarter-corrected', t('board.corrected'));
            corrected.dataset.text = 'board.corrected'; // written again in another language
            const quarter = element(
                'article',
                'quarter',
                element('h2', 'quarter-event', event),
                element('p', 'quarter-gymnast'),
                element('p', 'quarter-score'),
                corrected,
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
    quarter.querySelector('.quarter-score').textContent = score ? boardScore(score.score) : '';
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
                card.append(element('p', 'idle', t('board.waiting')));
            }
            if (next.length > 0) {
                const list = element('ol', 'next');
                list.append(...next.map((n) => element('li', '', `${n.num} ${n.name}`)));
                card.append(element('h3', '', t('board.up-next')), list);
                card.dataset.next = next.map((n) => n.num).join(' ');
            }
            const last = lastScore(event);
            if (last)
                card.append(
                    element(
                        'p',
                        'last',
                        `${t('board.last-score', {who: `${last.number} ${last.name}`})} `,
                        element('span', 'score', boardScore(last.score)),
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
                element('span', 'score', localScore(e.score)),
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
        section.replaceChildren(element('p', 'empty-results', t('board.no-results')));
        return;
    }
    section.replaceChildren(
        element('h1', 'results-title', group.title),
        ...group.columns.map(({column, entries}) => {
            const title = column === 'AA' ? t('board.all-around') : column;
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
        element('span', '', t('board.teams')),
        ...Events.map((c) => element('span', 'event', c)),
        element('span', 'event', t('board.aa')),
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
                        localScore(s),
                    ),
                ),
            );
            li.dataset.gym = row.gym;
            return li;
        }),
    );
    section.replaceChildren(
        element(
            'h1',
            'results-title',
            title ? t('board.teams-of', {level: title}) : t('board.teams'),
        ),
        rows.length ? table : element('p', 'empty-results', t('board.no-results')),
    );
}
