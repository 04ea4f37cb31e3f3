// A station's link to the scoring server over a WebSocket: one text frame per
// protocol message. It logs in on every (re)connection, answers the server's
// heartbeats, notices a silent server and connects again by itself, so a pad or
// a board survives a dropped network or a server restart with nobody touching
// it. No DOM here: pages listen to its events.
import {Heartbeat, LoginReply} from './protocol.js';
import {ReconnectingSocket, socketUrl} from './reconnect.js';
import {plainTimers} from './timers.js';

export const Link = Object.freeze({
    Connecting: 'connecting', // no connection yet, or trying again
    LoggingIn: 'logging-in', // connected, log-in sent
    LoggedIn: 'logged-in',
    Refused: 'refused', // the server refused the log-in (detail.text says why)
    Offline: 'offline', // the connection dropped; trying again soon
});

// The server removes a station that misses a heartbeat round (every 5 s); a
// logged-in station that hears nothing for this long has lost the server.
export const SilenceMs = 12000;
export const RetryMs = Object.freeze([500, 1000, 2000, 3000, 5000]);
// A duplicate log-in refusal after a drop usually means the server has not yet
// noticed that the old connection is gone: try again once it has.
const DuplicateRetryMs = 4000;

// The WebSocket address of the station path, on the server that sent the page.
export function stationUrl(location) {
    return socketUrl(location, '/station');
}

export class Station extends EventTarget {
    // `loginMessage` is the "JUDGEAUTH|..." or "DISPLAYAUTH|..." text sent on
    // every connection. `options` lets tests replace the socket and the clock.
    constructor(url, loginMessage, options = {}) {
        super();
        this.loginMessage = loginMessage;
        this.link = Link.Connecting;
        this.everLoggedIn = false;
        this.transport = new ReconnectingSocket(url, {
            ...options,
            silenceMs: SilenceMs,
            retryMs: RetryMs,
        });
        Object.assign(this, plainTimers(options));
        this.loginTimer = null;
        const on = (name, handle) => this.transport.addEventListener(name, handle);
        on('connecting', (e) => this.setLink(e.detail.attempt ? Link.Offline : Link.Connecting));
        on('open', () => this.logIn());
        on('data', (e) => this.received(e.detail));
        on('drop', () => this.dropped());
    }

    get stopped() {
        return this.transport.stopped;
    }

    start() {
        this.transport.start();
    }

    stop() {
        this.stopLoginRetry();
        this.transport.stop();
    }

    get loggedIn() {
        return this.link === Link.LoggedIn;
    }

    // Sends one message while logged in; false when it could not go out now.
    send(text) {
        return this.loggedIn && this.transport.send(text);
    }

    logIn() {
        this.setLink(Link.LoggingIn);
        this.transport.send(this.loginMessage);
        this.transport.watchSilence();
    }

    received(data) {
        if (typeof data !== 'string') {
            this.dispatchEvent(new CustomEvent('binary', {detail: data}));
            return;
        }
        const fields = data.split('|');
        if (fields[0] === Heartbeat.command) {
            this.transport.send(data);
            return;
        }
        if (fields[0] === LoginReply.command && this.link === Link.LoggingIn) {
            this.loginAnswered(fields);
            return;
        }
        this.dispatchEvent(new CustomEvent('message', {detail: {text: data, fields}}));
    }

    loginAnswered(fields) {
        const reply = LoginReply.read(fields);
        if (reply.status === '0') {
            this.transport.connected();
            this.everLoggedIn = true;
            this.setLink(Link.LoggedIn, '', reply);
            return;
        }
        const retry =
            this.everLoggedIn && reply.detail.includes('already logged into the scoring server');
        // Any other refusal (a wrong PIN, a taken name) needs a person: trying
        // again by itself would only trip the server's PIN throttle. The
        // connection stays until the server closes it.
        if (retry) this.transport.stopSilenceWatch();
        else this.transport.stopRetrying();
        this.setLink(Link.Refused, reply.detail, reply);
        if (retry) {
            this.loginTimer = this.setTimer(() => {
                this.loginTimer = null;
                if (this.link === Link.Refused && this.transport.isOpen) this.logIn();
            }, DuplicateRetryMs);
        }
    }

    dropped() {
        this.stopLoginRetry();
        if (this.stopped && this.link === Link.Refused) return;
        this.setLink(Link.Offline);
    }

    stopLoginRetry() {
        if (this.loginTimer !== null) this.clearTimer(this.loginTimer);
        this.loginTimer = null;
    }

    // `reply` is the log-in reply's fields by name, once it has come.
    setLink(link, text = '', reply = null) {
        this.link = link;
        this.dispatchEvent(new CustomEvent('link', {detail: {link, text, reply}}));
    }
}
