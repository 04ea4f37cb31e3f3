// The announcer's page model: who is on and up next, where each score goes,
// leaders with ties, the awards' calling order, and the live page's follow-up.
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {
    awards,
    eventsNow,
    leaders,
    ordinal,
    ScoreFeed,
    sessionDone,
    upNext,
} from '../../src/web/js/announcing.js';
import {LiveAnnouncer} from '../../src/web/js/liveannouncer.js';
import {FakeClock, FakeSocket} from './fakes.mjs';

const gymnast = (num, squad, order, scores = {}, places = {}, more = {}) => ({
    num,
    name: `Gymnast ${num}`,
    gym: 'Kestrel',
    level: '4',
    division: 'Junior',
    squad,
    order,
    Vault: null,
    Bars: null,
    Beam: null,
    Floor: null,
    AA: null,
    ...scores,
    places: {Vault: null, Bars: null, Beam: null, Floor: null, AA: null, ...places},
    ...more,
});

test('up next follows the squad running order from the one on, round to its start, past those done', () => {
    const rows = [
        gymnast('5', 'A', 3),
        gymnast('1', 'A', 1, {Vault: 9.1}),
        gymnast('9', 'A', null),
        gymnast('2', 'A', 2),
        gymnast('4', 'A', 4, {}, {}, {review: ['Vault']}),
        gymnast('7', 'B', 1),
    ];
    assert.deepEqual(
        upNext(rows, 'Vault', '2', 5).map((r) => r.num),
        ['5', '9'],
        'held 4 has competed; unordered 9 comes last; scored 1 is skipped; squad B is not there',
    );
    assert.deepEqual(
        upNext(rows, 'Bars', '9', 2).map((r) => r.num),
        ['1', '2'],
    );
    assert.deepEqual(upNext([gymnast('3', '', 1), gymnast('8', '', 2)], 'Vault', '3'), []);
    assert.deepEqual(upNext(rows, 'Vault', '404'), []);
});

test('each event shows the gymnast its judges are on, her score and place once in', () => {
    const rows = [
        gymnast('1', 'A', 1, {Vault: 9.45}, {Vault: 2}),
        gymnast('2', 'A', 2),
        gymnast('3', 'A', 3),
        gymnast('6', 'B', 1, {Beam: 9.0}, {}, {review: ['Beam']}),
    ];
    const events = eventsNow({underway: {Vault: '1', Bars: '2', Beam: '6', Floor: null}, rows});
    assert.deepEqual(
        events.map((e) => e.event),
        ['Vault', 'Bars', 'Beam', 'Floor'],
    );
    const [vault, bars, beam, floor] = events;
    assert.equal(vault.current.score, 9.45);
    assert.equal(vault.current.place, 2);
    assert.equal(vault.current.group, 'Level 4 · Junior');
    assert.deepEqual(
        vault.next.map((n) => n.num),
        ['2', '3'],
    );
    assert.equal(bars.current.score, null);
    assert.deepEqual(
        bars.next.map((n) => n.num),
        ['3', '1'],
    );
    assert.equal(beam.current.review, true);
    assert.equal(beam.current.score, null, 'a held score is not announced');
    assert.equal(floor.current, null);
});

test('leaders share a place on a tie and stop at the third place', () => {
    const rows = [
        gymnast('4', 'A', 1, {AA: 36}, {AA: 3}),
        gymnast('2', 'A', 2, {AA: 37}, {AA: 1}),
        gymnast('12', 'A', 3, {AA: 37}, {AA: 1}),
        gymnast('3', 'A', 4, {AA: 35}, {AA: 4}),
        gymnast('8', 'A', 5),
        gymnast('9', 'B', 1, {AA: 30}, {AA: 1}, {level: '5', division: ''}),
    ];
    const groups = leaders(rows);
    assert.deepEqual(
        groups.map((g) => g.title),
        ['Level 4 · Junior', 'Level 5'],
    );
    assert.deepEqual(
        groups[0].leaders.map((l) => [l.num, l.place]),
        [
            ['2', 1],
            ['12', 1],
            ['4', 3],
        ],
    );
    assert.deepEqual(
        groups[1].leaders.map((l) => l.num),
        ['9'],
    );
});

