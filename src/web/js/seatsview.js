// The seats of /api/health as the words of a table: one row per seat, each
// trouble written out (a colour only repeats what the words say).

function roundTrip(seat) {
    if (seat.roundTripMs === null) return '';
    return `${seat.roundTripMs} ms (worst ${seat.worstRoundTripMs} ms)`;
}

function battery(seat) {
    if (seat.battery === null) return '';
    const charging = seat.charging === true ? ', charging' : '';
    return `${seat.battery} %${charging}`;
}

function outbox(seat) {
    if (seat.outbox === null) return '';
    if (seat.outbox === 0) return 'empty';
    return `${seat.outbox} waiting ${seat.outboxWaitingSeconds} s`;
}

function device(seat) {
    if (!seat.address) return '';
    return `${seat.address} (${seat.transport})`;
}

function lastScore(seat) {
    return seat.lastScore ? `${seat.lastScore} at ${seat.lastScoreAt}` : '';
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
    return `${seats.length} seats: ${loggedIn} logged in, ${troubled} with trouble`;
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
