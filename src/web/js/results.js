// The live results page: follows the server's /updates and re-reads the
// results API when a score of the shown session is stored. Keeps showing the
// last results while the network is gone, says since when, and catches up
// once it is back.
import {
    ChangeTracker,
    choices,
    groupTitle,
    sessionText,
    statusText,
    viewGroups,
    ViewChoices,
} from './resultsview.js';
import {fillSelect, loadMeet} from './meet.js';
import {ReconnectingSocket, socketUrl} from './reconnect.js';
import {nameThePage} from './shell.js';
import {Events} from './protocol.js';
import {scoreText} from './score.js';

const $ = (id) => document.getElementById(id);
const page = {
    sessions: [],
    session: null, // the session shown
    followCurrent: true, // until a session is chosen by hand
    rows: [],
    teams: [],
    lastHeard: null,
    online: false,
};
const tracker = new ChangeTracker();

async function getJson(path) {
    // no-cache: the browser asks again with the ETag it has and gets 304 when
    // nothing changed.
    const response = await fetch(path, {cache: 'no-cache'});
    if (!response.ok) throw new Error(`${path}: ${response.status}`);
    return response.json();
}

function heard() {
    page.lastHeard = Date.now();
    showStatus();
}

function showStatus() {
    const updated = $('updated');
    updated.textContent = statusText(page.lastHeard, page.online, Date.now());
    updated.classList.toggle('offline', !page.online);
}

async function loadSessions() {
    page.sessions = await getJson('/api/sessions');
    const current = page.sessions.find((s) => s.current) ?? page.sessions[0];
    if (page.followCurrent || !page.sessions.some((s) => s.id === page.session))
        page.session = current ? current.id : null;
    fillSelect(
        $('session'),
        page.sessions.map((s) => [String(s.id), sessionText(s)]),
        String(page.session),
    );
}

let loading = null;
let loadAgain = false;
// Re-reads the shown session; a request made while one runs is done after it.
async function loadResults() {
    if (loading) {
        loadAgain = true;
        return loading;
    }
    loading = (async () => {
        do {
            loadAgain = false;
            if (page.session === null) break;
            const session = page.session;
            const answer = await getJson(`/api/results?session=${session}`);
            if (session !== page.session) continue;
            page.rows = answer.rows;
            tracker.update(session, page.rows, Date.now());
            if ($('view').value === 'Teams') await loadTeams();
            heard();
            render();
        } while (loadAgain);
    })();
    try {
        await loading;
    } finally {
        loading = null;
    }
}

async function loadTeams() {
    const levels = $('level').value ? [$('level').value] : choices(page.rows).levels;
    page.teams = await Promise.all(
        levels.map(async (level) => ({
            level,
            teams: (
                await getJson(
                    `/api/teams?session=${page.session}&level=${encodeURIComponent(level)}`,
                )
            ).teams,
        })),
    );
}

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
        view === 'AA' ? ' · ' + row.events.map((s) => scoreText(s) || '–').join(' ') : '';
    who.append(span('detail', `#${row.num} · ${row.gym}${events}`));
    tr.append(cell('place', row.place ?? ''), who, cell('score', scoreText(row.score)));
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
    const {levels, gyms} = choices(page.rows);
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
        for (const {level, teams} of page.teams) {
            const body = document.createElement('tbody');
            body.append(groupRow(`Teams · ${groupTitle(level, '')}`), ...teams.map(teamRow));
            bodies.push(body);
        }
    } else {
        const now = Date.now();
        const recent = (num, event) => tracker.isRecent(num, event, now);
        for (const group of viewGroups(page.rows, view, filters, recent)) {
            const body = document.createElement('tbody');
            body.append(groupRow(group.title), ...group.rows.map((row) => gymnastRow(row, view)));
            bodies.push(body);
        }
    }
    table.querySelectorAll('tbody').forEach((body) => body.remove());
    table.append(...bodies);
    $('empty').hidden = bodies.length > 0;
}

async function refresh() {
    try {
        await loadResults();
    } catch {
        // Offline or the server busy: the last results stay, the status says so.
        showStatus();
    }
}

// The server's word that results changed, over a socket that comes back by
// itself; once back, the page catches up on what it missed.
const UpdatesSilenceMs = 45000;
const UpdatesRetryMs = [1000, 2000, 4000, 8000, 15000];
const updates = new ReconnectingSocket(socketUrl(location, '/updates'), {
    silenceMs: UpdatesSilenceMs,
    retryMs: UpdatesRetryMs,
});
updates.addEventListener('open', () => {
    updates.connected();
    page.online = true;
    loadSessions().then(refresh, showStatus);
});
updates.addEventListener('data', (event) => {
    let message;
    try {
        message = JSON.parse(event.detail);
    } catch {
        return;
    }
    if (message.type === 'scores' && message.session === page.session) refresh();
    else if (message.type === 'session') loadSessions().then(refresh, showStatus);
    else heard();
});
updates.addEventListener('drop', () => {
    page.online = false;
    showStatus();
});

function start() {
    fillSelect($('view'), ViewChoices, 'AA');
    $('session').addEventListener('change', () => {
        page.followCurrent = false;
        page.session = Number($('session').value);
        refresh();
    });
    $('view').addEventListener('change', () =>
        $('view').value === 'Teams' ? refresh() : render(),
    );
    $('level').addEventListener('change', () =>
        $('view').value === 'Teams' ? refresh() : render(),
    );
    $('gym').addEventListener('change', render);
    $('choices').addEventListener('submit', (event) => event.preventDefault());

    // Every few seconds: the status and the marks of new scores age, and
    // while offline the results are tried directly in case the network is
    // back before the socket.
    setInterval(() => {
        if (!page.online) refresh();
        showStatus();
        render();
    }, 10000);
    updates.start();
    loadMeet().then((meet) => nameThePage(document, meet.name, 'Live results'));
}

start();
