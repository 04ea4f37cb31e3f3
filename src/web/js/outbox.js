// The judge pad's outbox: every score message stays in the browser's storage
// until the server has confirmed it, so a page reload or a dropped network
// loses nothing. "SCORECONFIRM|0" names no score, so one score is in flight
// at a time and each confirmation belongs to the oldest. A score that may
// have reached the server before a drop is first compared with what the meet
// holds ("GYMNASTQUERY") and sent again only when it is not there, so a score
// is never stored twice. No DOM here.

import {numberIn} from './score.js';
import {
    GymnastQuery,
    GymnastRefusal,
    GymnastReply,
    JudgeScore,
    ScoreConfirm,
    VaultGymnastReply,
    scoreLayout,
} from './protocol.js';

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

// A score message's fields by name.
function scoreOf(message) {
    const fields = message.split('|');
    return scoreLayout(fields).read(fields);
}

// The values a score message writes beside those a gymnast reply holds, as
// [stored, sent] pairs: the judges' scores, start values and adjustments.
function checks(message, reply) {
    const fields = message.split('|');
    const sent = scoreOf(message);
    const layout = reply.length >= VaultGymnastReply.length ? VaultGymnastReply : GymnastReply;
    const stored = layout.read(reply);
    const vault = sent.event === 'Vault';
    if (fields[0] === JudgeScore.command) {
        const judge = Number.parseInt(sent.judge, 10);
        if (!(judge >= 1 && judge <= 7)) return [];
        const pairs = [[stored[`judge${judge}`], sent.score]];
        if (vault) pairs.push([stored[`secondJudge${judge}`], sent.secondScore]);
        return pairs;
    }
    const names = ['judge1', 'judge2', 'judge3', 'judge4', 'start', 'adjustment'];
    if (vault) names.push(...names.map((name) => `second${name[0].toUpperCase()}${name.slice(1)}`));
    return names.map((name) => [stored[name], sent[name]]);
}

// True when the stored values of a gymnast reply are those the score message
// writes: it has been stored already.
export function isStored(scoreMessage, replyFields) {
    const pairs = checks(scoreMessage, replyFields);
    return pairs.length > 0 && pairs.every(([stored, sent]) => sameValue(stored, sent));
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
            const {number, event} = scoreOf(head.message);
            // Judge number 0: a check is no look-up, so the panel's other pads
            // are not moved to this gymnast.
            if (this.station.send(GymnastQuery.text({number, event, judge: 0})))
                this.checking = head.id;
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
        if (fields[0] === ScoreConfirm.command && this.inFlight) {
            this.settle(this.inFlight);
            return;
        }
        if (fields[0] !== GymnastReply.command || !this.checking) return;
        const items = this.entries();
        const head = items[0];
        if (!head || head.id !== this.checking) {
            this.checking = null;
            this.pump();
            return;
        }
        const asked = scoreOf(head.message).number;
        if (GymnastRefusal.read(fields).status === '0') {
            // Another gymnast's reply is a look-up pushed by the panel's judge 1.
            if (plainNumber(GymnastReply.read(fields).number) !== plainNumber(asked)) return;
            this.checking = null;
            this.consumed = fields;
            if (isStored(head.message, fields)) {
                this.settle(head.id);
                return;
            }
        } else {
            const {text} = GymnastRefusal.read(fields);
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
