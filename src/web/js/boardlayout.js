// What a browser board shows: its layout, the events it shows, and the level
// and age division of the layouts that need a group; read from the desk's
// message, the set-up form or the board's link. No DOM here.
import {Events} from './protocol.js';

// The layouts with the keys of the words the set-up form shows for them.
export const LayoutKeys = Object.freeze({
    single: 'board.layout-single',
    four: 'board.layout-four',
    upnext: 'board.layout-upnext',
    leaders: 'board.layout-leaders',
    teams: 'board.layout-teams',
    loop: 'board.layout-loop',
});
export const Layouts = Object.freeze(Object.keys(LayoutKeys));
// The layouts that show a level (and age division) of the results.
export const GroupLayouts = Object.freeze(['leaders', 'teams', 'loop']);

const text = (value) => String(value ?? '').trim();

// {layout, shows, level, division} with the defaults filled in: an unknown
// layout is the single score, an unknown event all of them.
export function layoutOf(values = {}) {
    const layout = Layouts.includes(values.layout) ? values.layout : 'single';
    const shows = Events.includes(values.shows) ? values.shows : 'all';
    return {layout, shows, level: text(values.level), division: text(values.division)};
}

export function sameLayout(a, b) {
    return (
        a.layout === b.layout &&
        a.shows === b.shows &&
        a.level === b.level &&
        a.division === b.division
    );
}

// The set-up a board's link carries (`?name=Door&layout=four&pin=…`), or null
// when it names no board or no PIN: then the form asks.
export function linkSetup(search) {
    const query = new URLSearchParams(search);
    const name = text(query.get('name'));
    const pin = query.get('pin') ?? '';
    if (!name || !pin) return null;
    const ads = (query.get('ads') ?? '')
        .split(',')
        .map((s) => s.trim())
        .filter(Boolean);
    return {name, pin, ads, ...layoutOf(Object.fromEntries(query))};
}

// The link without its PIN, to put in the address bar once the PIN is used.
export function withoutPin(search) {
    const query = new URLSearchParams(search);
    query.delete('pin');
    const rest = query.toString();
    return rest ? `?${rest}` : '';
}
