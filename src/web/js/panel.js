// The panel maths of a judge pad: the same rules as the operator's manual
// entry, so a score typed on a pad and one typed at the scorers' table come out
// the same. No DOM here.
import {localScore, t} from './i18n.js';
import {JudgeScore, PanelScore, VaultJudgeScore, VaultPanelScore} from './protocol.js';
import {numberIn, scoreText} from './score.js';

export const MaxJudges = 4;

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
    if (value < 0) return t('judge.below-zero');
    if (value > maximum + 1e-9) return t('judge.above-maximum', {maximum: localScore(maximum)});
    return '';
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

// One row of boxes as the score message names its fields: `prefix` is ''
// for the first row, 'second' for the second vault.
function rowValues(row, bScore, prefix) {
    const name = (field) =>
        prefix ? `${prefix}${field[0].toUpperCase()}${field.slice(1)}` : field;
    const values = {[name('start')]: row.start, [name('adjustment')]: row.adjustment};
    values[name('bScore')] = bScore;
    row.judges.forEach((score, i) => (values[name(`judge${i + 1}`)] = score));
    return values;
}

// The primary judge's score message: the panel's boxes, B score and final,
// for Vault both vaults'; judges 5 to 7 empty, panel mark 1, test flag "0".
export function sendScoreMessage(number, judgeCount, event, first, second, result) {
    const vault = event === 'Vault';
    return (vault ? VaultPanelScore : PanelScore).text({
        number,
        judgeCount: judgeBoxes(judgeCount),
        panel: 1,
        event,
        ...rowValues(first, result.bScore, ''),
        ...(vault ? rowValues(second, result.secondBScore, 'second') : {}),
        final: result.final,
        test: 0,
    });
}

// The meet's test score from the panel's primary pad (gymnast 999, 8.885, test
// flag "1"): the server confirms it without storing it and puts it on the
// event's boards, changing no gymnast.
export const TestScore = Object.freeze({number: '999', score: '8.885'});
export function testScoreMessage(event, judgeCount) {
    const {number, score} = TestScore;
    return (event === 'Vault' ? VaultPanelScore : PanelScore).text({
        number,
        judgeCount: judgeBoxes(judgeCount),
        panel: 1,
        event,
        judge1: score,
        bScore: score,
        final: score,
        test: 1,
    });
}

// A secondary judge's own score, passed by the server to the panel's primary
// pad, and for Vault the second vault's score.
export function sendScore2Message(number, judgeNumber, event, score, secondScore = '') {
    const layout = event === 'Vault' ? VaultJudgeScore : JudgeScore;
    return layout.text({number, judge: judgeNumber, event, score, secondScore});
}
