// The squad's running order on the judge pad: a button per gymnast. The one
// being judged is marked "▶" (and is the list's current item), those with a
// stored score "✓" and the score, so that neither depends on colour alone.
import {storedScore} from './score.js';

function mark(className, text) {
    const span = document.createElement('span');
    span.className = className;
    span.textContent = text;
    return span;
}

// Competitor numbers as the server answers them: digits lose leading zeros.
const plain = (number) => (/^\d+$/.test(number) ? String(Number(number)) : String(number));

// `items` as the server lists them ({number, name, score}); `chosen` the
// number of the gymnast on the pad; `choose(number)` runs on a tap.
export function showRunningOrder(list, items, chosen, choose) {
    list.replaceChildren(
        ...items.map((item) => {
            const button = document.createElement('button');
            button.type = 'button';
            button.className = 'gymnast-choice';
            const isChosen = chosen !== null && plain(item.number) === plain(chosen);
            const score = storedScore(item.score);
            button.classList.toggle('chosen', isChosen);
            button.classList.toggle('done', score !== '');
            if (isChosen) button.setAttribute('aria-current', 'true');
            button.append(
                mark('now', isChosen ? '▶' : ''),
                mark('who', `${item.number} ${item.name}`),
            );
            if (score) button.append(mark('scored', `✓ ${score}`));
            button.addEventListener('click', () => choose(item.number));
            const li = document.createElement('li');
            li.append(button);
            return li;
        }),
    );
}
