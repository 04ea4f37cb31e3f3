// The results layouts of a board: leaders with the server's places and ties,
// up next, the teams, and the loop's turn.
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {BoardContent, TurnMs} from '../../src/web/js/boardcontent.js';
import {leaderGroups} from '../../src/web/js/boardresults.js';
import './english.mjs';
import {fakeBrowser, settle} from './fakes.mjs';

const row = (num, division, places, more = {}) => ({
    num,
    name: `G ${num}`,
    level: '4',
    division,
    places,
    ...more,
});
// "place:number …" of a column of a group of leaders.
const listed = (group, column) =>
    group.columns
        .find((c) => c.column === column)
        .entries.map((e) => `${e.place}:${e.num}`)
        .join(' ');

test('leaders: the top eight of a level and division as the server placed them, ties together', () => {
    const rows = [
        row('3', 'Junior', {AA: 1, Vault: 2}),
        row('1', 'Junior', {AA: 1, Vault: 1}),
        row('7', 'Junior', {AA: 8, Vault: null}, {review: ['Vault']}),
        row('6', 'Junior', {AA: 8}),
        row('9', 'Junior', {AA: 9}),
        row('2', 'Senior', {AA: 1}),
        row('4', 'Senior', {AA: 2}, {level: '5'}),
    ];
    const groups = leaderGroups(rows);
    const titles = groups.map((g) => g.title);
    assert.deepEqual(titles, ['Level 4 · Junior', 'Level 4 · Senior']);
    assert.equal(listed(groups[0], 'AA'), '1:1 1:3 8:6 8:7');
    assert.equal(listed(groups[0], 'Vault'), '1:1 2:3', 'a score under review is not placed');
    const [chosen] = leaderGroups(rows, {level: '5', division: 'Senior'});
    assert.equal(listed(chosen, 'AA'), '2:4');
});

function content(layout, answers, hasAds = () => false) {
    const {clock, sockets, browser} = fakeBrowser();
    const asked = [];
    const drawn = {page: [], upNext: [], leaders: [], teams: []};
    const show = (list) => (value) => drawn[list].push(value);
    const board = new BoardContent(
        {
            showPage: show('page'),
            showUpNext: show('upNext'),
            showLeaders: show('leaders'),
            showTeams: show('teams'),
            showStatus() {},
        },
        {
            updatesUrl: 'ws://board/updates',
            getJson: async (path) => {
                asked.push(path);
                return structuredClone(answers[path.split('?')[0]]);
            },
            ...browser,
            hasAds,
        },
    );
    board.show({layout, shows: 'all', level: '', division: ''});
    return {board, clock, sockets, asked, drawn, settle: () => settle(5)};
}

const sessions = [{id: 1, current: true}];

test('the loop turns through the layouts and the ad images: up next, leaders of each division in turn, teams', async () => {
    const squad = (num, order) => ({...row(num, 'Junior', {}), squad: 'A', order});
    const c = content(
        'loop',
        {
            '/api/sessions': sessions,
            '/api/results': {rows: [row('1', 'Junior', {AA: 1}), row('2', 'Senior', {AA: 1})]},
            '/api/teams': {level: '4', teams: [{gym: 'Kestrel', place: 1, AA: 110}]},
            '/api/announcer': {underway: {Vault: '2'}, rows: [squad('1', 2), squad('2', 1)]},
        },
        () => true,
    );
    for (const socket of c.sockets) socket.open();
    await c.settle();
    assert.ok(c.asked.includes('/api/teams?session=1&level=4'), 'the teams of the first level');
    for (let turn = 0; turn < 5; turn++) c.clock.advance(TurnMs);
    assert.deepEqual(c.drawn.page, ['four', 'upnext', 'leaders', 'teams', 'ads', 'four']);
    const titles = new Set(c.drawn.leaders.slice(-2).map((g) => g.title));
    assert.deepEqual([...titles].sort(), ['Level 4 · Junior', 'Level 4 · Senior']);
    assert.equal(c.drawn.teams.at(-1).rows[0].gym, 'Kestrel');
    const {current, next} = c.drawn.upNext.at(-1)[0];
    assert.deepEqual([current.num, ...next.map((n) => n.num)], ['2', '1'], 'Vault and who is next');
    c.board.stop();
    const open = c.sockets.filter((s) => !s.closed);
    assert.deepEqual(open, [], 'a board that leaves the layout stops following');
});
