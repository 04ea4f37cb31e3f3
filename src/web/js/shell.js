// What the pages share around their own content: the meet's name in the
// header bar and the tab's title, the words for a station's link, and the
// choices a page keeps in the browser's storage.
import {Link} from './station.js';

export const LinkTexts = Object.freeze({
    [Link.Connecting]: 'Connecting…',
    [Link.LoggingIn]: 'Logging in…',
    [Link.LoggedIn]: 'Logged in',
    [Link.Refused]: 'Not logged in',
    [Link.Offline]: 'Offline: trying again…',
});

// A value kept as JSON in a Web Storage; null when missing or unreadable.
export function readJson(storage, key) {
    try {
        return JSON.parse(storage.getItem(key) ?? 'null');
    } catch {
        return null;
    }
}

// The meet's name in the header bar and in the tab's title, after the page's
// own name; the start page is the meet's own.
export function nameThePage(doc, meetName, pageName = '') {
    if (!meetName) return;
    const heading = doc.getElementById('meet-name');
    if (heading) heading.textContent = meetName;
    doc.title = pageName ? `${pageName} · ${meetName}` : `${meetName} · Tallvane`;
}
