// The pages' language: which one a browser gets, English for what a language
// lacks, and numbers, scores and places as each language writes them.
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {chooseLanguage, localOrdinal, localScore, t, useStrings} from '../../src/web/js/i18n.js';
import {scoreText} from '../../src/web/js/score.js';
import {english} from './english.mjs';

test("a board's link names the language, then the one kept, then the first browser language spoken", () => {
    // A language the pages do not speak, or none, leaves the choice to the next.
    for (const [linked, kept, browser, chosen] of [
        ['es', 'de', ['fr'], 'es'],
        [' ES-mx ', null, ['de'], 'es'],
        ['it', 'de', ['fr'], 'de'],
        [null, 'de', ['es-ES', 'en'], 'de'],
        [null, null, ['pt-BR', 'it', 'FR_ca'], 'fr'],
        [null, 'it', ['nl', 'pt'], 'en'],
        [null, null, undefined, 'en'],
    ])
        assert.equal(chooseLanguage(kept, browser, linked), chosen, `${linked} ${kept} ${browser}`);
});

test('a key missing from a language reads in English, one missing from both as itself', () => {
    useStrings(
        'es',
        {'a.hello': 'Hola {name}'},
        {'a.hello': 'Hello {name}', 'a.bye': 'Bye {name}'},
    );
    try {
        assert.equal(t('a.hello', {name: 'Ana'}), 'Hola Ana');
        assert.equal(t('a.bye', {name: 'Ana'}), 'Bye Ana');
        assert.equal(t('a.unknown'), 'a.unknown');
        assert.equal(t('a.hello'), 'Hola {name}'); // a missing value stays visible
    } finally {
        useStrings('en', english);
    }
});

test('a score keeps the rounding the server uses and takes the decimal separator of the language', () => {
    for (const [value, text] of [
        [9.35, '9.350'],
        [9.1025, '9.103'],
        [27.2625, '27.263'], // an all-around sum
        [8.0125, '8.013'], // just below the half in binary
        [8.8875, '8.888'],
        [1234.5, '1234.500'],
        [-0.0004, '0.000'],
    ]) {
        assert.equal(scoreText(value), text, 'the point the server reads');
        for (const language of ['en', 'es', 'fr', 'de']) {
            const local = language === 'en' ? text : text.replace('.', ',');
            assert.equal(scoreText(value, language), local, `${value} in ${language}`);
            useStrings(language, {}, english);
            assert.equal(localScore(value), local);
        }
    }
    for (const nothing of [null, undefined, Number.NaN]) assert.equal(scoreText(nothing, 'es'), '');
    useStrings('en', english);
});

test('places as each language writes them', () => {
    const expected = {
        en: ['1st', '2nd', '3rd', '4th', '11th', '22nd'],
        es: ['1.º', '2.º', '3.º', '4.º', '11.º', '22.º'],
        fr: ['1er', '2e', '3e', '4e', '11e', '22e'],
        de: ['1.', '2.', '3.', '4.', '11.', '22.'],
    };
    for (const [language, places] of Object.entries(expected)) {
        useStrings(language, {}, english);
        assert.deepEqual([1, 2, 3, 4, 11, 22].map(localOrdinal), places);
    }
    useStrings('en', english);
});
