// A parent's results: finding a gymnast and following some, kept in the browser.
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {findGymnast, FollowKey, Following} from '../../src/web/js/following.js';
import {MemoryStorage} from './fakes.mjs';

// José's scores and places, her Beam held for review.
const places = {Vault: 1, Beam: 3, AA: 2};
const scored = {Vault: 9.35, Beam: 9.1, AA: 18.45, places, review: ['Beam']};
const rows = [
    {num: '112', name: 'Lena Brandt', gym: 'Kestrel', level: '4', division: 'Junior', AA: 37.2},
    {num: '12', name: 'José Núñez', gym: 'Osprey', level: '4', division: 'Junior', ...scored},
    {num: '7', name: 'Ana Jose Ortiz', gym: 'Osprey', level: '5', division: '', AA: 30},
];

test('a number finds that gymnast whole; words find a name, without case or accents', () => {
    assert.equal(findGymnast(rows, '12'), '12'); // not 112
    assert.equal(findGymnast(rows, ' #112 '), '112');
    assert.equal(findGymnast(rows, 'nunez'), '12');
    assert.equal(findGymnast(rows, 'JOSÉ ortiz'), '7'); // every word, in any order
    assert.equal(findGymnast(rows, 'jose'), '12'); // the first in the results
    assert.equal(findGymnast(rows, 'Smith'), null);
    assert.equal(findGymnast(rows, '   '), null);
});

test('followed gymnasts are kept by number and name and read back by the next page', () => {
    const storage = new MemoryStorage();
    const following = new Following(storage);
    assert.equal(following.toggle(rows[1]), true);
    assert.equal(following.toggle(rows[2]), true);
    const again = new Following(storage);
    assert.ok(again.has(rows[1]) && again.has(rows[2]) && !again.has(rows[0]));
    // The same number at another meet is someone else.
    assert.equal(again.has({num: '12', name: 'Mia Roth'}), false);
    assert.equal(again.toggle(rows[2]), false);
    const kept = new Following(storage).list.map((g) => g.num);
    assert.deepEqual(kept, ['12']);
});

test('the followed gymnasts come with every score and place, a held one marked', () => {
    const following = new Following(new MemoryStorage());
    following.toggle(rows[1]);
    following.toggle({num: '99', name: 'Gone Away'}); // not in this session
    const [summary, ...rest] = following.summaries(rows);
    assert.equal(rest.length, 0);
    assert.equal(summary.name, 'José Núñez');
    assert.deepEqual(
        summary.scores.map(({event, score, place, held}) => [event, score, place, held]),
        [
            ['Vault', 9.35, 1, false],
            ['Bars', null, null, false],
            ['Beam', 9.1, 3, true],
            ['Floor', null, null, false],
            ['AA', 18.45, 2, true],
        ],
    );
});

test('an unreadable list in the browser follows nobody', () => {
    const storage = new MemoryStorage();
    storage.setItem(FollowKey, '{not json');
    assert.deepEqual(new Following(storage).list, []);
    storage.setItem(FollowKey, JSON.stringify([{num: 3}, null, {num: '4', name: 'D'}]));
    assert.deepEqual(new Following(storage).list, [{num: '4', name: 'D'}]);
});
