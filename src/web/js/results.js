// The live results page: the choices of session, view, level and gym, and
// the table of places that LiveResults keeps up to date. The same page,
// marked data-published, is the page of a published results site: it reads
// the site's files beside it instead of the server's API.
import {failoverFor} from './failover.js';
import {findGymnast, Following} from './following.js';
import {localScore, onLanguageChange, startPage, t} from './i18n.js';
import {LiveResults, pollInterval, PublishedPaths} from './liveresults.js';
import {fillSelect, loadMeet} from './meet.js';
import {Events} from './protocol.js';
import {socketUrl} from './reconnect.js';
import {choices, groupTitle, sessionText, viewChoices, viewGroups} from './resultsview.js';
import {browserFeeds, nameThePage, publishedFeeds} from './shell.js';

const $ = (id) => document.getElementById(id);
const published = 'published' in document.body.dataset;
let failover = null; // goes on with the meet's next server when this one is gone
const following = new Following(localStorage);
let found = null; // the number of the gymnast last searched for

// The results as the page draws them.
const view = {
    showSessions(list, chosen) {
        fillSelect($('session'), list, chosen);
    },
    showStatus(text, online) {
        $('updated').textContent = text;
        $('updated').classList.toggle('offline', !online);
        failover?.answering(online);
    },
    render: () => render(),
    choice: () => ({view: $('view').value, level: $('level').value}),
};

const results = new LiveResults(
    view,
    published
        ? {pollMs: pollInterval(location.search), ...publishedFeeds}
        : {url: socketUrl(location, '/updates'), ...browserFeeds},
);

function cell(className, ...content) {
    const td = document.createElement('td');
    td.className = className;
    td.append(...content);
    return td;
}

function span(className, text) {
    const element = document.createElement('span');
    element.className = className;
    element.textContent = text;
    return element;
}

function groupRow(title) {
    const tr = document.createElement('tr');
    tr.className = 'group';
    const th = document.createElement('th');
    th.colSpan = 3;
    th.scope = 'rowgroup';
    th.textContent = title;
    tr.append(th);
    return tr;
}

// "Vault 9,350": a score with its event, so it reads without the table's head.
function eventScore(event, score, held) {
    const text = held ? t('results.under-review') : localScore(score) || '–';
    return span('event-score', `${event} ${text}`);
}

// The score column's caption, also written over each score: a phone held
// upright scrolls the table's head away.
function viewName(view) {
    if (view === 'Teams') return t('results.team-aa');
    return view === 'AA' ? t('results.aa') : view;
}

function followButton(row) {
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'follow';
    const on = following.has(row);
    button.setAttribute('aria-pressed', String(on));
    button.textContent = on ? `★ ${t('results.following-one')}` : `☆ ${t('results.follow')}`;
    button.setAttribute('aria-label', t(on ? 'results.unfollow-who' : 'results.follow-who', row));
    button.addEventListener('click', () => {
        following.toggle(row);
        render();
    });
    return button;
}

function gymnastRow(row, view) {
    const tr = document.createElement('tr');
    tr.dataset.num = row.num;
    tr.classList.toggle('recent', row.recent);
    const followed = following.has(row);
    tr.classList.toggle('followed', followed);
    tr.classList.toggle('found', found === String(row.num));
    if (found === String(row.num)) tr.setAttribute('aria-current', 'true');
    const who = cell('who', span('name', followed ? `★ ${row.name}` : row.name));
    if (row.recent) who.append(span('new', t('results.new')));
    const detail = span('detail', `#${row.num} · ${row.gym}`);
    if (view === 'AA')
        detail.append(
            ...Events.map((event, i) =>
                eventScore(event, row.events[i], row.heldEvents.includes(event)),
            ),
        );
    who.append(detail);
    if (row.inquiry && !row.review) who.append(span('inquiry', t('results.under-inquiry')));
    who.append(followButton(row));
    tr.classList.toggle('inquiry', row.inquiry);
    tr.classList.toggle('review', row.review);
    const score = row.review ? t('results.under-review') : localScore(row.score);
    const scoreCell = cell('score', span('score-event', viewName(view)), score);
    tr.append(cell('place', row.place ?? ''), who, scoreCell);
    return tr;
}

