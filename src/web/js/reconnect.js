// A WebSocket that comes back by itself, for the stations' link and the
// results page's updates: after a drop it connects again, waiting longer after
// each failed attempt, and a connection (or an attempt) that hears nothing for
// its silence limit is given up like a dropped one, so a dropped network or a
// server restart needs nobody to touch the page. No DOM here.
//
// Events: 'connecting' (detail.attempt, 0 for the first), 'open', 'data'
// (detail: the frame's text or bytes) and 'drop' (detail.retrying).
import {plainTimers} from './timers.js';

// The WebSocket address of `path` on the server that sent the page.
export function socketUrl(location, path) {
    const scheme = location.protocol === 'https:' ? 'wss:' : 'ws:';
    return `${scheme}//${location.host}${path}`;
}

// The wait before attempt `attempt` (1 for the first after a drop): the
// schedule's steps in turn, then its last step again and again.
export function retryWait(schedule, attempt) {
    return schedule[Math.min(Math.max(attempt, 1), schedule.length) - 1];
}

export class ReconnectingSocket extends EventTarget {
    // `options` lets tests replace the socket and the clock.
    constructor(url, {silenceMs, retryMs, ...options}) {
        super();
        this.url = url;
        this.silenceMs = silenceMs;
        this.retryMs = retryMs;
        // Kept as plain functions, whatever is injected: a browser's own
        // setTimeout throws when called as a method of another object.
        const {createSocket = (address) => new WebSocket(address)} = options;
        this.createSocket = (address) => createSocket(address);
        Object.assign(this, plainTimers(options));
        this.socket = null;
        this.isOpen = false;
        this.attempts = 0; // failed attempts since the last good connection
        this.stopped = true;
        this.retryTimer = null;
        this.silenceTimer = null;
    }

    start() {
        this.stopped = false;
        this.connect();
    }

    // Closes the connection for good.
    stop() {
        this.stopRetrying();
        this.socket?.close();
        this.socket = null;
        this.isOpen = false;
    }

    // Keeps the connection while it lasts but does not come back after it.
    stopRetrying() {
        this.stopped = true;
        this.clearTimers();
    }

    // The connection is a good one (open, or logged in): the next drop waits
    // the schedule's first step again.
    connected() {
        this.attempts = 0;
    }

    // Sends one text frame; false when no connection is open.
    send(text) {
        if (!this.isOpen) return false;
        this.socket.send(text);
        return true;
    }

    connect() {
        this.clearTimers();
        const socket = this.createSocket(this.url);
        socket.binaryType = 'arraybuffer';
        this.socket = socket;
        this.isOpen = false;
        const current = () => socket === this.socket;
        socket.onopen = () => {
            if (!current()) return;
            this.isOpen = true;
            this.watchSilence();
            this.dispatchEvent(new CustomEvent('open'));
        };
        socket.onmessage = (event) => {
            if (!current()) return;
            this.watchSilence();
            this.dispatchEvent(new CustomEvent('data', {detail: event.data}));
        };
        socket.onclose = () => {
            if (current()) this.dropped();
        };
        socket.onerror = () => {}; // a close follows
        // An attempt that hangs (a machine gone from the network) is given up
        // like a silent server.
        this.watchSilence();
        this.dispatchEvent(new CustomEvent('connecting', {detail: {attempt: this.attempts}}));
    }

    dropped() {
        this.socket = null;
        this.isOpen = false;
        this.clearTimers();
        if (!this.stopped) {
            this.attempts += 1;
            this.retryTimer = this.setTimer(
                () => this.connect(),
                retryWait(this.retryMs, this.attempts),
            );
        }
        this.dispatchEvent(new CustomEvent('drop', {detail: {retrying: !this.stopped}}));
    }

    // Gives the connection its silence limit again from now.
    watchSilence() {
        this.stopSilenceWatch();
        this.silenceTimer = this.setTimer(() => {
            this.silenceTimer = null;
            this.socket?.close();
            this.dropped();
        }, this.silenceMs);
    }

    stopSilenceWatch() {
        if (this.silenceTimer !== null) this.clearTimer(this.silenceTimer);
        this.silenceTimer = null;
    }

    clearTimers() {
        if (this.retryTimer !== null) this.clearTimer(this.retryTimer);
        this.retryTimer = null;
        this.stopSilenceWatch();
    }
}
