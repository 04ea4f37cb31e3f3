// The seats of /api/health as the words of a table: one row per seat, each
// trouble written out (a colour only repeats what the words say). The seat's
// state, marks and the rehearsal's words are the server's own, shown as they come.
import {t} from './i18n.js';

function roundTrip(seat) {
    if (seat.roundTripMs === null) return '';
    return t('health.round-trip', {ms: seat.roundTripMs, worst: seat.worstRoundTripMs});
}

function battery(seat) {
    if (seat.battery === null) return '';
    return t(seat.charging === true ? 'health.battery-charging' : 'health.battery-level', {
        level: seat.battery,
    });
}

function outbox(seat) {
    if (seat.outbox === null) return '';
    if (seat.outbox === 0) return t('health.outbox-empty');
    return t('health.outbox-waiting', {count: seat.outbox, seconds: seat.outboxWaitingSeconds});
}

function device(seat) {
    if (!seat.address) return '';
    return `${seat.address} (${seat.transport})`;
}

function lastScore(seat) {
    return seat.lastScore
        ? t('health.last-score-at', {score: seat.lastScore, time: seat.lastScoreAt})
        : '';
}

// The cells of one seat's row, in the table's order.
export function seatCells(seat) {
    return [
        seat.seat,
        device(seat),
        seat.stateText,
        roundTrip(seat),
        battery(seat),
        outbox(seat),
        lastScore(seat),
        seat.refusedLogins > 0 ? String(seat.refusedLogins) : '',
        seat.marks.join('; '),
    ];
}

// How the row stands out: "trouble" when a seat has any mark.
export function seatClass(seat) {
    return seat.marks.length > 0
        ? `trouble ${seat.state.replace(' ', '-')}`
        : seat.state.replace(' ', '-');
}

// "16 seats: 14 logged in, 2 with trouble"
export function summaryText(seats) {
    const loggedIn = seats.filter((seat) => seat.state === 'logged in').length;
    const troubled = seats.filter((seat) => seat.marks.length > 0).length;
    return t('health.summary', {seats: seats.length, loggedIn, troubled});
}

// One seat of the rehearsal as the cells of its row.
export function rehearsalCells(line) {
    return [line.seat, device(line), line.checkText, line.resultText];
}

// "no-answer" and the like: a seat that did not answer stands out.
export function rehearsalClass(line) {
    const name = line.result.replace(' ', '-');
    return line.result === 'no answer' ? `trouble ${name}` : name;
}
