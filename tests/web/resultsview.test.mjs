// The results page's view maths: grouping, place order, filters, recent changes.
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {ChangeTracker, choices, sessionText, viewGroups} from '../../src/web/js/resultsview.js';
import './english.mjs';

// A gymnast with the scores and places of Vault, Bars, Beam, Floor and AA, in that order.
const events = ['Vault', 'Bars', 'Beam', 'Floor', 'AA'];
const gymnast = (num, name, gym, level, division, scores, places) => ({
    ...{num, name, gym, level, division},
    ...Object.fromEntries(events.map((e, i) => [e, scores[i]])),
    places: Object.fromEntries(events.map((e, i) => [e, places[i]])),
});
const none = [null, null, null, null, null];
const rows = [
    gymnast('12', 'A B', 'Kestrel', '4', 'Junior', [9.1, null, 9, 9, 27.1], [2, null, 1, 1, 1]),
    gymnast('3', 'C D', 'Osprey', '4', 'Junior', [9.5, 8, null, null, 17.5], [1, 1, null, null, 2]),
    gymnast('7', 'E F', 'Kestrel', '5', '', none, none),
];

const titles = (groups) => groups.map((g) => g.title);
const nums = (group) => group.rows.map((r) => r.num);

test('groups in server order, rows by place for the view, unplaced last', () => {
    const groups = viewGroups(rows, 'Vault');
    assert.deepEqual(titles(groups), ['Level 4 · Junior', 'Level 5']);
    const placed = groups[0].rows.map((r) => `${r.num} ${r.place} ${r.score}`);
    assert.deepEqual(placed, ['3 1 9.5', '12 2 9.1']);
    assert.deepEqual(nums(viewGroups(rows, 'Beam')[0]), ['12', '3']);
});

test('a held score and one under inquiry are marked in their event and the all-around', () => {
    // "number review inquiry score" of each row, in the view's order.
    const marks = (first, view) =>
        viewGroups([first, rows[1]], view)[0].rows.map(
            (r) => `${r.num} ${r.review} ${r.inquiry} ${r.score}`,
        );
    const held = {...rows[0], Bars: null, review: ['Bars']};
    assert.deepEqual(marks(held, 'Bars'), ['3 false false 8', '12 true false null']);
    assert.deepEqual(marks(held, 'Vault'), ['3 false false 9.5', '12 false false 9.1']);
    assert.deepEqual(marks(held, 'AA'), ['12 true false 27.1', '3 false false 17.5']);
    const asked = {...rows[0], Bars: 8.9, inquiry: ['Bars']};
    assert.deepEqual(marks(asked, 'Bars'), ['3 false false 8', '12 false true 8.9']);
    assert.deepEqual(marks(asked, 'Vault'), ['3 false false 9.5', '12 false false 9.1']);
    assert.deepEqual(marks(asked, 'AA'), ['12 false true 27.1', '3 false false 17.5']);
});

test('filters by level and gym', () => {
    assert.deepEqual(viewGroups(rows, 'AA', {gym: 'Kestrel'}).map(nums), [['12'], ['7']]);
    assert.deepEqual(titles(viewGroups(rows, 'AA', {level: '5'})), ['Level 5']);
    assert.deepEqual(choices(rows), {levels: ['4', '5'], gyms: ['Kestrel', 'Osprey']});
});

test('a changed score is recent for a minute, and the first answer marks nothing', () => {
    const tracker = new ChangeTracker();
    tracker.update(1, rows, 0);
    assert.equal(tracker.isRecent('12', null, 1), false);
    tracker.update(1, [{...rows[0], Bars: 8.9}], 1000);
    assert.equal(tracker.isRecent('12', 'Bars', 2000), true);
    assert.equal(tracker.isRecent('12', null, 2000), true);
    assert.equal(tracker.isRecent('12', 'Vault', 2000), false);
    assert.equal(tracker.isRecent('12', 'Bars', 61000), false);
    tracker.update(2, rows, 62000); // another session starts afresh
    assert.equal(tracker.isRecent('12', null, 62001), false);
});

test('a session is listed by its description, its number only when it has none', () => {
    assert.equal(
        sessionText({id: 1, description: 'Session 1 - Saturday', current: true}),
        'Session 1 - Saturday (now)',
    );
    assert.equal(sessionText({id: 4, description: ' ', current: false}), 'Session 4');
});
