// The server's answers as the pages use them. No DOM here.

// "GYMNASTQUERYRESP|0|first|last|gym|level|squad|age group|S1..S7|start|adj|
// [Vault: E7S1..E7S7|E7Start|E7Adj|]number", split at "|". Null for a refusal.
export function parseGymnast(fields) {
    if (fields[0] !== 'GYMNASTQUERYRESP' || fields[1] !== '0' || fields.length < 18) return null;
    const value = (n) => fields[n + 1] ?? '';
    const gymnast = {
        number: fields[fields.length - 1],
        name: `${value(1)} ${value(2)}`.trim(),
        gym: value(3),
        level: value(4),
        squad: value(5),
        ageGroup: value(6),
        judges: [7, 8, 9, 10, 11, 12, 13].map(value),
        start: value(14),
        adjustment: value(15),
        second: null,
    };
    if (fields.length >= 27) {
        gymnast.second = {
            judges: [16, 17, 18, 19, 20, 21, 22].map(value),
            start: value(23),
            adjustment: value(24),
        };
    }
    return gymnast;
}

// "SQUADLIST|count|num - first last,score|...|0": the running order.
export function parseSquadList(fields) {
    if (fields[0] !== 'SQUADLIST') return [];
    const count = Number.parseInt(fields[1], 10) || 0;
    return fields.slice(2, 2 + count).map((item) => {
        const comma = item.lastIndexOf(',');
        const who = comma >= 0 ? item.slice(0, comma) : item;
        const dash = who.indexOf(' - ');
        return {
            number: dash >= 0 ? who.slice(0, dash) : who,
            name: dash >= 0 ? who.slice(dash + 3) : '',
            score: comma >= 0 ? item.slice(comma + 1) : '',
        };
    });
}

// "SETSCORE|event|number|name|score|milliseconds|corrected".
export function parseSetScore(fields) {
    if (fields[0] !== 'SETSCORE' || fields.length < 5) return null;
    const ms = Number.parseInt(fields[5], 10);
    return {
        event: fields[1],
        number: fields[2],
        name: fields[3],
        score: fields[4],
        ms: Number.isFinite(ms) && ms > 0 ? ms : 30000,
        corrected: fields[6] === '1',
    };
}

// "STARTTIMER|TIMEDWARMUP|mm:ss": the warm-up's length in seconds, or null.
export function warmupSeconds(fields) {
    if (fields[0] !== 'STARTTIMER' || fields[1] !== 'TIMEDWARMUP') return null;
    const match = /^(\d+):(\d\d)$/.exec(String(fields[2] ?? '').trim());
    return match ? Number(match[1]) * 60 + Number(match[2]) : null;
}

export function clockText(seconds) {
    const s = Math.max(0, Math.ceil(seconds));
    return `${Math.floor(s / 60)}:${String(s % 60).padStart(2, '0')}`;
}

const AdPrefix = 'RECEIVE_AD_FILE|';
const AdEnd = '/\\/\\ENDOFFILE/\\/\\';

// The image bytes of an ad answer: "RECEIVE_AD_FILE|" + bytes + the end
// marker, in one binary frame. Null for anything else.
export function adBytes(buffer) {
    const bytes = new Uint8Array(buffer);
    const startsWith = (text, at) => [...text].every((c, i) => bytes[at + i] === c.charCodeAt(0));
    const end = bytes.length - AdEnd.length;
    if (end < AdPrefix.length || !startsWith(AdPrefix, 0) || !startsWith(AdEnd, end)) return null;
    return bytes.slice(AdPrefix.length, end);
}

// The picture type of an ad file by its name, for the browser.
export function imageType(name) {
    const ext = String(name).toLowerCase().split('.').pop();
    return (
        {
            png: 'image/png',
            jpg: 'image/jpeg',
            jpeg: 'image/jpeg',
            gif: 'image/gif',
            webp: 'image/webp',
            bmp: 'image/bmp',
            svg: 'image/svg+xml',
        }[ext] ?? 'image/png'
    );
}
