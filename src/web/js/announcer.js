// The announcer's page: per event who is on and who follows, the scores as
// they come with their places, the all-around leaders and, once the session
// is done, the awards in the order to call them. LiveAnnouncer keeps it up
// to date; this draws it.
import {
    localOrdinal as ordinal,
    localScore as scoreText,
    onLanguageChange,
    startPage,
    t,
} from './i18n.js';
import {LiveAnnouncer} from './liveannouncer.js';
import {fillSelect, loadMeet} from './meet.js';
import {socketUrl} from './reconnect.js';
import {browserFeeds, nameThePage} from './shell.js';

const $ = (id) => document.getElementById(id);

function element(tag, className, ...content) {
    const made = document.createElement(tag);
    if (className) made.className = className;
    made.append(...content);
    return made;
}

const placeText = (place) => (place ? ordinal(place) : '');

// "9.450 · 2nd in Level 4 · Junior", or "Under review".
function resultText(entry) {
    if (entry.review) return t('results.under-review');
    if (entry.score === null) return '';
    const place = entry.place
        ? ` · ${t('announcer.place-in', {place: ordinal(entry.place), group: entry.group})}`
        : '';
    return `${scoreText(entry.score)}${place}`;
}

function eventCard({event, current, next}) {
    const card = element('article', 'card event');
    card.dataset.event = event;
    card.append(element('h2', '', event));
    if (!current) {
        card.append(element('p', 'idle', t('announcer.waiting')));
        return card;
    }
    card.append(
        element('p', 'now', `${current.num} ${current.name}`),
        element('p', 'about', `${current.gym} · ${current.group}`),
    );
    const result = resultText(current);
    card.append(element('p', 'result', result || t('announcer.competing')));
    if (next.length > 0) {
        const list = element('ol', 'next');
        list.append(...next.map((n) => element('li', '', `${n.num} ${n.name}, ${n.gym}`)));
        card.append(element('h3', 'up', t('announcer.up-next')), list);
    }
    return card;
}

function feedItem(item, index) {
    const li = element('li', index === 0 ? 'latest' : '');
    li.dataset.num = item.num;
    li.dataset.event = item.event;
    const where = [
        item.place ? t('announcer.place-on', {place: ordinal(item.place), event: item.event}) : '',
        item.aaPlace ? t('announcer.place-aa', {place: ordinal(item.aaPlace)}) : '',
    ].filter(Boolean);
    li.append(
        element('span', 'who', `${item.event}: ${item.num} ${item.name}, ${item.gym} `),
        element('span', 'score', item.review ? t('results.under-review') : scoreText(item.score)),
        element('div', 'where', [item.group, ...where].join(' · ')),
    );
    return li;
}

function placedList(entries) {
    const list = element('ol', 'placed');
    list.append(
        ...entries.map((e) => {
            const li = element(
                'li',
                '',
                element('span', 'place', placeText(e.place)),
                element('span', 'who', `${e.num} ${e.name}, ${e.gym}`),
                element('span', 'score', scoreText(e.score)),
            );
            li.dataset.num = e.num;
            return li;
        }),
    );
    return list;
}

let shown = null; // the last state drawn, drawn again in a new language

function render(state) {
    shown = state;
    const {events, feed, leaders, awards} = state;
    $('events').replaceChildren(...events.map(eventCard));
    $('feed').replaceChildren(...feed.map(feedItem));
    $('feed-empty').hidden = feed.length > 0;
    $('leaders').replaceChildren(
        ...leaders
            .filter((group) => group.leaders.length > 0)
            .map((group) =>
                element(
                    'div',
                    'leaders',
                    element('h3', '', group.title),
                    placedList(group.leaders),
                ),
            ),
    );
    $('awards-card').hidden = awards === null;
    $('awards').replaceChildren(
        ...(awards ?? []).map((group) => {
            const events = element('div', 'award-events');
            events.append(
                ...group.events.map((e) =>
                    element('div', '', element('h4', '', e.event), placedList(e.awards)),
                ),
            );
            return element('div', 'award-group', element('h3', '', group.title), events);
        }),
    );
}

const announcer = new LiveAnnouncer(
    {
        showSessions: (list, chosen) => fillSelect($('session'), list, chosen),
        showStatus(text, online) {
            $('updated').textContent = text;
            $('updated').classList.toggle('offline', !online);
        },
        render,
    },
    {
        url: socketUrl(location, '/updates'),
        ...browserFeeds,
    },
);

await startPage();
$('updated').textContent = t('link.connecting');
onLanguageChange(() => {
    announcer.showStatus?.();
    if (shown) render(shown);
});
$('session').addEventListener('change', () => announcer.chooseSession(Number($('session').value)));
setInterval(() => announcer.tick(), 10000);
announcer.start();
loadMeet().then((meet) => nameThePage(document, meet.name, '', 'announcer.title'));
