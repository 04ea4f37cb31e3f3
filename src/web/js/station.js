// A station's link to the scoring server over a WebSocket: one text frame per
// protocol message. It logs in on every (re)connection, answers the server's
// heartbeats, notices a silent server and connects again by itself, so a pad or
// a board survives a dropped network or a server restart with nobody touching
// it. No DOM here: pages listen to its events.

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
const RetryMs = [500, 1000, 2000, 3000, 5000];
// A duplicate log-in refusal after a drop usually means the server has not yet
// noticed that the old connection is gone: try again once it has.
const DuplicateRetryMs = 4000;

// The WebSocket address of the station path, on the server that sent the page.
export function stationUrl(location) {
    const scheme = location.protocol === 'https:' ? 'wss:' : 'ws:';
    return `${scheme}//${location.host}/station`;
}

export class Station extends EventTarget {
    // `loginMessage` is the "JUDGEAUTH|..." or "DISPLAYAUTH|..." text sent on
    // every connection. `options` lets tests replace the socket and the clock.
    constructor(url, loginMessage, options = {}) {
        super();
        this.url = url;
        this.loginMessage = loginMessage;
        // Kept as plain functions, whatever is injected: a browser's own
        // setTimeout throws when called as a method of another object.
        const {
            createSocket = (address) => new WebSocket(address),
            setTimer = setTimeout,
            clearTimer = clearTimeout,
        } = options;
        this.createSocket = (address) => createSocket(address);
        this.setTimer = (fn, ms) => setTimer(fn, ms);
        this.clearTimer = (id) => clearTimer(id);
        this.link = Link.Connecting;
        this.socket = null;
        this.attempts = 0;
        this.everLoggedIn = false;
        this.stopped = true;
        this.retryTimer = null;
        this.silenceTimer = null;
    }

    start() {
        this.stopped = false;
        this.connect();
    }

    stop() {
        this.stopped = true;
        this.clearTimers();
        if (this.socket) this.socket.close();
        this.socket = null;
    }

    get loggedIn() {
        return this.link === Link.LoggedIn;
    }

    // Sends one message while logged in; false when it could not go out now.
    send(text) {
        if (!this.loggedIn || !this.socket) return false;
        this.socket.send(text);
        return true;
    }

    connect() {
        this.clearTimers();
        this.setLink(this.attempts === 0 ? Link.Connecting : Link.Offline);
        const socket = this.createSocket(this.url);
        socket.binaryType = 'arraybuffer';
        this.socket = socket;
        socket.onopen = () => {
            if (socket !== this.socket) return;
            this.setLink(Link.LoggingIn);
            socket.send(this.loginMessage);
            this.watchSilence();
        };
        // An attempt that hangs (a machine gone from the network) is given up
        // like a silent server.
        this.watchSilence();
        socket.onmessage = (event) => {
            if (socket === this.socket) this.received(event.data);
        };
        socket.onclose = () => {
            if (socket === this.socket) this.dropped();
        };
        socket.onerror = () => {}; // a close follows
    }

    received(data) {
        this.watchSilence();
        if (typeof data !== 'string') {
            this.dispatchEvent(new CustomEvent('binary', {detail: data}));
            return;
        }
        const fields = data.split('|');
        if (fields[0] === 'HEARTBEAT') {
            this.socket.send(data);
            return;
        }
        if (fields[0] === 'AUTHRESP' && this.link === Link.LoggingIn) {
            this.loginAnswered(fields);
            return;
        }
        this.dispatchEvent(new CustomEvent('message', {detail: {text: data, fields}}));
    }

    loginAnswered(fields) {
        if (fields[1] === '0') {
            this.attempts = 0;
            this.everLoggedIn = true;
            this.setLink(Link.LoggedIn, '', fields);
            return;
        }
        const text = fields.slice(2).join('|');
        this.clearTimers();
        const retry = this.everLoggedIn && text.includes('already logged into the scoring server');
        // Any other refusal (a wrong PIN, a taken name) needs a person: trying
        // again by itself would only trip the server's PIN throttle.
        this.stopped = !retry;
        this.setLink(Link.Refused, text, fields);
        if (retry) {
            this.retryTimer = this.setTimer(() => {
                if (this.link === Link.Refused && this.socket) {
                    this.setLink(Link.LoggingIn);
                    this.socket.send(this.loginMessage);
                    this.watchSilence();
                }
            }, DuplicateRetryMs);
        }
    }

    dropped() {
        this.socket = null;
        this.clearTimers();
        if (this.stopped) {
            if (this.link !== Link.Refused) this.setLink(Link.Offline);
            return;
        }
        const wait = RetryMs[Math.min(this.attempts, RetryMs.length - 1)];
        this.attempts += 1;
        this.setLink(Link.Offline);
        this.retryTimer = this.setTimer(() => this.connect(), wait);
    }

    watchSilence() {
        if (this.silenceTimer !== null) this.clearTimer(this.silenceTimer);
        this.silenceTimer = this.setTimer(() => {
            this.silenceTimer = null;
            if (this.socket) this.socket.close();
            this.dropped();
        }, SilenceMs);
    }

    clearTimers() {
        if (this.retryTimer !== null) this.clearTimer(this.retryTimer);
        if (this.silenceTimer !== null) this.clearTimer(this.silenceTimer);
        this.retryTimer = null;
        this.silenceTimer = null;
    }

    setLink(link, text = '', fields = []) {
        this.link = link;
        this.dispatchEvent(new CustomEvent('link', {detail: {link, text, fields}}));
    }
}
