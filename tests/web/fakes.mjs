import {Station} from '../../src/web/js/station.js';

// Debian 12's Node (18) has Event and EventTarget but not CustomEvent, which
// browsers and later Node versions have: the pages' modules dispatch it.
globalThis.CustomEvent ??= class CustomEvent extends Event {
    constructor(type, options = {}) {
        super(type, options);
        this.detail = options.detail ?? null;
    }
};

// A WebSocket and a clock that the station tests drive by hand.
export class FakeSocket {
    constructor(url) {
        this.url = url;
        this.sent = [];
        this.closed = false;
    }
    send(text) {
        this.sent.push(text);
    }
    close() {
        this.closed = true;
    }
    open() {
        this.onopen?.();
    }
    receive(data) {
        this.onmessage?.({data});
    }
    drop() {
        this.closed = true;
        this.onclose?.();
    }
}

export class FakeClock {
    constructor() {
        this.now = 0;
        this.timers = new Map();
        this.next = 1;
    }
    set(fn, ms) {
        const id = this.next++;
        this.timers.set(id, {fn, at: this.now + ms});
        return id;
    }
    clear(id) {
        this.timers.delete(id);
    }
    advance(ms) {
        const end = this.now + ms;
        for (;;) {
            const due = [...this.timers]
                .filter(([, t]) => t.at <= end)
                .sort((a, b) => a[1].at - b[1].at)[0];
            if (!due) break;
            this.timers.delete(due[0]);
            this.now = due[1].at;
            due[1].fn();
        }
        this.now = end;
    }
}

export class MemoryStorage {
    constructor() {
        this.items = new Map();
    }
    getItem(key) {
        return this.items.has(key) ? this.items.get(key) : null;
    }
    setItem(key, value) {
        this.items.set(key, String(value));
    }
    removeItem(key) {
        this.items.delete(key);
    }
    key(index) {
        return [...this.items.keys()][index] ?? null;
    }
    get length() {
        return this.items.size;
    }
}

// What a page takes from the browser (clock, timers, sockets), all fake:
// `sockets` lists every socket opened, `browser` is spread into the options.
export function fakeBrowser() {
    const clock = new FakeClock();
    const sockets = [];
    const browser = {
        now: () => clock.now,
        // Like window.setTimeout: "Illegal invocation" when called as another object's method.
        setTimer(fn, ms) {
            if (this !== undefined) throw new TypeError('Illegal invocation');
            return clock.set(fn, ms);
        },
        clearTimer: (id) => clock.clear(id),
        createSocket: (url) => sockets[sockets.push(new FakeSocket(url)) - 1],
    };
    return {clock, sockets, browser, last: () => sockets.at(-1)};
}

// Lets awaited promises (the pages' reads) finish, `rounds` turns of the loop.
export async function settle(rounds = 1) {
    for (let i = 0; i < rounds; i++) await new Promise((resolve) => setImmediate(resolve));
}

// A station (Bars judge 1's by default) on fake sockets; `logIn()` opens the
// newest and lets it in.
export function fakeStation(login = 'JUDGEAUTH|Bars|Ann|3917|1|1') {
    const fake = fakeBrowser();
    const station = new Station('ws://pad/station', login, fake.browser);
    const logIn = () => {
        fake.last().open();
        fake.last().receive('AUTHRESP|0|4');
    };
    return {...fake, station, logIn};
}
