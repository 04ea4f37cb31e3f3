// The rehearsal's prompt on a pad (a board's runs in the health page's browser test).
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {RehearsalPrompt} from '../../src/web/js/rehearsalprompt.js';
import {fakeStation} from './fakes.mjs';

function judgePad() {
    const s = fakeStation('JUDGEAUTH|Bars|Ann|3917|1|2');
    s.shown = [];
    s.prompt = new RehearsalPrompt(s.station, {
        show: (seat) => s.shown.push(seat),
        hide: () => s.shown.push(null),
        ...s.browser,
    });
    s.station.start();
    s.logIn();
    s.answers = () => s.last().sent.filter((t) => t.startsWith('REHEARSALOK'));
    return s;
}

test('a pad shows its seat until the judge taps OK; offline, the prompt stays', () => {
    const pad = judgePad();
    pad.last().receive('REHEARSAL|3|60|Bars|2');
    assert.deepEqual(pad.shown, [{number: '3', name: 'Bars', detail: '2'}]);
    assert.deepEqual(pad.answers(), []);
    pad.last().drop();
    assert.equal(pad.prompt.ok(), false);
    assert.equal(pad.shown.length, 1);
    pad.clock.advance(1000);
    pad.logIn();
    assert.equal(pad.prompt.ok(), true);
    assert.deepEqual(pad.answers(), ['REHEARSALOK|3']);
    assert.deepEqual(pad.shown.at(-1), null);
    pad.clock.advance(60000); // its time passes: nothing more
    assert.equal(pad.shown.length, 2);
    assert.equal(pad.prompt.ok(), false);
});