// The followed gymnasts above the table, each with every score and place.
function renderFollowed() {
    const list = following.summaries(results.rows);
    $('followed').hidden = list.length === 0;
    $('followed-list').replaceChildren(
        ...list.map((g) => {
            const li = document.createElement('li');
            li.dataset.num = g.num;
            const scores = span('scores', '');
            scores.append(
                ...g.scores.map(({event, score, place, held}) => {
                    const item = eventScore(event === 'AA' ? t('results.aa') : event, score, held);
                    if (place !== null && !held) item.append(span('where', ` (${place})`));
                    return item;
                }),
            );
            li.append(
                span('name', `★ ${g.name}`),
                span('detail', `#${g.num} · ${g.gym} · ${groupTitle(g.level, g.division)}`),
                scores,
            );
            return li;
        }),
    );
}

function teamRow(team) {
    const tr = document.createElement('tr');
    tr.dataset.gym = team.gym;
    const who = cell('who', span('name', team.gym));
    const detail = span('detail', '');
    detail.append(...Events.map((e) => eventScore(e, team[e], false)));
    who.append(detail);
    const scoreCell = cell('score', span('score-event', viewName('Teams')), localScore(team.AA));
    tr.append(cell('place', team.place ?? ''), who, scoreCell);
    return tr;
}

function render() {
    const view = $('view').value;
    const filters = {level: $('level').value, gym: $('gym').value};
    const {levels, gyms} = choices(results.rows);
    fillSelect(
        $('level'),
        [['', t('results.all')], ...levels.map((l) => [l, groupTitle(l, '')])],
        filters.level,
    );
    fillSelect($('gym'), [['', t('results.all')], ...gyms.map((g) => [g, g])], filters.gym);
    $('gym').disabled = view === 'Teams';
    $('scorehead').textContent = viewName(view);

    const table = $('results');
    const bodies = [];
    if (view === 'Teams') {
        for (const {level, teams} of results.teams) {
            const body = document.createElement('tbody');
            body.append(
                groupRow(t('results.teams-of', {level: groupTitle(level, '')})),
                ...teams.map(teamRow),
            );
            bodies.push(body);
        }
    } else {
        const recent = (num, event) => results.isRecent(num, event);
        for (const group of viewGroups(results.rows, view, filters, recent)) {
            const body = document.createElement('tbody');
            body.append(groupRow(group.title), ...group.rows.map((row) => gymnastRow(row, view)));
            bodies.push(body);
        }
    }
    table.querySelectorAll('tbody').forEach((body) => body.remove());
    table.append(...bodies);
    $('empty').hidden = bodies.length > 0;
    renderFollowed();
}

// Scrolls to the gymnast the box names and marks the row; the mark stays
// through live updates until the next search.
function search() {
    const query = $('search').value;
    found = findGymnast(results.rows, query);
    if (found !== null && $('view').value === 'Teams') $('view').value = 'AA';
    if (found !== null && $('gym').value) $('gym').value = '';
    if (found !== null && $('level').value) $('level').value = '';
    render();
    const row =
        found === null ? null : $('results').querySelector(`tr[data-num="${CSS.escape(found)}"]`);
    $('search-status').textContent =
        query.trim() === ''
            ? ''
            : row
              ? t('results.found', {name: results.rows.find((r) => String(r.num) === found).name})
              : t('results.not-found', {query: query.trim()});
    row?.scrollIntoView({block: 'center'});
}

function fillViews() {
    fillSelect($('view'), viewChoices(), $('view').value || 'AA');
}

async function start() {
    await startPage();
    fillViews();
    onLanguageChange(() => {
        fillViews();
        const sessions = results.sessions ?? [];
        view.showSessions(
            sessions.map((s) => [String(s.id), sessionText(s)]),
            String(results.session),
        );
        results.showStatus();
        render();
    });
    $('find').addEventListener('submit', (event) => {
        event.preventDefault();
        search();
    });
    const teamsOrRender = () => ($('view').value === 'Teams' ? results.refresh() : render());
    $('session').addEventListener('change', () =>
        results.chooseSession(Number($('session').value)),
    );
    $('view').addEventListener('change', teamsOrRender);
    $('level').addEventListener('change', teamsOrRender);
    $('gym').addEventListener('change', render);
    $('choices').addEventListener('submit', (event) => event.preventDefault());
    setInterval(() => results.tick(), 10000);
    // A page moved here from another server keeps its address's query.
    if (!published) failover = failoverFor({});
    results.start();
    loadMeet(published ? PublishedPaths.meet : '/api/meet').then((meet) => {
        nameThePage(document, meet.name, '', 'results.title');
        failover?.know(meet);
    });
}

start();
