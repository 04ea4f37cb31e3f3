// What the pages know of the meet before any log-in: "/api/meet" (or, on a
// published results site, its meet file).
import {Events} from './protocol.js';

export async function loadMeet(path = '/api/meet') {
    try {
        const response = await fetch(path, {cache: 'no-store'});
        if (response.ok) return await response.json();
    } catch {
        // offline: the page still works with what it knows
    }
    return {name: '', judgeCount: 4, events: Events, squads: {}};
}

// Fills a <select> with choices, each a text or a [value, text] pair,
// keeping the choice when it is still there (else the first is chosen).
export function fillSelect(select, choices, chosen = select.value) {
    const pairs = choices.map((c) => (Array.isArray(c) ? c : [c, c]));
    select.replaceChildren(...pairs.map(([value, text]) => new Option(text, value)));
    if (pairs.some(([value]) => value === chosen)) select.value = chosen;
}
