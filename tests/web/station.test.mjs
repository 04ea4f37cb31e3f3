// The station link: log-in, heartbeats, reconnection, refusals.
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {Link, SilenceMs, stationUrl} from '../../src/web/js/station.js';
import {fakeStation} from './fakes.mjs';

const Login = 'JUDGEAUTH|Bars|Ann|3917|1|1';

function loggedIn() {
    const pad = fakeStation(Login);
    pad.station.start();
    pad.logIn();
    return pad;
}

test('the station address follows the page', () => {
    assert.equal(stationUrl({protocol: 'http:', host: 'gym:10121'}), 'ws://gym:10121/station');
});

test('logs in, answers heartbeats and passes other messages on', () => {
    const pad = loggedIn();
    assert.deepEqual(pad.last().sent, [Login]);
    assert.equal(pad.station.link, Link.LoggedIn);
    const messages = [];
    pad.station.addEventListener('message', (e) => messages.push(e.detail.fields));
    pad.last().receive('HEARTBEAT|17');
    pad.last().receive('SETSESSION|2|Saturday');
    assert.deepEqual(pad.last().sent, [Login, 'HEARTBEAT|17']);
    assert.deepEqual(messages, [['SETSESSION', '2', 'Saturday']]);
    assert.ok(pad.station.send('GETSESSION'));
});

test('a dropped connection or a silent server brings a new connection and log-in', () => {
    const pad = loggedIn();
    pad.last().drop();
    assert.equal(pad.station.link, Link.Offline);
    assert.equal(pad.station.send('GETSESSION'), false);
    pad.clock.advance(500);
    assert.equal(pad.sockets.length, 2);
    pad.clock.advance(60000); // the server is down: it keeps trying
    assert.ok(pad.sockets.length > 2);
    pad.last().open();
    assert.deepEqual(pad.last().sent, [Login]);
    pad.last().receive('AUTHRESP|0|4');
    assert.equal(pad.station.link, Link.LoggedIn);

    const count = pad.sockets.length;
    pad.clock.advance(SilenceMs + 5000); // a silent server is given up, then tried again
    assert.ok(pad.sockets[count - 1].closed);
    assert.equal(pad.sockets.length, count + 1);
});

test('a refusal stops; a duplicate refusal after a drop is tried again', () => {
    const pad = fakeStation(Login);
    const texts = [];
    pad.station.addEventListener('link', (e) => texts.push(e.detail.text));
    pad.station.start();
    pad.last().open();
    pad.last().receive('AUTHRESP|1|Invalid PIN');
    assert.equal(pad.station.link, Link.Refused);
    assert.equal(texts.at(-1), 'Invalid PIN');
    pad.last().drop(); // the server closes a station that never logs in
    pad.clock.advance(60000);
    assert.equal(pad.sockets.length, 1);

    const again = loggedIn();
    again.last().drop();
    again.clock.advance(500);
    again.last().open();
    again
        .last()
        .receive('AUTHRESP|1|Judge 1 for event Bars is already logged into the scoring server.');
    assert.equal(again.station.link, Link.Refused);
    again.clock.advance(4000);
    assert.deepEqual(again.last().sent, [Login, Login]);
    again.last().receive('AUTHRESP|0|4');
    assert.equal(again.station.link, Link.LoggedIn);
});

test('binary frames are passed on as they are', () => {
    const pad = loggedIn();
    const got = [];
    pad.station.addEventListener('binary', (e) => got.push(e.detail));
    const bytes = new Uint8Array([1, 2, 3]).buffer;
    pad.last().receive(bytes);
    assert.deepEqual(got, [bytes]);
});
