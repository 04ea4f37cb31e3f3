// The seats' health for the meet director's tablet: an operator log-in, then
// the table of /api/health, asked for again every few seconds.
import {startPage, t} from './i18n.js';
import {loadMeet} from './meet.js';
import {rehearsalCells, rehearsalClass, seatCells, seatClass, summaryText} from './seatsview.js';
import {nameThePage} from './shell.js';

const RefreshMs = 3000;
// While a rehearsal runs, each answer shows at once.
const RehearsalRefreshMs = 1000;
const $ = (id) => document.getElementById(id);

let timer = null;

function showLogin(message = '') {
    $('seats-view').hidden = true;
    $('login').hidden = false;
    $('login-error').textContent = message;
    $('updated').textContent = t('health.login-needed');
    $('operator-pin').focus();
}

// A table row: the first cell heads it.
function tableRow(className, cells) {
    const row = document.createElement('tr');
    row.className = className;
    row.append(
        ...cells.map((text, column) => {
            const cell = document.createElement(column === 0 ? 'th' : 'td');
            if (column === 0) cell.scope = 'row';
            cell.textContent = text;
            return cell;
        }),
    );
    return row;
}

function showRehearsal(rehearsal) {
    $('rehearsal-status').textContent = rehearsal?.status ?? '';
    $('rehearsal-start').disabled = rehearsal?.running ?? false;
    const lines = rehearsal?.seats ?? [];
    $('rehearsal-rows').replaceChildren(
        ...lines.map((line) => tableRow(rehearsalClass(line), rehearsalCells(line))),
    );
}

function showSeats(health) {
    $('login').hidden = true;
    $('seats-view').hidden = false;
    $('summary').textContent = summaryText(health.seats);
    $('seat-rows').replaceChildren(
        ...health.seats.map((seat) => tableRow(seatClass(seat), seatCells(seat))),
    );
    showRehearsal(health.rehearsal);
    $('updated').textContent = t('health.updated', {time: health.time});
    $('updated').classList.remove('offline');
}

async function refresh() {
    clearTimeout(timer);
    let wait = RefreshMs;
    try {
        const response = await fetch('/api/health', {cache: 'no-store'});
        if (response.status === 401) {
            showLogin();
            return;
        }
        if (!response.ok) throw new Error(String(response.status));
        const health = await response.json();
        showSeats(health);
        if (health.rehearsal?.running) wait = RehearsalRefreshMs;
    } catch {
        $('updated').textContent = t('link.offline');
        $('updated').classList.add('offline');
    }
    timer = setTimeout(refresh, wait);
}

async function startRehearsal() {
    $('rehearsal-start').disabled = true;
    try {
        const response = await fetch('/api/rehearsal/start', {method: 'POST'});
        if (response.status === 401) {
            showLogin();
            return;
        }
        if (!response.ok) {
            const answer = await response.json().catch(() => ({}));
            $('rehearsal-status').textContent = answer.error ?? t('health.rehearsal-failed');
            $('rehearsal-start').disabled = false;
            return;
        }
        await refresh();
    } catch {
        $('rehearsal-status').textContent = t('health.unreachable');
        $('rehearsal-start').disabled = false;
    }
}

async function logIn(event) {
    event.preventDefault();
    $('login-error').textContent = t('link.logging-in');
    try {
        const response = await fetch('/api/operator/login', {
            method: 'POST',
            headers: {'X-Operator-Pin': $('operator-pin').value},
        });
        if (!response.ok) {
            const answer = await response.json().catch(() => ({}));
            showLogin(answer.error ?? t('health.login-failed'));
            return;
        }
        $('operator-pin').value = '';
        await refresh();
    } catch {
        showLogin(t('health.unreachable'));
    }
}

$('login').addEventListener('submit', logIn);
$('rehearsal-start').addEventListener('click', startRehearsal);
$('rehearsal-print').addEventListener('click', () => window.print());
await startPage();
$('updated').textContent = t('link.connecting');
loadMeet().then((meet) => nameThePage(document, meet.name, '', 'health.title'));
refresh();
