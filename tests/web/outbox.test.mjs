// The pad's outbox: scores kept until confirmed, checked against the meet after
// a drop, sent again only when not stored.
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {Outbox, Sending, isStored} from '../../src/web/js/outbox.js';
import {MemoryStorage, fakeStation} from './fakes.mjs';

const Bars = 'SENDSCORE|101|2|1|Bars|9.000|9.200||||||10.000|-0.3|9.100|8.800|0';
const Bars2 = 'SENDSCORE|102|2|1|Bars|8.000|8.200||||||10.000||8.100|8.100|0';
// "GYMNASTQUERYRESP|0|" first, last, gym, level, squad, age group, S1-S7, start, adj, number.
const stored = (s1, s2, start, adj, num = '101') =>
    `GYMNASTQUERYRESP|0|Ava|Brooks|Riverside|4|A|Junior|${s1}|${s2}||||||${start}|${adj}|${num}`;

function pad() {
    const link = fakeStation();
    const outbox = new Outbox(link.station, new MemoryStorage(), 'box');
    const states = [];
    outbox.addEventListener('score', (e) => states.push(e.detail.state));
    link.station.start();
    link.logIn();
    link.reconnect = () => {
        link.last().drop();
        link.clock.advance(500);
        link.logIn();
    };
    return {...link, outbox, states};
}

test('compares a score message with the stored values', () => {
    const split = (t) => t.split('|');
    assert.ok(isStored(Bars, split(stored('9', '9.2', '10', '-0.3'))));
    assert.ok(!isStored(Bars, split(stored('9', '9.1', '10', '-0.3'))));
    assert.ok(!isStored(Bars, split(stored('', '9.2', '10', '-0.3'))));
    assert.ok(isStored('SENDSCORE2|101|2|Bars|9.2', split(stored('9', '9.2', '10', '-0.3'))));
    assert.ok(!isStored('SENDSCORE2|101|3|Bars|9.2', split(stored('9', '9.2', '10', '-0.3'))));
});

test('one score in flight; each confirmation settles the oldest', () => {
    const p = pad();
    p.outbox.add(Bars);
    p.outbox.add(Bars2);
    assert.deepEqual(p.last().sent.slice(1), [Bars]);
    p.last().receive('SCORECONFIRM|0');
    assert.deepEqual(p.last().sent.slice(1), [Bars, Bars2]);
    p.last().receive('SCORECONFIRM|0');
    const {Waiting, Confirmed} = Sending;
    assert.deepEqual(p.states, [Waiting, Waiting, Confirmed, Confirmed]);
    assert.equal(p.outbox.waiting, 0);
});

test('after a drop a score is checked first and sent again only when not stored', () => {
    const p = pad();
    p.outbox.add(Bars);
    p.outbox.add(Bars2);
    p.reconnect();
    assert.deepEqual(p.last().sent.slice(1), ['GYMNASTQUERY|101|Bars|0']);
    p.last().receive(stored('9', '9.2', '10', '-0.3', '77')); // another gymnast: not the answer
    p.last().receive(stored('9', '9.2', '10', '-0.3')); // stored: settled without a send
    assert.deepEqual(p.last().sent.slice(1), ['GYMNASTQUERY|101|Bars|0', Bars2]);
    p.reconnect();
    p.last().receive(stored('', '', '', '', '102')); // not stored: sent again
    assert.deepEqual(p.last().sent.slice(1), ['GYMNASTQUERY|102|Bars|0', Bars2]);
    p.last().receive('SCORECONFIRM|0');
    assert.equal(p.outbox.waiting, 0);
});

test('an unknown gymnast is sent again: the server still queues it', () => {
    const p = pad();
    p.outbox.add(Bars);
    p.reconnect();
    p.last().receive('GYMNASTQUERYRESP|1|Gymnast 101 not found');
    assert.deepEqual(p.last().sent.slice(1), ['GYMNASTQUERY|101|Bars|0', Bars]);
});
