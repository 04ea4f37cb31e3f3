// What the pages know of the meet before any log-in: "/api/meet".
import {Events} from './protocol.js';

export async function loadMeet() {
    try {
        const response = await fetch('/api/meet', {cache: 'no-store'});
        if (response.ok) return await response.json();
    } catch {
        // offline: the page still works with what it knows
    }
    return {name: '', judgeCount: 4, events: Events, squads: {}};
}

// Fills a <select> with texts, keeping the choice when it is still there.
export function fillSelect(select, values, chosen = select.value) {
    select.replaceChildren(...values.map((value) => new Option(value, value)));
    if (values.includes(chosen)) select.value = chosen;
}
