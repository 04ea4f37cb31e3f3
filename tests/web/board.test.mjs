// The board's order of scores: each shown for its time, then confirmed.
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {ScoreRotation} from '../../src/web/js/board.js';
import {fakeBrowser} from './fakes.mjs';

const score = (event, number, ms = 1000, corrected = false) => ({
    event,
    number,
    name: 'A B',
    score: '9.100',
    ms,
    corrected,
});

// A board on the fake browser's timers, which throw when called as methods.
function board(shows = 'all') {
    const {clock, browser} = fakeBrowser();
    const shown = [];
    const sent = [];
    const rotation = new ScoreRotation({
        shows,
        show: (s) => shown.push(s && `${s.event} ${s.number}`),
        confirm: (t) => sent.push(t),
        ...browser,
    });
    return {clock, shown, sent, rotation};
}

test('each score is shown for its time, then confirmed; offers again are not taken twice', () => {
    const b = board();
    b.rotation.take(score('Vault', '1', 2000));
    b.rotation.take(score('Bars', '2'));
    b.rotation.take(score('Vault', '1', 2000)); // offered again by the server
    assert.deepEqual(b.shown, ['Vault 1']);
    b.clock.advance(2000);
    assert.deepEqual(b.sent, ['CONFIRMSCORE|1|Vault']);
    b.clock.advance(1000);
    assert.deepEqual(b.sent, ['CONFIRMSCORE|1|Vault', 'CONFIRMSCORE|2|Bars']);
    assert.deepEqual(b.shown, ['Vault 1', 'Bars 2', null]);
    b.rotation.take(score('Vault', '1', 2000, true)); // a correction is a new score
    assert.equal(b.shown.at(-1), 'Vault 1');
});

test('a board for one event leaves the other events alone', () => {
    const b = board('Beam');
    b.rotation.take(score('Bars', '2'));
    b.rotation.take(score('Beam', '3'));
    b.clock.advance(1000);
    assert.deepEqual(b.sent, ['CONFIRMSCORE|3|Beam']);
});
