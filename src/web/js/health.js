// The seats' health for the meet director's tablet: an operator log-in, then
// the table of /api/health, asked for again every few seconds.
import {loadMeet} from './meet.js';
import {seatCells, seatClass, summaryText} from './seatsview.js';
import {nameThePage} from './shell.js';

const RefreshMs = 3000;
const $ = (id) => document.getElementById(id);

let timer = null;

function showLogin(message = '') {
    $('seats-view').hidden = true;
    $('login').hidden = false;
    $('login-error').textContent = message;
    $('updated').textContent = 'Operator log-in needed';
    $('operator-pin').focus();
}

function showSeats(health) {
    $('login').hidden = true;
    $('seats-view').hidden = false;
    $('summary').textContent = summaryText(health.seats);
    $('seat-rows').replaceChildren(
        ...health.seats.map((seat) => {
            const row = document.createElement('tr');
            row.className = seatClass(seat);
            row.append(
                ...seatCells(seat).map((text, column) => {
                    const cell = document.createElement(column === 0 ? 'th' : 'td');
                    if (column === 0) cell.scope = 'row';
                    cell.textContent = text;
                    return cell;
                }),
            );
            return row;
        }),
    );
    $('updated').textContent = `Updated ${health.time}`;
    $('updated').classList.remove('offline');
}

async function refresh() {
    clearTimeout(timer);
    try {
        const response = await fetch('/api/health', {cache: 'no-store'});
        if (response.status === 401) {
            showLogin();
            return;
        }
        if (!response.ok) throw new Error(String(response.status));
        showSeats(await response.json());
    } catch {
        $('updated').textContent = 'Offline: trying again…';
        $('updated').classList.add('offline');
    }
    timer = setTimeout(refresh, RefreshMs);
}

async function logIn(event) {
    event.preventDefault();
    $('login-error').textContent = 'Logging in…';
    try {
        const response = await fetch('/api/operator/login', {
            method: 'POST',
            headers: {'X-Operator-Pin': $('operator-pin').value},
        });
        if (!response.ok) {
            const answer = await response.json().catch(() => ({}));
            showLogin(answer.error ?? 'The log-in failed.');
            return;
        }
        $('operator-pin').value = '';
        await refresh();
    } catch {
        showLogin('The server cannot be reached.');
    }
}

$('login').addEventListener('submit', logIn);
loadMeet().then((meet) => nameThePage(document, meet.name, 'Seats'));
refresh();
