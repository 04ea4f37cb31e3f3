// The station protocol's messages as the pages read and write them: one layout
// per message, naming its fields in order after the command word. A message is
// one text of fields separated by "|", with no escaping. No DOM here.

export const Events = Object.freeze(['Vault', 'Bars', 'Beam', 'Floor']);

// The seven judges' places of a panel: "judge1" … "judge7".
const judges = (name) => [1, 2, 3, 4, 5, 6, 7].map((n) => `${name}${n}`);

export class Layout {
    // `names` are the fields after the command word, in order. With `rest`
    // the last name takes what follows it, "|" and all (a refusal's text);
    // with `last` the message ends in that field whatever comes before it.
    constructor(command, names, {rest = false, last = null} = {}) {
        this.command = command;
        this.names = Object.freeze([...names]);
        this.rest = rest;
        this.last = last;
    }

    // The place of a field in the message split at "|" (the command word is 0).
    index(name) {
        const at = this.names.indexOf(name);
        if (at < 0) throw new RangeError(`${this.command} has no field ${name}`);
        return at + 1;
    }

    // The number of fields of a whole message, the command word included.
    get length() {
        return this.names.length + 1 + (this.last ? 1 : 0);
    }

    // The fields of a message split at "|", by name; '' for a missing one.
    read(fields) {
        const values = {};
        this.names.forEach((name, i) => {
            const isRest = this.rest && i === this.names.length - 1;
            values[name] = (isRest ? fields.slice(i + 1).join('|') : fields[i + 1]) ?? '';
        });
        if (this.last) values[this.last] = fields.length > 1 ? fields[fields.length - 1] : '';
        return values;
    }

    // The message text from the values by name; '' for a missing one.
    text(values) {
        const names = this.last ? [...this.names, this.last] : this.names;
        return [this.command, ...names.map((name) => String(values[name] ?? ''))].join('|');
    }
}

export const JudgeLogin = new Layout('JUDGEAUTH', ['event', 'name', 'pin', 'byNumber', 'number']);
export const DisplayLogin = new Layout('DISPLAYAUTH', ['name', 'pin', 'shows']);
// "AUTHRESP|0|judge count" or "AUTHRESP|1|why".
export const LoginReply = new Layout('AUTHRESP', ['status', 'detail'], {rest: true});
// The server's heartbeat, answered with the same text.
export const Heartbeat = new Layout('HEARTBEAT', ['beat']);
export const SessionQuery = new Layout('GETSESSION', []);
export const Session = new Layout('SETSESSION', ['id', 'description'], {rest: true});

export const GymnastQuery = new Layout('GYMNASTQUERY', ['number', 'event', 'judge']);
const gymnast = ['status', 'first', 'last', 'gym', 'level', 'squad', 'ageGroup'];
const stored = [...judges('judge'), 'start', 'adjustment'];
const secondStored = [...judges('secondJudge'), 'secondStart', 'secondAdjustment'];
// A found gymnast, the number as the server read it last; Vault adds the
// second vault's stored values.
export const GymnastReply = new Layout('GYMNASTQUERYRESP', [...gymnast, ...stored], {
    last: 'number',
});
export const VaultGymnastReply = new Layout(
    'GYMNASTQUERYRESP',
    [...gymnast, ...stored, ...secondStored],
    {last: 'number'},
);
// "GYMNASTQUERYRESP|1|Gymnast 5 not found".
export const GymnastRefusal = new Layout('GYMNASTQUERYRESP', ['status', 'text'], {rest: true});

export const SquadListQuery = new Layout('GETSQUADLIST', ['session', 'squad', 'event']);
// "SQUADLIST|count|item|…|0", each item "number - first last,score".
export const SquadList = new Layout('SQUADLIST', ['count']);

// The panel's score from judge 1's pad: judges 5 to 7 travel empty. Vault
// carries the second vault before the test flag.
const panel = ['number', 'judgeCount', 'panel', 'event', ...judges('judge')];
const result = ['start', 'adjustment', 'bScore', 'final'];
const secondResult = [...judges('secondJudge'), 'secondStart', 'secondAdjustment', 'secondBScore'];
export const PanelScore = new Layout('SENDSCORE', [...panel, ...result, 'test']);
export const VaultPanelScore = new Layout('SENDSCORE', [
    ...panel,
    ...result,
    ...secondResult,
    'test',
]);
// Another judge's own score, which the server passes to judge 1's pad as
// "SECONDARYSCORE".
export const JudgeScore = new Layout('SENDSCORE2', ['number', 'judge', 'event', 'score']);
export const VaultJudgeScore = new Layout('SENDSCORE2', [
    'number',
    'judge',
    'event',
    'score',
    'secondScore',
]);
export const SecondaryScore = new Layout('SECONDARYSCORE', ['judge', 'score', 'secondScore']);
export const ScoreConfirm = new Layout('SCORECONFIRM', ['status']);

export const BoardScore = new Layout('SETSCORE', [
    'event',
    'number',
    'name',
    'score',
    'ms',
    'corrected',
]);
export const BoardConfirm = new Layout('CONFIRMSCORE', ['number', 'event']);
export const WarmupStart = new Layout('STARTTIMER', ['kind', 'time']);
export const WarmupStop = new Layout('STOPTIMER', []);
export const AdRequest = new Layout('AD_FILE_START', ['name', 'number']);
// What a browser board shows: the desk sets it, the board tells it back after
// each log-in and each change. Level and division may be empty (the board
// chooses).
export const BoardLayout = new Layout('BOARDLAYOUT', ['layout', 'shows', 'level', 'division']);

// A browser station's rehearsal: the seat shown for `seconds` (a pad: the
// event and judge number; a board: its name and the event it shows), and the
// answer once the judge taps OK or the board has shown it.
export const Rehearsal = new Layout('REHEARSAL', ['number', 'seconds', 'name', 'detail']);
export const RehearsalAnswer = new Layout('REHEARSALOK', ['number']);

// The layout of a score message by its command word and event.
export function scoreLayout(fields) {
    if (fields[0] === JudgeScore.command)
        return JudgeScore.read(fields).event === 'Vault' ? VaultJudgeScore : JudgeScore;
    return PanelScore.read(fields).event === 'Vault' ? VaultPanelScore : PanelScore;
}
