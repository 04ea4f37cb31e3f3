// What a pad tells the server of its battery and outbox.
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {MinGapMs, PadReport} from '../../src/web/js/padreport.js';
import {fakeStation, settle} from './fakes.mjs';

function battery(level, charging) {
    const manager = new EventTarget();
    manager.level = level;
    manager.charging = charging;
    manager.set = (values) => {
        Object.assign(manager, values);
        manager.dispatchEvent(new Event('levelchange'));
    };
    return manager;
}

async function pad(manager) {
    const p = fakeStation();
    p.waiting = 0;
    p.report = new PadReport(p.station, {
        outbox: () => p.waiting,
        battery: manager ? () => Promise.resolve(manager) : null,
        agent: 'Tablet|One\nBrowser',
        ...p.browser,
    });
    await settle(); // the battery's promise
    p.station.start();
    p.logIn();
    p.states = () => p.last().sent.filter((t) => t.startsWith('PADSTATE|'));
    return p;
}

test('told on log-in, then on changes, no more than once in the gap', async () => {
    const p = await pad(battery(0.5, true));
    assert.deepEqual(p.states(), ['PADSTATE|50|1|0|Tablet/One Browser']);
    p.waiting = 1;
    p.report.changed();
    p.waiting = 2;
    p.report.changed();
    assert.equal(p.states().length, 1); // held until the gap has passed
    p.clock.advance(MinGapMs);
    assert.deepEqual(p.states().slice(1), ['PADSTATE|50|1|2|Tablet/One Browser']);
    p.report.changed(); // nothing new: nothing sent
    p.clock.advance(MinGapMs);
    assert.equal(p.states().length, 2);
    p.report.battery.set({level: 0.19, charging: false});
    p.clock.advance(MinGapMs);
    assert.deepEqual(p.states().slice(2), ['PADSTATE|19|0|2|Tablet/One Browser']);
});

test('a browser without a battery reports the outbox alone, again after a new log-in', async () => {
    const p = await pad(null);
    assert.deepEqual(p.states(), ['PADSTATE|||0|Tablet/One Browser']);
    p.last().drop();
    p.clock.advance(1000);
    p.logIn();
    p.clock.advance(MinGapMs);
    assert.deepEqual(p.states(), ['PADSTATE|||0|Tablet/One Browser']);
});
