// The judge pad's panel maths against the cases the manual entry tests read too.
import assert from 'node:assert/strict';
import {readFileSync} from 'node:fs';
import {test} from 'node:test';

import {
    attempt,
    compute,
    maximumScore,
    rangeProblem,
    sendScore2Message,
    sendScoreMessage,
} from '../../src/web/js/panel.js';
import {formatScore} from '../../src/web/js/score.js';
import './english.mjs';

const cases = JSON.parse(readFileSync(new URL('../data/panelcases.json', import.meta.url)));

test('formatScore', () => {
    for (const [typed, shown] of cases.formatScore)
        assert.equal(formatScore(typed), shown, `typed "${typed}"`);
});

test('panel results', () => {
    for (const c of cases.panel) {
        const result = compute(c.event, c.judges, attempt(c.first), attempt(c.second));
        const {bScore, secondBScore, final} = c;
        assert.deepEqual(
            result,
            {complete: c.complete ?? true, bScore, secondBScore, final},
            c.name,
        );
    }
});

test('primary judge message', () => {
    for (const c of cases.messages) {
        const first = attempt(c.first);
        const second = attempt(c.second);
        const result = compute(c.event, c.judges, first, second);
        const message = sendScoreMessage(c.number, c.judges, c.event, first, second, result);
        assert.equal(message, c.message);
    }
});

test('secondary judge message', () => {
    assert.equal(sendScore2Message('123', 2, 'Bars', '9.100'), 'SENDSCORE2|123|2|Bars|9.100');
    const vault = sendScore2Message('123', 3, 'Vault', '9.1', '8.9');
    assert.equal(vault, 'SENDSCORE2|123|3|Vault|9.1|8.9');
});

test("scores outside 0 and the meet's maximum are refused", () => {
    for (const [meet, maximum] of [
        [{}, 10],
        [{maxScore: 16}, 16],
        [{maxScore: '16'}, 10],
        [{maxScore: 0}, 10],
        [null, 10],
    ])
        assert.equal(maximumScore(meet), maximum, JSON.stringify(meet));
    for (const [score, maximum, problem] of [
        ['10.000', 10, ''],
        ['0.000', 10, ''],
        ['', 10, ''],
        ['95.000', 10, 'Above the maximum of 10.000'],
        ['10.001', 10, 'Above the maximum of 10.000'],
        ['-0.100', 10, 'Below 0: not a score'],
        ['15.500', 16, ''],
        ['16.100', 16, 'Above the maximum of 16.000'],
    ])
        assert.equal(rangeProblem(score, maximum), problem, `${score} of ${maximum}`);
});
