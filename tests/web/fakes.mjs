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

// A station on fake sockets: `sockets` lists every socket it opened.
export function fakeStation(Station, login) {
    const clock = new FakeClock();
    const sockets = [];
    const station = new Station('ws://pad/station', login, {
        createSocket: (url) => {
            const socket = new FakeSocket(url);
            sockets.push(socket);
            return socket;
        },
        setTimer: (fn, ms) => clock.set(fn, ms),
        clearTimer: (id) => clock.clear(id),
    });
    return {station, clock, sockets, last: () => sockets[sockets.length - 1]};
}