test('awards wait for the last score and are called last place first, ties together by number', () => {
    const all = {Vault: 9, Bars: 9, Beam: 9, Floor: 9};
    const rows = [
        gymnast('1', 'A', 1, {...all, AA: 36}, {Vault: 1, Bars: 2, Beam: 1, Floor: 1, AA: 1}),
        gymnast('11', 'A', 2, {...all, AA: 35}, {Vault: 2, Bars: 1, Beam: 2, Floor: 2, AA: 2}),
        gymnast('3', 'A', 3, {...all, AA: 35}, {Vault: 2, Bars: 3, Beam: 3, Floor: 3, AA: 2}),
        gymnast('4', 'A', 4, {...all, AA: 30}, {Vault: 4, Bars: 4, Beam: 4, Floor: 4, AA: 4}),
    ];
    assert.equal(sessionDone(rows), true);
    const [group] = awards(rows);
    assert.deepEqual(
        group.events.map((e) => e.event),
        ['Vault', 'Bars', 'Beam', 'Floor', 'AA'],
    );
    assert.deepEqual(
        group.events[0].awards.map((a) => [a.place, a.num]),
        [
            [2, '3'],
            [2, '11'],
            [1, '1'],
        ],
    );
    assert.deepEqual(
        group.events[4].awards.map((a) => a.num),
        ['3', '11', '1'],
    );
    assert.equal(sessionDone([...rows, gymnast('5', 'A', 5, {...all, Floor: null})]), false);
    assert.equal(sessionDone([{...rows[0], review: ['Bars']}]), false);
    assert.equal(sessionDone([]), false);
});

test('the feed lists each new score once with the places it earned, newest first', () => {
    const feed = new ScoreFeed(3);
    const before = [gymnast('1', 'A', 1, {Vault: 9}, {Vault: 1, AA: 1}), gymnast('2', 'A', 2)];
    assert.deepEqual(feed.update(1, before, 0), [], 'what was there on opening is not news');
    const after = [
        gymnast('1', 'A', 1, {Vault: 9}, {Vault: 2, AA: 2}),
        gymnast('2', 'A', 2, {Vault: 9.5}, {Vault: 1, AA: 1}),
    ];
    const came = feed.update(1, after, 10);
    assert.deepEqual(
        came.map((c) => [c.num, c.event, c.score, c.place, c.aaPlace, c.at]),
        [['2', 'Vault', 9.5, 1, 1, 10]],
    );
    feed.update(1, after, 20);
    assert.equal(feed.items.length, 1, 'an unchanged answer adds nothing');
    const held = [after[0], {...after[1], review: ['Vault'], Vault: null}];
    assert.equal(feed.update(1, held, 30)[0].review, true, 'held for review is news too');
    for (let i = 0; i < 3; i++)
        feed.update(1, [gymnast('1', 'A', 1, {Bars: 8 + i}), after[1]], 40 + i);
    assert.deepEqual(
        feed.items.map((c) => c.score),
        [10, 9, 8],
        'the newest kept, the oldest dropped',
    );
    feed.update(2, before, 50);
    assert.deepEqual(feed.items, [], 'another session starts afresh');
});

test('places read as ordinals', () => {
    assert.deepEqual([1, 2, 3, 4, 11, 12, 13, 21, 22, 101, 111].map(ordinal), [
        '1st',
        '2nd',
        '3rd',
        '4th',
        '11th',
        '12th',
        '13th',
        '21st',
        '22nd',
        '101st',
        '111th',
    ]);
});

test('the live page reads again on each word from the server and keeps every score', async () => {
    const clock = new FakeClock();
    const sockets = [];
    const drawn = [];
    let answer = {
        session: 1,
        underway: {Vault: null},
        rows: [gymnast('1', 'A', 1), gymnast('2', 'A', 2)],
    };
    const asked = [];
    const announcer = new LiveAnnouncer(
        {showSessions() {}, showStatus() {}, render: (state) => drawn.push(state)},
        {
            url: 'ws://x/updates',
            getJson: async (path) => {
                asked.push(path);
                return path === '/api/sessions'
                    ? [{id: 1, current: true}]
                    : structuredClone(answer);
            },
            now: () => clock.now,
            setTimer: (fn, ms) => clock.set(fn, ms),
            clearTimer: (id) => clock.clear(id),
            createSocket: (url) => {
                const socket = new FakeSocket(url);
                sockets.push(socket);
                return socket;
            },
        },
    );
    const settle = () => new Promise((resolve) => setImmediate(resolve));
    announcer.start();
    sockets[0].open();
    await settle();
    assert.deepEqual(asked, ['/api/sessions', '/api/announcer?session=1']);

    answer.underway = {Vault: '1'};
    sockets[0].receive('{"type":"underway"}');
    await settle();
    assert.equal(drawn.at(-1).events[0].current.num, '1');

    for (const [i, num] of ['1', '2'].entries()) {
        answer.rows.find((r) => r.num === num).Vault = 9 + i;
        answer.rows.find((r) => r.num === num).places = {Vault: 1, AA: 1};
        sockets[0].receive('{"type":"scores","session":1}');
        await settle();
    }
    sockets[0].receive('{"type":"scores","session":2}');
    await settle();
    assert.equal(asked.length, 5, 'scores of another session are not read');
    assert.deepEqual(
        drawn.at(-1).feed.map((f) => f.num),
        ['2', '1'],
    );
    assert.equal(drawn.at(-1).awards, null);
});
