// The server's answers as the pages use them. No DOM here.
import {BoardScore, GymnastReply, SquadList, VaultGymnastReply, WarmupStart} from './protocol.js';

const judgesOf = (values, name) => [1, 2, 3, 4, 5, 6, 7].map((n) => values[`${name}${n}`]);

// A found gymnast with the values stored for the event (Vault: both vaults'),
// from "GYMNASTQUERYRESP|0|…" split at "|". Null for a refusal.
export function parseGymnast(fields) {
    if (fields[0] !== GymnastReply.command || fields.length < GymnastReply.length) return null;
    const vault = fields.length >= VaultGymnastReply.length;
    const g = (vault ? VaultGymnastReply : GymnastReply).read(fields);
    if (g.status !== '0') return null;
    return {
        number: g.number,
        name: `${g.first} ${g.last}`.trim(),
        gym: g.gym,
        level: g.level,
        squad: g.squad,
        ageGroup: g.ageGroup,
        judges: judgesOf(g, 'judge'),
        start: g.start,
        adjustment: g.adjustment,
        second: vault
            ? {
                  judges: judgesOf(g, 'secondJudge'),
                  start: g.secondStart,
                  adjustment: g.secondAdjustment,
              }
            : null,
    };
}

// The running order: each item "number - first last,score".
export function parseSquadList(fields) {
    if (fields[0] !== SquadList.command) return [];
    const count = Number.parseInt(SquadList.read(fields).count, 10) || 0;
    const first = SquadList.index('count') + 1;
    return fields.slice(first, first + count).map((item) => {
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

// A score for the board, shown for its milliseconds (30 s when it names none).
export function parseSetScore(fields) {
    if (fields[0] !== BoardScore.command || fields.length < BoardScore.index('score') + 1)
        return null;
    const s = BoardScore.read(fields);
    const ms = Number.parseInt(s.ms, 10);
    return {
        event: s.event,
        number: s.number,
        name: s.name,
        score: s.score,
        ms: Number.isFinite(ms) && ms > 0 ? ms : 30000,
        corrected: s.corrected === '1',
    };
}

// "STARTTIMER|TIMEDWARMUP|mm:ss": the warm-up's length in seconds, or null.
export function warmupSeconds(fields) {
    const timer = WarmupStart.read(fields);
    if (fields[0] !== WarmupStart.command || timer.kind !== 'TIMEDWARMUP') return null;
    const match = /^(\d+):(\d\d)$/.exec(timer.time.trim());
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
