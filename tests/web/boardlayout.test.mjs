// A board's layout: from its link, from the desk, kept across a reload; and
// the four-event layout's scores, each event in its own quarter.
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {linkSetup, withoutPin} from '../../src/web/js/boardlayout.js';
import {Scoreboard} from '../../src/web/js/scoreboard.js';
import {FakeClock, FakeSocket, MemoryStorage} from './fakes.mjs';

function board(session = new MemoryStorage()) {
    const clock = new FakeClock();
    const sockets = [];
    const drawn = {layouts: [], quarters: [], single: []};
    const view = {
        showBoard() {},
        showSetup() {},
        showLink() {},
        showScore: (s) => drawn.single.push(s && `${s.event} ${s.number}`),
        showAd() {},
        warmupChanged() {},
        showRehearsal() {},
        showLayout: (setup) => drawn.layouts.push(setup.layout),
        showEventScore: (event, s) => drawn.quarters.push(`${event} ${s ? s.number : '-'}`),
    };
    const scoreboard = new Scoreboard(view, {
        url: 'ws://board/station',
        local: new MemoryStorage(),
        session,
        now: () => clock.now,
        setTimer: (fn, ms) => clock.set(fn, ms),
        clearTimer: (id) => clock.clear(id),
        createSocket: (url) => {
            const socket = new FakeSocket(url);
            sockets.push(socket);
            return socket;
        },
        image: () => 'blob:',
    });
    const last = () => sockets.at(-1);
    const logIn = () => {
        last().open();
        last().receive('AUTHRESP|0|');
    };
    const told = () => last().sent.filter((t) => t.startsWith('BOARDLAYOUT|'));
    return {scoreboard, clock, drawn, last, logIn, told, session};
}

const setScore = (event, number, ms = 2000) =>
    `SETSCORE|${event}|${number}|A B|9.${number}00|${ms}|0`;

test('a link with a name and a PIN sets the board up; the PIN leaves the address', () => {
    const setup = linkSetup('?name=Door&layout=four&shows=all&pin=1234&level=4&division=Junior');
    assert.deepEqual(setup, {
        name: 'Door',
        pin: '1234',
        ads: [],
        layout: 'four',
        shows: 'all',
        level: '4',
        division: 'Junior',
    });
    assert.equal(linkSetup('?name=Door&layout=four')?.layout, undefined); // no PIN: the form asks
    assert.equal(linkSetup('?name=Door&pin=1&layout=tv').layout, 'single');
    assert.equal(withoutPin('?name=Door&pin=1234&layout=four'), '?name=Door&layout=four');
});

test("the board tells its layout at log-in, takes the desk's and keeps it across a reload", () => {
    const b = board();
    b.scoreboard.submit({name: 'Door', pin: '1', shows: 'all', layout: 'four'});
    b.logIn();
    assert.equal(b.last().sent[0], 'DISPLAYAUTH|Door|1|all');
    assert.deepEqual(b.told(), ['BOARDLAYOUT|four|all||']);
    b.last().receive('BOARDLAYOUT|leaders|all|Level 4|');
    assert.deepEqual(b.drawn.layouts, ['four', 'leaders']);
    assert.deepEqual(b.told().at(-1), 'BOARDLAYOUT|leaders|all|Level 4|');
    b.last().receive('BOARDLAYOUT|leaders|all|Level 4|'); // the same again: nothing to tell
    assert.equal(b.told().length, 2);
    b.last().receive('BOARDLAYOUT|poster|Vault||'); // unknown: the board says what it shows
    assert.deepEqual(b.told().slice(2), ['BOARDLAYOUT|single|Vault||']);

    const reloaded = board(b.session);
    reloaded.scoreboard.start();
    reloaded.logIn();
    assert.equal(reloaded.last().sent[0], 'DISPLAYAUTH|Door|1|Vault');
    assert.deepEqual(reloaded.drawn.layouts, ['single']);
    assert.deepEqual(reloaded.told(), ['BOARDLAYOUT|single|Vault||']);
});

test('four events score at once: each in its quarter at once, each confirmed after its time', () => {
    const b = board();
    b.scoreboard.submit({name: 'Door', pin: '1', shows: 'all', layout: 'four'});
    b.logIn();
    for (const [i, event] of ['Vault', 'Bars', 'Beam', 'Floor'].entries())
        b.last().receive(setScore(event, String(i + 1)));
    b.last().receive(setScore('Vault', '5')); // waits for Vault's first only
    assert.deepEqual(b.drawn.quarters, ['Vault 1', 'Bars 2', 'Beam 3', 'Floor 4']);
    b.clock.advance(2000);
    const confirms = b.last().sent.filter((t) => t.startsWith('CONFIRMSCORE|'));
    assert.deepEqual(confirms, [
        'CONFIRMSCORE|1|Vault',
        'CONFIRMSCORE|2|Bars',
        'CONFIRMSCORE|3|Beam',
        'CONFIRMSCORE|4|Floor',
    ]);
    assert.ok(b.drawn.quarters.includes('Vault 5'));
    assert.deepEqual(b.drawn.single, []);
    // A board that shows leaders takes no scores: it confirms nothing.
    b.last().receive('BOARDLAYOUT|leaders|all||');
    b.last().receive(setScore('Beam', '9'));
    b.clock.advance(5000);
    assert.ok(!b.last().sent.includes('CONFIRMSCORE|9|Beam'));
});
