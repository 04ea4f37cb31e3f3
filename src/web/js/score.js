// Scores as every page shows them: three decimals, rounded as the server
// rounds them, so a pad, a board, the results page and the printed results
// agree to the thousandth. No DOM here.

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
                return scoreText(value);
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
    return scoreText(value);
}

// A score as three decimals, '' for none; halfway between two thousandths
// rounds away from zero. Sums carry binary noise (9.1025 is 9.10249999...): a
// nudge far below a thousandth settles which side of the half it is on. With a
// language ("es"), the decimal separator is that language's ("9,350"); without
// one it is the point the server reads.
export function scoreText(value, language = '') {
    if (typeof value !== 'number' || !Number.isFinite(value)) return '';
    const thousandths = value * 1000;
    const nudged = thousandths + (thousandths >= 0 ? 1e-6 : -1e-6);
    const rounded = nudged < 0 ? -Math.round(-nudged) : Math.round(nudged);
    const result = rounded / 1000;
    const score = result === 0 ? 0 : result;
    if (!language) return score.toFixed(3);
    return new Intl.NumberFormat(language, {
        minimumFractionDigits: 3,
        maximumFractionDigits: 3,
        useGrouping: false,
    }).format(score);
}

// A score as the meet stores it (its shortest decimal form) with three
// decimals; '' for none. Unlike a typed score, "100" is a hundred.
export function storedScore(text) {
    const value = numberIn(text);
    return value === null ? '' : scoreText(value);
}
