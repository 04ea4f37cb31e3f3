// A board's layout: from its link, from the desk, kept across a reload; and
// the four-event layout's scores, each event in its own quarter.
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {linkSetup, withoutPin} from '../../src/web/js/boardlayout.js';
import {Scoreboard} from '../../src/web/js/scoreboard.js';
import {MemoryStorage, fakeBrowser} from './fakes.mjs';

function board(session = new MemoryStorage()) {
    const {clock, browser, last} = fakeBrowser();
    const drawn = {layouts: [], quarters: []};
    const ignore = () => {};
    const view = {
        ...Object.fromEntries(
            ['showBoard', 'showSetup', 'showLink', 'showAd', 'warmupChanged', 'showRehearsal'].map(
                (name) => [name, ignore],
            ),
        ),
        showScore: (s) => assert.equal(s, null, 'no single score on this board'),
        showLayout: (setup) => drawn.layouts.push(setup.layout),
        showEventScore: (event, s) => drawn.quarters.push(`${event} ${s ? s.number : '-'}`),
    };
    const scoreboard = new Scoreboard(view, {
        url: 'ws://board/station',
        local: new MemoryStorage(),
        session,
        ...browser,
    });
    const logIn = () => {
        last().open();
        last().receive('AUTHRESP|0|');
    };
    const sent = (word) => last().sent.filter((t) => t.startsWith(word));
    return {scoreboard, clock, drawn, last, logIn, sent, session};
}

test("a board from its link tells its layout, takes the desk's and keeps it across a reload", () => {
    assert.equal(linkSetup('?name=Door&layout=four'), null, 'no PIN: the form asks');
    assert.equal(withoutPin('?name=Door&pin=1234&layout=four'), '?name=Door&layout=four');
    const b = board();
    b.scoreboard.submit(linkSetup('?name=Door&layout=four&pin=1&level=4'));
    b.logIn();
    assert.equal(b.last().sent[0], 'DISPLAYAUTH|Door|1|all');
    assert.deepEqual(b.sent('BOARDLAYOUT'), ['BOARDLAYOUT|four|all|4|']);
    b.last().receive('BOARDLAYOUT|leaders|all|Level 4|Junior');
    b.last().receive('BOARDLAYOUT|leaders|all|Level 4|Junior'); // the same again: nothing to tell
    b.last().receive('BOARDLAYOUT|poster|Vault||'); // unknown: the board says what it shows
    assert.deepEqual(b.drawn.layouts, ['four', 'leaders', 'single']);
    assert.deepEqual(b.sent('BOARDLAYOUT').slice(1), [
        'BOARDLAYOUT|leaders|all|Level 4|Junior',
        'BOARDLAYOUT|single|Vault||',
    ]);

    const reloaded = board(b.session);
    reloaded.scoreboard.start();
    reloaded.logIn();
    assert.equal(reloaded.last().sent[0], 'DISPLAYAUTH|Door|1|Vault');
    assert.deepEqual(reloaded.sent('BOARDLAYOUT'), ['BOARDLAYOUT|single|Vault||']);
});

test('four events score at once: each in its quarter at once, each confirmed after its time', () => {
    const b = board();
    b.scoreboard.submit({name: 'Door', pin: '1', layout: 'four'});
    b.logIn();
    const events = ['Vault', 'Bars', 'Beam', 'Floor'];
    for (const [i, event] of [...events, 'Vault'].entries())
        b.last().receive(`SETSCORE|${event}|${i + 1}|A B|9.100|2000|0`);
    assert.deepEqual(b.drawn.quarters, ['Vault 1', 'Bars 2', 'Beam 3', 'Floor 4']);
    b.clock.advance(2000);
    const confirmations = events.map((event, i) => `CONFIRMSCORE|${i + 1}|${event}`);
    assert.deepEqual(b.sent('CONFIRMSCORE'), confirmations);
    assert.deepEqual(b.drawn.quarters.slice(4), ['Vault 5', 'Bars -', 'Beam -', 'Floor -']);
    // A board that shows the leaders takes no scores: it confirms none.
    b.last().receive('BOARDLAYOUT|leaders|all||');
    b.last().receive('SETSCORE|Beam|9|A B|9.100|2000|0');
    b.clock.advance(5000);
    assert.equal(b.sent('CONFIRMSCORE|9|').length, 0);
});
