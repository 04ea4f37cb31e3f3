// The live results page: the choices of session, view, level and gym, and
// the table of places that LiveResults keeps up to date. The same page,
// marked data-published, is the page of a published results site: it reads
// the site's files beside it instead of the server's API.
import {failoverFor} from './failover.js';
import {LiveResults, pollInterval, PublishedPaths} from './liveresults.js';
import {fillSelect, loadMeet} from './meet.js';
import {Events} from './protocol.js';
import {socketUrl} from './reconnect.js';
import {choices, groupTitle, viewGroups, ViewChoices} from './resultsview.js';
import {scoreText} from './score.js';
import {nameThePage} from './shell.js';

const $ = (id) => document.getElementById(id);
const published = 'published' in document.body.dataset;
let failover = null; // goes on with the meet's next server when this one is gone

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

const results = new LiveResults(view, {
    ...(published
        ? {pollMs: pollInterval(location.search)}
        : {url: socketUrl(location, '/updates')}),
    // no-cache: the browser asks again with the ETag it has and gets 304
    // when nothing changed.
    getJson: async (path) => {
        const response = await fetch(path, {cache: 'no-cache'});
        if (!response.ok) throw new Error(`${path}: ${response.status}`);
        return response.json();
    },
    now: () => Date.now(),
    setTimer: (fn, ms) => setTimeout(fn, ms),
    clearTimer: (id) => clearTimeout(id),
});

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

function gymnastRow(row, view) {
    const tr = document.createElement('tr');
    tr.dataset.num = row.num;
    tr.classList.toggle('recent', row.recent);
    const who = cell('who', span('name', row.name));
    if (row.recent) who.append(span('new', 'NEW'));
    const events =
        view === 'AA'
            ? ' · ' +
              row.events
                  .map((s, i) =>
                      row.heldEvents.includes(Events[i]) ? 'Under review' : scoreText(s) || '–',
                  )
                  .join(' ')
            : '';
    who.append(span('detail', `#${row.num} · ${row.gym}${events}`));
    if (row.inquiry && !row.review) who.append(span('inquiry', 'Under inquiry'));
    tr.classList.toggle('inquiry', row.inquiry);
    tr.classList.toggle('review', row.review);
    const score = row.review ? 'Under review' : scoreText(row.score);
    tr.append(cell('place', row.place ?? ''), who, cell('score', score));
    return tr;
}

function teamRow(team) {
    const tr = document.createElement('tr');
    tr.dataset.gym = team.gym;
    const who = cell('who', span('name', team.gym));
    who.append(span('detail', Events.map((e) => `${e} ${scoreText(team[e]) || '–'}`).join(' · ')));
    tr.append(cell('place', team.place ?? ''), who, cell('score', scoreText(team.AA)));
    return tr;
}

function render() {
    const view = $('view').value;
    const filters = {level: $('level').value, gym: $('gym').value};
    const {levels, gyms} = choices(results.rows);
    fillSelect(
        $('level'),
        [['', 'All'], ...levels.map((l) => [l, groupTitle(l, '')])],
        filters.level,
    );
    fillSelect($('gym'), [['', 'All'], ...gyms.map((g) => [g, g])], filters.gym);
    $('gym').disabled = view === 'Teams';
    $('scorehead').textContent = view === 'Teams' ? 'Team AA' : view;

    const table = $('results');
    const bodies = [];
    if (view === 'Teams') {
        for (const {level, teams} of results.teams) {
            const body = document.createElement('tbody');
            body.append(groupRow(`Teams · ${groupTitle(level, '')}`), ...teams.map(teamRow));
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
}

function start() {
    fillSelect($('view'), ViewChoices, 'AA');
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
        nameThePage(document, meet.name, 'Live results');
        failover?.know(meet);
    });
}

start();
