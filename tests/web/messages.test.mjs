// The server's answers as the pages read them.
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {
    adBytes,
    clockText,
    parseGymnast,
    parseSetScore,
    parseSquadList,
    warmupSeconds,
} from '../../src/web/js/messages.js';

const split = (text) => text.split('|');

test('gymnast replies, Vault with its second attempt', () => {
    const bars = parseGymnast(
        split('GYMNASTQUERYRESP|0|Ava|Brooks|Riverside|4|A|Junior|9.1|9||||||10|-0.1|101'),
    );
    assert.equal(bars.name, 'Ava Brooks');
    assert.deepEqual(
        [bars.number, bars.ageGroup, ...bars.judges.slice(0, 3), bars.start, bars.adjustment],
        ['101', 'Junior', '9.1', '9', '', '10', '-0.1'],
    );
    assert.equal(bars.second, null);
    const vault = parseGymnast(
        split(`GYMNASTQUERYRESP|0|A|B|G|4|A|J|${'|'.repeat(9)}8.9${'|'.repeat(7)}9.8|0|7`),
    );
    const {judges, start, adjustment} = vault.second;
    assert.deepEqual([judges[0], start, adjustment, vault.number], ['8.9', '9.8', '0', '7']);
    assert.equal(parseGymnast(split('GYMNASTQUERYRESP|1|Gymnast 5 not found')), null);
});

test('squad lists, names with commas and no scores', () => {
    assert.deepEqual(parseSquadList(split('SQUADLIST|2|101 - Ava Brooks,9.35|7 - Li, Jo,|0')), [
        {number: '101', name: 'Ava Brooks', score: '9.35'},
        {number: '7', name: 'Li, Jo', score: ''},
    ]);
    assert.deepEqual(parseSquadList(split('SQUADLIST|0|0')), []);
});

test('scores, warm-ups and ad answers for the board', () => {
    assert.deepEqual(parseSetScore(split('SETSCORE|Bars|101|Ava Brooks|9.350|30000|1')), {
        event: 'Bars',
        number: '101',
        name: 'Ava Brooks',
        score: '9.350',
        ms: 30000,
        corrected: true,
    });
    assert.equal(warmupSeconds(split('STARTTIMER|TIMEDWARMUP|05:00')), 300);
    assert.equal(warmupSeconds(split('STARTTIMER|TIMEDWARMUP|soon')), null);
    assert.equal(clockText(299.2), '5:00');
    const frame = new TextEncoder().encode('RECEIVE_AD_FILE|\x01\x02|/\\/\\ENDOFFILE/\\/\\');
    assert.deepEqual([...adBytes(frame.buffer)], [1, 2, 124]);
    assert.equal(adBytes(new TextEncoder().encode('RECEIVE_AD_FILE|x').buffer), null);
});
