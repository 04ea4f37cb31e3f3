// The panel maths of a judge pad: the same rules as the operator's manual
// entry, so a score typed on a pad and one typed at the scorers' table come out
// the same. No DOM here.

export const MaxJudges = 4;

const DECIMAL = /^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/;

// A number as the server reads one: decimal text with "." and an optional
// exponent, blanks around it ignored. Anything else (hex, commas, "Infinity")
// is no number: null.
export function numberIn(text) {
    const trimmed = String(text ?? '').trim();
    if (!DECIMAL.test(trimmed)) return null;
    const value = Number(trimmed);
    return Number.isFinite(value) ? value : null;
}

function threeDecimals(value) {
    return value.toFixed(3);
}

// A typed score as the boxes show it: three decimals. Up to four digits typed
// without their point carry one after the first digit ("05" is 0.500, "953"
// is 9.530, "8125" is 8.125); five or more such digits are no score. Two
// digits of 10 or more stay a number ("95" is 95.000). No number: empty.
export function formatScore(score) {
    const text = String(score ?? '');
    const value = numberIn(text);
    if (text === '' || value === null) return '';
    if (value === 10) return '10.000';
    const digitsOnly = /^[0-9]+$/.test(text);
    if (digitsOnly && (value < 10 || text.length >= 3)) {
        switch (text.length) {
            case 1:
                return threeDecimals(value);
            case 2:
                return `${text[0]}.${text[1]}00`;
            case 3:
                return `${text[0]}.${text.slice(1)}0`;
            case 4:
                return `${text[0]}.${text.slice(1)}`;
            default:
                return '';
        }
    }
    return threeDecimals(value);
}

// A computed score as three decimals; halfway between two thousandths rounds
// away from zero. Sums carry binary noise (9.1025 is 9.10249999...): a nudge
// far below a thousandth settles which side of the half it is on.
export function scoreText(value) {
    const thousandths = value * 1000;
    const nudged = thousandths + (thousandths >= 0 ? 1e-6 : -1e-6);
    const rounded = nudged < 0 ? -Math.round(-nudged) : Math.round(nudged);
    const result = rounded / 1000;
    return threeDecimals(result === 0 ? 0 : result);
}

// The highest score a meet allows: its own maximum when "/api/meet" gives
// one, else 10.
export const DefaultMaximum = 10;
export function maximumScore(meet) {
    const value = meet?.maxScore;
    return typeof value === 'number' && Number.isFinite(value) && value > 0
        ? value
        : DefaultMaximum;
}

// Why a score (a judge's, a start value, a final) cannot be sent: below 0 or
// above the meet's maximum. Empty when it can, or when there is no number.
export function rangeProblem(score, maximum) {
    const value = numberIn(score);
    if (value === null) return '';
    if (value < 0) return 'Below 0: not a score';
    if (value > maximum + 1e-9) return `Above the maximum of ${scoreText(maximum)}`;
    return '';
}

// A score as the meet stores it (its shortest decimal form) with three
// decimals; '' for none. Unlike a typed score, "100" is a hundred.
export function storedScore(text) {
    const value = numberIn(text);
    return value === null ? '' : scoreText(value);
}

// The panel score of 1 to 4 judges' scores: one judge's score; the average of
// two or three; of four, the middle two averaged. Null for any other count.
export function panelScore(scores) {
    switch (scores.length) {
        case 1:
            return scores[0];
        case 2:
            return (scores[0] + scores[1]) / 2;
        case 3:
            return (scores[0] + scores[1] + scores[2]) / 3;
        case 4: {
            const sum = scores[0] + scores[1] + scores[2] + scores[3];
            return (sum - Math.max(...scores) - Math.min(...scores)) / 2;
        }
        default:
            return null;
    }
}

// The panel's judge count as the boxes use it: 1 to 4.
export function judgeBoxes(judgeCount) {
    const count = Math.trunc(Number(judgeCount)) || 1;
    return Math.min(Math.max(count, 1), MaxJudges);
}

// One row of boxes: a vault attempt, or the event's only row.
export function attempt({judges = [], start = '', adjustment = ''} = {}) {
    const boxes = [];
    for (let i = 0; i < MaxJudges; ++i) boxes.push(String(judges[i] ?? ''));
    return {judges: boxes, start: String(start ?? ''), adjustment: String(adjustment ?? '')};
}

// Boxes that hold no number count as 0 here; only the first row is checked for
// empty boxes before anything is computed.
function rowScore(row, judges) {
    const scores = [];
    for (let i = 0; i < judges; ++i) scores.push(numberIn(row.judges[i]) ?? 0);
    const panel = panelScore(scores) ?? 0;
    return {panel, result: panel + (numberIn(row.adjustment) ?? 0), firstJudge: scores[0]};
}

// The final of an event from the rows of boxes. Vault takes the better
// attempt: with one judge the judges' scores decide, before adjustments; with
// more, the two results; a tie takes the second attempt. Until every judge box
// of the first row holds a number nothing is computed (complete false).
export function compute(event, judgeCount, first, second = attempt()) {
    const judges = judgeBoxes(judgeCount);
    const result = {complete: false, bScore: '', secondBScore: '', final: ''};
    for (let i = 0; i < judges; ++i) {
        if (numberIn(first.judges[i]) === null) return result;
    }
    const a = rowScore(first, judges);
    result.bScore = scoreText(a.panel);
    let final = a.result;
    if (event === 'Vault') {
        const b = rowScore(second, judges);
        result.secondBScore = scoreText(b.panel);
        const firstIsBetter = judges === 1 ? a.firstJudge > b.firstJudge : a.result > b.result;
        final = firstIsBetter ? a.result : b.result;
    }
    result.final = scoreText(final);
    result.complete = true;
    return result;
}

function rowFields(row, bScore) {
    return [...row.judges, '', '', '', row.start, row.adjustment, bScore];
}

// The primary judge's "SENDSCORE": number, judge count, panel mark 1, event,
// judges 1-4, three empty judges, start, adjustment, B score, final; for
// Vault the second attempt's ten fields; then the test flag "0". 27 fields
// for Vault, 17 otherwise.
export function sendScoreMessage(number, judgeCount, event, first, second, result) {
    const fields = [
        'SENDSCORE',
        number,
        String(judgeBoxes(judgeCount)),
        '1',
        event,
        ...rowFields(first, result.bScore),
        result.final,
    ];
    if (event === 'Vault') fields.push(...rowFields(second, result.secondBScore));
    fields.push('0');
    return fields.join('|');
}

// A secondary judge's own score, passed by the server to the panel's primary
// pad: "SENDSCORE2|number|judge|event|score", and the second vault's score.
export function sendScore2Message(number, judgeNumber, event, score, secondScore = '') {
    const fields = ['SENDSCORE2', number, String(judgeNumber), event, score];
    if (event === 'Vault') fields.push(secondScore);
    return fields.join('|');
}
