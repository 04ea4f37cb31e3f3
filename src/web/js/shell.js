// What the pages share around their own content: the meet's name in the
// header bar and the tab's title, the words for a station's link, and the
// choices a page keeps in the browser's storage.
import {onLanguageChange, t} from './i18n.js';
import {Link} from './station.js';

const LinkKeys = Object.freeze({
    [Link.Connecting]: 'link.connecting',
    [Link.LoggingIn]: 'link.logging-in',
    [Link.LoggedIn]: 'link.logged-in',
    [Link.Refused]: 'link.refused',
    [Link.Offline]: 'link.offline',
});

// A station's link in the page's language.
export const linkText = (link) => (LinkKeys[link] ? t(LinkKeys[link]) : '');

// A value kept as JSON in a Web Storage; null when missing or unreadable.
export function readJson(storage, key) {
    try {
        return JSON.parse(storage.getItem(key) ?? 'null');
    } catch {
        return null;
    }
}

// The meet's name in the header bar and in the tab's title, after the page's
// own name (a text, or the key of one in the page's language, written again
// when the language changes); the start page is the meet's own.
export function nameThePage(doc, meetName, pageName = '', pageKey = '') {
    if (!meetName) return;
    const heading = doc.getElementById('meet-name');
    heading?.removeAttribute('data-text');
    const write = () => {
        if (heading) heading.textContent = meetName;
        const page = pageKey ? t(pageKey) : pageName;
        doc.title = page ? `${page} · ${meetName}` : `${meetName} · Tallvane`;
    };
    write();
    onLanguageChange(write);
}

// What a page's live models take from the browser: the page's JSON from its
// own server (no-cache: the browser asks again with the ETag it has and gets
// 304 when nothing changed), the clock and the timers.
export const browserFeeds = Object.freeze({
    getJson: (path) => fetchJson(path, 'no-cache'),
    now: () => Date.now(),
    setTimer: (fn, ms) => setTimeout(fn, ms),
    clearTimer: (id) => clearTimeout(id),
});

// The same for a published site's files, read whole every time: a static
// host validates by the file's time to the second, so a file published
// twice within one second would be answered "not modified" with the first.
export const publishedFeeds = Object.freeze({
    ...browserFeeds,
    getJson: (path) => fetchJson(path, 'no-store'),
});

async function fetchJson(path, cache) {
    const response = await fetch(path, {cache});
    if (!response.ok) throw new Error(`${path}: ${response.status}`);
    return response.json();
}
