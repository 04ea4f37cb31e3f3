// The message layouts against whole messages as the server sends and reads them.
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {
    BoardScore,
    GymnastRefusal,
    GymnastReply,
    LoginReply,
    PanelScore,
    SecondaryScore,
    VaultGymnastReply,
    VaultPanelScore,
    scoreLayout,
} from '../../src/web/js/protocol.js';

const vaultScore = 'SENDSCORE|7|2|1|Vault|9.1|9.3||||||10|-0.1|9.2|9.1|8.9|9.0||||||9.8||8.95|0';
const vaultLayout = scoreLayout(vaultScore.split('|'));

// [layout, message, fields expected by name]
const reads = [
    [LoginReply, 'AUTHRESP|1|Wrong PIN|try again', {status: '1', detail: 'Wrong PIN|try again'}],
    [LoginReply, 'AUTHRESP|0|4', {status: '0', detail: '4'}],
    [GymnastRefusal, 'GYMNASTQUERYRESP|1|Gymnast 5 not found', {text: 'Gymnast 5 not found'}],
    [vaultLayout, vaultScore, {final: '9.1', secondBScore: '8.95', test: '0'}],
    [SecondaryScore, 'SECONDARYSCORE|2|9.1|', {judge: '2', score: '9.1', secondScore: ''}],
    [BoardScore, 'SETSCORE|Bars|101|Ava Brooks|9.350', {score: '9.350', ms: '', corrected: ''}],
];

test('messages read by field name', () => {
    for (const [layout, message, expected] of reads) {
        const values = layout.read(message.split('|'));
        for (const [name, value] of Object.entries(expected))
            assert.equal(values[name], value, `${message}: ${name}`);
    }
});

test('score messages have the length the server reads, and read back what was written', () => {
    assert.equal(PanelScore.length, 17);
    assert.equal(VaultPanelScore.length, 27);
    assert.equal(GymnastReply.length, 18);
    assert.equal(VaultGymnastReply.length, 27);
    const values = VaultPanelScore.read(vaultScore.split('|'));
    assert.equal(VaultPanelScore.text(values), vaultScore);
    assert.equal(scoreLayout('SENDSCORE2|7|2|Bars|9.1'.split('|')).names.at(-1), 'score');
    assert.throws(() => PanelScore.index('secondStart'), RangeError);
});
