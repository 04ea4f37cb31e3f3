// The judge pad's outbox: every score message stays in the browser's storage
// until the server has confirmed it, so a page reload or a dropped network
// loses nothing. "SCORECONFIRM|0" names no score, so one score is in flight
// at a time and each confirmation belongs to the oldest. A score that may
// have reached the server before a drop is first compared with what the meet
// holds ("GYMNASTQUERY") and sent again only when it is not there, so a score
// is never stored twice. No DOM here.

import {numberIn} from './panel.js';

export const Sending = Object.freeze({
    Waiting: 'Waiting', // not yet confirmed by the server
    Confirmed: 'Confirmed', // the server has it
});

// A gymnast number as the server answers it: digits lose leading zeros.
function plainNumber(number) {
    const text = String(number).trim();
    return /^\d+$/.test(text) ? String(Number.parseInt(text, 10)) : text;
}

function sameValue(stored, sent) {
    const a = numberIn(stored);
    const b = numberIn(sent);
    if (a !== null || b !== null) return a !== null && b !== null && Math.abs(a - b) < 1e-9;
    return String(stored ?? '').trim() === String(sent ?? '').trim();
}

// The stored values a score message writes, as [reply field, sent value]
// pairs of a "GYMNASTQUERYRESP|0|..." split at "|" (index 8 is judge 1's score).
function checks(fields) {
    if (fields[0] === 'SENDSCORE2') {
        const judge = Number.parseInt(fields[2], 10);
        if (!(judge >= 1 && judge <= 7)) return [];
        const pairs = [[7 + judge, fields[4]]];
        if (fields[3] === 'Vault') pairs.push([16 + judge, fields[5]]);
        return pairs;
    }
    const pairs = [
        [8, fields[5]],
        [9, fields[6]],
        [10, fields[7]],
        [11, fields[8]],
        [15, fields[12]],
        [16, fields[13]],
    ];
    if (fields[4] === 'Vault') {
        pairs.push(
            [17, fields[16]],
            [18, fields[17]],
            [19, fields[18]],
            [20, fields[19]],
            [24, fields[23]],
            [25, fields[24]],
        );
    }
    return pairs;
}

// True when the stored values of a gymnast reply are those the score message
// writes: it has been stored already.
export function isStored(scoreMessage, replyFields) {
    const pairs = checks(scoreMessage.split('|'));
    return pairs.length > 0 && pairs.every(([index, sent]) => sameValue(replyFields[index], sent));
}

export class Outbox extends EventTarget {
    // `station` is a Station (send, loggedIn, its 'link' and 'message'
    // events); `storage` a Web Storage (localStorage) and `key` the item.
    constructor(station, storage, key = 'tallvane.outbox') {
        super();
        this.station = station;
        this.storage = storage;
        this.key = key;
        this.inFlight = null; // the id of the score sent and not yet confirmed
        this.checking = null; // the id of the score being compared with the meet
        this.consumed = null; // the last reply taken as a check's answer (no look-up)
        station.addEventListener('link', () => this.linkChanged());
        station.addEventListener('message', (event) => this.received(event.detail.fields));
    }

    entries() {
        try {
            const items = JSON.parse(this.storage.getItem(this.key) ?? '[]');
            return Array.isArray(items) ? items : [];
        } catch {
            return [];
        }
    }

    save(items) {
        this.storage.setItem(this.key, JSON.stringify(items));
    }

    get waiting() {
        return this.entries().length;
    }

    // Keeps a score message (SENDSCORE or SENDSCORE2) and sends it when it can.
    add(message) {
        const items = this.entries();
        const id = `${Date.now().toString(36)}-${Math.random().toString(36).slice(2, 8)}`;
        items.push({id, message, sent: false});
        this.save(items);
        this.report(id, message, Sending.Waiting);
        this.pump();
        return id;
    }

    linkChanged() {
        // A score in flight or being checked on a lost connection may or may
        // not have arrived: it is checked again on the next log-in.
        this.inFlight = null;
        this.checking = null;
        this.pump();
    }

    pump() {
        if (!this.station.loggedIn || this.inFlight || this.checking) return;
        const items = this.entries();
        const head = items[0];
        if (!head) return;
        if (head.sent) {
            const fields = head.message.split('|');
            const event = fields[0] === 'SENDSCORE2' ? fields[3] : fields[4];
            // Judge number 0: a check is no look-up, so the panel's other pads
            // are not moved to this gymnast.
            if (this.station.send(`GYMNASTQUERY|${fields[1]}|${event}|0`)) this.checking = head.id;
            return;
        }
        this.sendHead(items);
    }

    sendHead(items) {
        const head = items[0];
        head.sent = true;
        this.save(items);
        if (this.station.send(head.message)) this.inFlight = head.id;
    }

    received(fields) {
        if (fields[0] === 'SCORECONFIRM' && this.inFlight) {
            this.settle(this.inFlight);
            return;
        }
        if (fields[0] !== 'GYMNASTQUERYRESP' || !this.checking) return;
        const items = this.entries();
        const head = items[0];
        if (!head || head.id !== this.checking) {
            this.checking = null;
            this.pump();
            return;
        }
        const asked = head.message.split('|')[1];
        if (fields[1] === '0') {
            if (plainNumber(fields[fields.length - 1]) !== plainNumber(asked)) return; // another gymnast's reply (a look-up pushed by the panel's judge 1)
            this.checking = null;
            this.consumed = fields;
            if (isStored(head.message, fields)) {
                this.settle(head.id);
                return;
            }
        } else {
            const text = fields.slice(2).join('|');
            if (
                text !== `Gymnast ${asked} not found` &&
                text !== `Gymnast ${plainNumber(asked)} not found`
            )
                return;
            this.checking = null; // unknown number: the server still confirms and queues it
            this.consumed = fields;
        }
        this.sendHead(items);
    }

    settle(id) {
        const items = this.entries();
        const index = items.findIndex((item) => item.id === id);
        const [item] = index >= 0 ? items.splice(index, 1) : [null];
        this.save(items);
        if (this.inFlight === id) this.inFlight = null;
        if (item) this.report(id, item.message, Sending.Confirmed);
        this.pump();
    }

    report(id, message, state) {
        this.dispatchEvent(new CustomEvent('score', {detail: {id, message, state}}));
    }
}
