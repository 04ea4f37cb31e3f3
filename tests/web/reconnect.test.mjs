// The socket that comes back by itself: the waits between attempts, silence,
// and a stop that stays stopped.
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {ReconnectingSocket, retryWait, socketUrl} from '../../src/web/js/reconnect.js';
import {fakeBrowser} from './fakes.mjs';

function link(schedule = [500, 1000, 2000]) {
    const {clock, sockets, browser} = fakeBrowser();
    const updates = new ReconnectingSocket('ws://gym/updates', {
        silenceMs: 10000,
        retryMs: schedule,
        ...browser,
    });
    // The time from each drop to the next attempt.
    const waits = () => {
        const before = sockets.length;
        const start = clock.now;
        sockets.at(-1).drop();
        while (sockets.length === before) clock.advance(100);
        return clock.now - start;
    };
    return {clock, sockets, updates, waits};
}

test('the waits follow the schedule, stay at its last step, and start over after a good connection', () => {
    assert.equal(retryWait([500, 1000, 2000], 9), 2000, 'its last step, however many attempts');
    const l = link();
    l.updates.start();
    assert.deepEqual([l.waits(), l.waits(), l.waits(), l.waits()], [500, 1000, 2000, 2000]);
    l.sockets.at(-1).open();
    l.updates.connected();
    assert.equal(l.waits(), 500);
});

test('a silent connection and a hanging attempt are given up and made again', () => {
    const l = link();
    l.updates.start();
    l.sockets[0].open();
    l.clock.advance(9999);
    l.sockets[0].receive('{"type":"alive"}');
    l.clock.advance(9999);
    assert.equal(l.sockets.length, 1);
    l.clock.advance(1 + 500);
    assert.ok(l.sockets[0].closed);
    assert.equal(l.sockets.length, 2);
    l.clock.advance(10000 + 1000); // never opens
    assert.equal(l.sockets.length, 3);
});

test('after a stop nothing comes back, and nothing is sent before the socket opens', () => {
    const l = link();
    const drops = [];
    l.updates.addEventListener('drop', (e) => drops.push(e.detail.retrying));
    l.updates.start();
    assert.equal(l.updates.send('x'), false);
    l.sockets[0].open();
    l.updates.stopRetrying();
    l.sockets[0].drop();
    l.clock.advance(60000);
    assert.deepEqual(drops, [false]);
    assert.equal(l.sockets.length, 1);
    assert.equal(socketUrl({protocol: 'https:', host: 'gym'}, '/updates'), 'wss://gym/updates');
});
