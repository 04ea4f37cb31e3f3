// Drawing of the board's layouts beside the single score: four quarters of
// event scores, the up-next cards, the leaders and the teams. What they show
// is worked out elsewhere (eventscores.js, boardresults.js); this only draws.
import {Events} from './protocol.js';

// The board's own words, in one place.
export const BoardTexts = Object.freeze({
    corrected: 'Corrected score',
    waiting: 'Waiting for the judges',
    upNext: 'Up next',
    lastScore: 'Last score',
    allAround: 'All-around',
    teams: 'Teams',
    noResults: 'No results yet',
    fullScreen: 'Full screen',
});

export function element(tag, className, ...content) {
    const made = document.createElement(tag);
    if (className) made.className = className;
    made.append(...content);
    return made;
}

// The four quarters, one per event, made once.
export function makeQuarters(section) {
    section.replaceChildren(
        ...Events.map((event) => {
            const quarter = element(
                'article',
                'quarter',
                element('h2', 'quarter-event', event),
                element('p', 'quarter-gymnast'),
                element('p', 'quarter-score'),
                element('p', 'quarter-corrected', BoardTexts.corrected),
            );
            quarter.dataset.event = event;
            return quarter;
        }),
    );
    for (const event of Events) showQuarter(section, event, null);
}

// One event's quarter: the score shown now, or its event name alone.
export function showQuarter(section, event, score) {
    const quarter = section.querySelector(`.quarter[data-event="${event}"]`);
    if (!quarter) return;
    quarter.querySelector('.quarter-gymnast').textContent = score
        ? `${score.number} ${score.name}`
        : '';
    quarter.querySelector('.quarter-score').textContent = score ? score.score : '';
    quarter.querySelector('.quarter-corrected').hidden = !score?.corrected;
    quarter.dataset.number = score ? score.number : '';
    quarter.dataset.score = score ? score.score : '';
    quarter.classList.toggle('scoring', Boolean(score));
}
