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
} from './resultsview.js';
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
    socket: null,
    retryMs: 1000,
    lastMessage: 0,
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

function fillSelect(select, entries, chosen) {
    select.replaceChildren(...entries.map(([value, text]) => new Option(text, value)));
    select.value = chosen;
    if (select.value !== chosen) select.selectedIndex = 0;
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

function connect() {
    const scheme = location.protocol === 'https:' ? 'wss' : 'ws';
    const socket = new WebSocket(`${scheme}://${location.host}/updates`);
    page.socket = socket;
    socket.onopen = () => {
        page.online = true;
        page.retryMs = 1000;
        page.lastMessage = Date.now();
        loadSessions().then(refresh, showStatus); // catch up on what was missed
    };
    socket.onmessage = (event) => {
        page.lastMessage = Date.now();
        let message;
        try {
            message = JSON.parse(event.data);
        } catch {
            return;
        }
        if (message.type === 'scores' && message.session === page.session) refresh();
        else if (message.type === 'session') loadSessions().then(refresh, showStatus);
        else heard();
    };
    socket.onclose = () => {
        if (page.socket !== socket) return;
        page.online = false;
        page.socket = null;
        showStatus();
        setTimeout(connect, page.retryMs);
        page.retryMs = Math.min(page.retryMs * 2, 15000);
    };
}

// The meet's name above the results, and in the tab's title.
async function showMeet() {
    try {
        const meet = await getJson('/api/meet');
        if (meet.name) {
            $('meet-name').textContent = meet.name;
            document.title = `Live results · ${meet.name}`;
        }
    } catch {
        // offline: the results say so; the name comes with the next visit
    }
}

function start() {
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

    // Every few seconds: the status and the marks of new scores age, a silent
    // connection is dropped and made again, and while offline the results
    // are tried directly in case the network is back before the socket.
    setInterval(() => {
        const silentMs = Date.now() - page.lastMessage;
        if (page.socket && page.online && silentMs > 45000) page.socket.close();
        if (!page.online) refresh();
        showStatus();
        render();
    }, 10000);
    connect();
    showMeet();
}

start();
